// The one place where the program's 8-bit text meets Qt's strings.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace quorvia::ui {

QString toQString(std::string_view bytes);
std::string toBytes(const QString& text);

}  // namespace quorvia::ui
