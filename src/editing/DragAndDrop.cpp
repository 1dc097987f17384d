#include "editing/DragAndDrop.h"

#include "editing/Containment.h"

namespace quorvia::editing {

bool dropOnto(model::PairedTrees& trees, Clipboard& clipboard, model::Node* target) {
    model::Node* dragged = trees.tvMain.selected();
    if (dragged == nullptr || !acceptsDrop(dragged, target, true)) {
        return false;
    }
    clipboard.takeForMove(dragged);
    PasteInto(trees, clipboard, target);
    model::followExpand(trees, target);
    trees.tvMain.setExpanded(target, true);
    trees.tvMain.select(target);
    return true;
}

}  // namespace quorvia::editing
