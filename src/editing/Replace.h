// Replace all: a text replaced by another in the names and values of every object and attribute
// record, as one step of the history.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "model/PairedTrees.h"
#include "platform/UserPrompts.h"

namespace quorvia::editing {

// The bytes of one name or value with every occurrence of the searched text replaced; nothing
// when it holds none.
using FieldReplace = std::function<std::optional<std::string>(std::string_view field)>;

// What the window makes of the fields the user typed: the replacement of one field, and why the
// replacement text cannot be written (a character the code page cannot hold), if it cannot.
struct Replacement {
    FieldReplace replace;
    std::optional<std::string> refusal;
};

// Replaces in the name of every object record and in the name and value of every attribute
// record: the records below the root that begin with "O;" or "T;" and have three fields or more
// (an attribute's value runs to the end of its record). The kind, an object's icon field and
// every other record keep their bytes; each changed pair shows what its record decodes to. One
// step of the history. Nothing when no field holds the text, else how many nodes changed.
std::optional<int> replaceInRecords(model::PairedTrees& trees, const FieldReplace& replace);

// Replace...: the fields the user last typed, kept between uses.
class Replacer final {
public:
    using ReplacementMaker = std::function<Replacement(const platform::ReplaceFields&)>;

    explicit Replacer(ReplacementMaker makeReplacement);

    // Asks, opening with the last fields; a replacement that holds ";" or a character the code
    // page cannot hold is refused with the dialogs' messages before anything changes. Then
    // tells how many nodes changed, or warns as Find does when no node holds the text.
    void replaceAll(model::PairedTrees& trees, platform::UserPrompts& prompts);

private:
    ReplacementMaker m_makeReplacement;
    platform::ReplaceFields m_last;
};

}  // namespace quorvia::editing
