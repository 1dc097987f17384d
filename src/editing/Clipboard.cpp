#include "editing/Clipboard.h"

#include <cassert>
#include <vector>

#include "editing/Containment.h"

namespace quorvia::editing {

Clipboard::Clipboard(model::Tree& display) : m_display(display) {
    m_display.addObserver(this);
}

Clipboard::~Clipboard() {
    m_display.removeObserver(this);
}

void Clipboard::mmCopyClick() {
    m_clipNode = m_display.selected();
    m_moveFlag = false;
}

void Clipboard::mmCutClick() {
    m_clipNode = m_display.selected();
    m_moveFlag = true;
}

void Clipboard::takeForMove(model::Node* dragged) {
    m_clipNode = dragged;
    m_moveFlag = true;
}

void Clipboard::aboutToRemove(const model::Node* node) {
    if (m_clipNode != nullptr && m_clipNode->isWithin(node)) {
        m_clipNode = nullptr;
    }
}

void Clipboard::aboutToReset() {
    m_clipNode = nullptr;
}

model::Node* CopySubtree(model::Tree& tree, const model::Node* source, model::Node* parent) {
    // A copy into the source's own subtree would never end; every caller refuses it first.
    assert(parent == nullptr || !parent->isWithin(source));
    // One bulk update: the views hear of one new child of `parent`, however large the copy.
    model::BulkUpdate update(tree);
    model::Node* copy = tree.appendCopy(parent, *source);
    std::vector<model::Node*> copies{copy};  // copies[d]: the copy at depth d below `source`
    const model::Node* node = source;
    for (;;) {
        if (node->firstChild() != nullptr) {
            node = node->firstChild();
        } else {
            while (node != source && node->nextSibling() == nullptr) {
                node = node->parent();
                copies.pop_back();
            }
            if (node == source) {
                break;
            }
            node = node->nextSibling();
            copies.pop_back();
        }
        copies.push_back(tree.appendCopy(copies.back(), *node));
    }
    return copy;
}

void PasteInto(model::PairedTrees& trees, Clipboard& clipboard, model::Node* target) {
    model::Node* source = clipboard.clipNode();
    // Both record nodes are found before the copy shifts the indexes behind it.
    model::Node* recordSource = model::partnerOf(trees.tvMain, source, trees.tvMirror);
    model::Node* recordTarget = model::partnerOf(trees.tvMain, target, trees.tvMirror);
    CopySubtree(trees.tvMain, source, target);
    CopySubtree(trees.tvMirror, recordSource, recordTarget);
    if (clipboard.moveFlag()) {
        trees.tvMirror.removeSubtree(recordSource);
        trees.tvMain.removeSubtree(source);
    }
    clipboard.clear();
}

void mmPasteClick(model::PairedTrees& trees, Clipboard& clipboard,
                  platform::UserPrompts& prompts) {
    if (clipboard.clipNode() == nullptr) {
        return;
    }
    model::Node* target = trees.tvMain.selected();
    if (!mayPasteInto(target, clipboard.clipNode())) {
        prompts.warn(kContainmentWarning);
        return;
    }
    PasteInto(trees, clipboard, target);
}

}  // namespace quorvia::editing
