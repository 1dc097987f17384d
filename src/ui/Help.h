// The Help command: the help viewer with "qv.chm" where one is installed, otherwise the
// program's own help page in the desktop's browser.
#pragma once

#include <QString>

namespace quorvia::ui {

void mmHelpClick();

// The program's help page on disk: installed beside the program, or written out from the
// program's resources when it is not.
QString helpPagePath();

}  // namespace quorvia::ui
