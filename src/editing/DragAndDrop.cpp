#include "editing/DragAndDrop.h"

#include "editing/Containment.h"

namespace quorvia::editing {

bool dropOnto(model::PairedTrees& trees, Clipboard& clipboard, model::Node* target) {
    model::Node* dragged = trees.display().selected();
    if (dragged == nullptr || !acceptsDrop(dragged, target, true)) {
        return false;
    }
    model::PairedTrees::Step step(trees);
    clipboard.takeForMove(dragged);
    pasteInto(trees, clipboard, target);
    trees.setExpanded(target, true);
    trees.select(target);
    return true;
}

}  // namespace quorvia::editing
