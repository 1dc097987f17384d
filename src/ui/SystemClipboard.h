// What "Copy as text" puts on the system clipboard and what "Paste text" takes from it: the
// records' exact bytes under a type of the program's own, beside the same lines as plain text
// for every other program.
#pragma once

#include <QMimeData>
#include <memory>
#include <string>
#include <string_view>

#include "editing/ClipboardText.h"

namespace quorvia::ui {

inline constexpr const char* kRecordsMimeType = "application/x-quorvia-records";

// `lines` (LF-ended) as clipboard data: the bytes themselves, and as text each line decoded
// through the code page as the tree shows it.
std::unique_ptr<QMimeData> recordsAsMimeData(std::string_view lines);

// What "Paste text" takes: the bytes and where they come from.
struct ClipboardText {
    std::string bytes;
    editing::TextSource source = editing::TextSource::OtherProgram;
};

// The bytes to paste: the program's own type byte for byte, else the plain text in the code
// page as typed text is; empty when the clipboard holds neither. Plain text with a character
// the code page cannot write is refused with an error naming it, rather than written as a
// substitute.
ClipboardText recordsFromMimeData(const QMimeData* data);

}  // namespace quorvia::ui
