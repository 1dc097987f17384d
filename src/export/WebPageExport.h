// The selected node's branch as one self-contained HTML5 page to read and print: nested lists
// as the window draws the tree, the state pictures embedded, attributes in blue, each object a
// <details> that opens and closes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "export/XmlWriter.h"
#include "model/PairedTrees.h"
#include "platform/TextCodec.h"
#include "platform/UserPrompts.h"

namespace quorvia::exporting {

// The state pictures as the window draws them (its pictures live in the window).
struct PagePictures {
    std::vector<std::string> png;  // PNG bytes of each picture by its number; empty: none shown
    std::function<int(std::int32_t)> numberOf;  // the picture an icon index shows
};

// The page of `top` and its branch (none: of every node of the tree), as the display tree shows
// them; its title is the first node's text.
void writeWebPage(const model::Tree& display, const model::Node* top,
                  const platform::TextCodec& codec, const PagePictures& pictures,
                  const XmlSink& sink);

// "Export as" / "Web page...": asks for the file and writes the page of the selected node (the
// whole database when none is).
void exportWebPage(const model::PairedTrees& trees, platform::UserPrompts& prompts,
                   const platform::TextCodec& codec, const PagePictures& pictures);

}  // namespace quorvia::exporting
