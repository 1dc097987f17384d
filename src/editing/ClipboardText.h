// The system clipboard's text: a branch copied out as lines of the database file, and such lines
// (or any column of names) pasted in as nodes. The internal clipboard takes no part in it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/PairedTrees.h"
#include "platform/UserPrompts.h"

namespace quorvia::editing {

// The selected node's subtree as the database file holds it, with LF line ends and the selected
// node at level 0; nothing when nothing is selected.
std::optional<std::string> copyAsText(const model::PairedTrees& trees);

// Where pasted text comes from. Another program's lines skip empty lines. The program's own
// lines are each a node, an empty one too, as the database file takes them (the ui layer keeps
// their bytes); the first line of a copied top-level node is the root's file name, no record.
enum class TextSource { OtherProgram, OwnRecords };

// Adds the lines of `text` as last children of the selected node, in one step of the history:
// a line "O;name;icon" or "T;name;value" is that record, any other an object of that name with
// icon 0; a leading TAB or blank per level, counted from the first line; empty lines skipped.
// Paste's warning when the selection may take no paste, a warning naming the first line that
// lies more than one level below the line before it, or that is no record and holds a ";" (no
// name can keep one); then nothing is added.
void pasteText(model::PairedTrees& trees, std::string_view text, platform::UserPrompts& prompts,
               TextSource source = TextSource::OtherProgram);

// What pasteText warns of a text holding a NUL byte, which the database would cut short.
inline constexpr const char* kNulTextWarning =
    "The text holds a NUL byte, which the database cannot keep; nothing was pasted.";

// What pasteText warns of a line nested too deep, and of a line that is no record but holds a
// semicolon (numbered from 1).
std::string nestingMessage(int line, std::string_view text);
std::string semicolonMessage(int line, std::string_view text);

}  // namespace quorvia::editing
