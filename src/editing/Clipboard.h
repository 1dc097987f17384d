// The internal one-node clipboard (not the system's): Copy, Cut, Paste, the paste that the drop
// shares, and Duplicate, which copies and pastes in one.
#pragma once

#include "model/PairedTrees.h"
#include "model/TreeObserver.h"
#include "platform/UserPrompts.h"

namespace quorvia::editing {

class Clipboard final : private model::TreeObserver {
public:
    explicit Clipboard(const model::Tree& display);
    ~Clipboard() override;
    Clipboard(const Clipboard&) = delete;
    Clipboard& operator=(const Clipboard&) = delete;

    // The display node last copied, cut or dragged, or nullptr. A node that leaves the tree
    // leaves the clipboard at that moment.
    model::Node* clipNode() const { return m_clipNode; }
    bool moveFlag() const { return m_moveFlag; }

    void copy();
    void cut();
    // What a drop does before it pastes: the dragged node, to be moved.
    void takeForMove(model::Node* dragged);
    void clear() { m_clipNode = nullptr; }

private:
    void aboutToRemove(const model::Node* parent, int first, int last) override;
    void aboutToReset() override;

    const model::Tree& m_display;
    model::Node* m_clipNode = nullptr;
    bool m_moveFlag = false;
};

// Paste: nothing without a clip node; the containment warning on no selection, on an attribute
// below the top level, or inside the clip node's own subtree, and for a cut root (the root never
// moves) or a copied one whose text holds a ";"; else pasteInto the selection.
void paste(model::PairedTrees& trees, Clipboard& clipboard, platform::UserPrompts& prompts);

// Copies the clip node's subtree as the target's last child in both trees, or moves it there
// (the very nodes, arriving collapsed) when the move flag is set, and empties the clipboard. A
// copy of the root, whose text is no record, becomes an object of that name with icon 0.
void pasteInto(model::PairedTrees& trees, Clipboard& clipboard, model::Node* target);

// Duplicate: a copy of the selected node with its branch, right after it under the same parent
// (a top-level node beside it at the top level), in both trees, collapsed as a pasted copy is,
// then selected and shown; the root's copy is an object, as Paste makes it, and a root whose text
// holds a ";" gets Paste's warning. Nothing without a selection.
void duplicateSelected(model::PairedTrees& trees, platform::UserPrompts& prompts);

}  // namespace quorvia::editing
