// "Import" / "Outline (OPML)...": an outline's nodes added below the selected node with Paste
// text's rules, read by libxml2 with no entity, no network and no file but the chosen one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "model/PairedTrees.h"
#include "platform/TextCodec.h"
#include "platform/UserPrompts.h"

namespace quorvia::importing {

// A larger file is refused before it is read; outlines nest at most this deep.
inline constexpr std::size_t kLargestOutline = std::size_t{512} << 20;
inline constexpr int kDeepestOutline = 10'000;
// The attribute an other outliner's note becomes.
inline constexpr const char* kNoteAttribute = "Note";

// The records an outline gives, in pre-order, the outlines of its body at level 0. An outline
// Quorvia wrote gives its record back byte for byte; one of another outliner an object of icon
// 0, its note ("_note") an attribute "Note" before its children.
struct OutlineRecords {
    struct Line {
        int level;
        std::size_t offset;  // in `bytes`
        std::size_t length;
    };
    std::string bytes;
    std::vector<Line> lines;
    // Set, and the lines left out, when the file is refused: names the file and the line.
    std::string refusal;
};
OutlineRecords readOutline(std::string_view content, const std::string& path,
                           const platform::TextCodec& codec);

// Paste text's containment rule and warning, then the open dialog; the file's records become
// the last children of the selected node in one step of the history, the first of them shown
// and selected. A refusal is a warning, and nothing is added.
void importOutline(model::PairedTrees& trees, platform::UserPrompts& prompts,
                   const platform::TextCodec& codec);

}  // namespace quorvia::importing
