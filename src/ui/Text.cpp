#include "ui/Text.h"

namespace quorvia::ui {

QString toQString(std::string_view bytes) {
    return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string toBytes(const QString& text) {
    return text.toLocal8Bit().toStdString();
}

}  // namespace quorvia::ui
