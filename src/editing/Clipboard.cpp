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

namespace {

// A copy of `source`'s branch as the last child of `parent`. The root's text is no record: its
// copy is an object of that name, as Paste text makes it, so that the file loads again as the
// tree shows it.
model::NodePair copyBranch(model::PairedTrees& trees, const model::NodePair& source,
                           const model::NodePair& parent) {
    const model::NodePair copy = trees.copySubtree(source, parent);
    if (isRoot(source.display)) {
        const std::string record = model::objectRecord(source.record->text(), 0);
        const model::DecodedRecord decoded = model::decodeRecord(record);
        trees.setPair(copy, decoded.displayText, decoded.iconIndex, record);
    }
    return copy;
}

// A root whose text holds a ";" names no object, so it has no copy.
bool rootWithoutCopy(const model::NodePair& pair) {
    return isRoot(pair.display) && pair.record->text().find(';') != std::string_view::npos;
}

}  // namespace

void pasteInto(model::PairedTrees& trees, Clipboard& clipboard, model::Node* target) {
    model::PairedTrees::Step step(trees);
    // Both pairs are found before the copy shifts the indexes behind it.
    const model::NodePair source = trees.pairOf(clipboard.clipNode());
    const model::NodePair parent = trees.pairOf(target);
    if (clipboard.moveFlag()) {
        trees.moveSubtree(source, parent);
    } else {
        copyBranch(trees, source, parent);
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
    const bool unfitRoot = isRoot(clip.display) && (clipboard.moveFlag() || rootWithoutCopy(clip));
    if (unfitRoot || !mayPasteInto(target, clipboard.clipNode())) {
        prompts.warn(kContainmentWarning);
        return;
    }
    pasteInto(trees, clipboard, target);
}

void duplicateSelected(model::PairedTrees& trees, platform::UserPrompts& prompts) {
    const model::NodePair source = trees.pairOf(trees.display().selected());
    if (!source) {
        return;
    }
    if (rootWithoutCopy(source)) {
        prompts.warn(kContainmentWarning);
        return;
    }
    model::PairedTrees::Step step(trees);
    const model::NodePair parent{source.display->parent(), source.record->parent()};
    const model::NodePair next{source.display->nextSibling(), source.record->nextSibling()};
    // The copy shares the source's texts; it arrives last and then moves up behind the source.
    const model::NodePair copy = copyBranch(trees, source, parent);
    if (next) {
        trees.movePair(copy, parent, next);
    }
    trees.showPair(copy);
}

}  // namespace quorvia::editing
