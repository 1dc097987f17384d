#include "editing/Clipboard.h"

#include "editing/Containment.h"
#include "model/NodeRecord.h"

namespace quorvia::editing {

Clipboard::Clipboard(const model::Tree& display) : m_display(display) {
    m_display.addObserver(this);
}

Clipboard::~Clipboard() {
    m_display.removeObserver(this);
}

void Clipboard::copy() {
    m_clipNode = m_display.selected();
    m_moveFlag = false;
}

void Clipboard::cut() {
    m_clipNode = m_display.selected();
    m_moveFlag = true;
}

void Clipboard::takeForMove(model::Node* dragged) {
    m_clipNode = dragged;
    m_moveFlag = true;
}

void Clipboard::aboutToRemove(const model::Node* parent, int first, int last) {
    if (m_clipNode != nullptr && model::liesWithinRows(m_clipNode, parent, first, last)) {
        m_clipNode = nullptr;
    }
}

void Clipboard::aboutToReset() {
    m_clipNode = nullptr;
}

void pasteInto(model::PairedTrees& trees, Clipboard& clipboard, model::Node* target) {
    model::PairedTrees::Step step(trees);
    // Both pairs are found before the copy shifts the indexes behind it.
    const model::NodePair source = trees.pairOf(clipboard.clipNode());
    const model::NodePair parent = trees.pairOf(target);
    if (clipboard.moveFlag()) {
        trees.moveSubtree(source, parent);
    } else {
        const model::NodePair copy = trees.copySubtree(source, parent);
        if (isRoot(source.display)) {
            // The root's text is no record: its copy is an object of that name, as Paste text
            // makes it, so that the file loads again as the tree shows it.
            const std::string record = model::objectRecord(source.record->text(), 0);
            const model::DecodedRecord decoded = model::decodeRecord(record);
            trees.setPair(copy, decoded.displayText, decoded.iconIndex, record);
        }
    }
    clipboard.clear();
}

void paste(model::PairedTrees& trees, Clipboard& clipboard, platform::UserPrompts& prompts) {
    if (clipboard.clipNode() == nullptr) {
        return;
    }
    model::Node* target = trees.display().selected();
    // The root never moves, and a name with a semicolon names no object.
    const model::NodePair clip = trees.pairOf(clipboard.clipNode());
    const bool unfitRoot =
        isRoot(clip.display) &&
        (clipboard.moveFlag() || clip.record->text().find(';') != std::string_view::npos);
    if (unfitRoot || !mayPasteInto(target, clipboard.clipNode())) {
        prompts.warn(kContainmentWarning);
        return;
    }
    pasteInto(trees, clipboard, target);
}

}  // namespace quorvia::editing
