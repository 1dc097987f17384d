#include "editing/Clipboard.h"

#include "editing/Containment.h"

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
        trees.copySubtree(source, parent);
    }
    clipboard.clear();
}

void paste(model::PairedTrees& trees, Clipboard& clipboard, platform::UserPrompts& prompts) {
    if (clipboard.clipNode() == nullptr) {
        return;
    }
    model::Node* target = trees.display().selected();
    if (!mayPasteInto(target, clipboard.clipNode())) {
        prompts.warn(kContainmentWarning);
        return;
    }
    pasteInto(trees, clipboard, target);
}

void duplicateSelected(model::PairedTrees& trees) {
    model::Node* selected = trees.display().selected();
    if (selected == nullptr) {
        return;
    }
    model::PairedTrees::Step step(trees);
    const model::NodePair source = trees.pairOf(selected);
    const model::NodePair parent{source.display->parent(), source.record->parent()};
    const model::NodePair next{source.display->nextSibling(), source.record->nextSibling()};
    // The copy shares the source's texts; it arrives last and then moves up behind the source.
    const model::NodePair copy = trees.copySubtree(source, parent);
    if (next) {
        trees.movePair(copy, parent, next);
    }
    trees.showPair(copy);
}

}  // namespace quorvia::editing
