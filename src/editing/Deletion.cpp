#include "editing/Deletion.h"

namespace quorvia::editing {

void DeleteSelected(model::PairedTrees& trees, platform::UserPrompts& prompts) {
    model::Node* selected = trees.tvMain.selected();
    if (selected == nullptr || selected->isTopLevel()) {
        return;
    }
    if (!prompts.confirm(kDeleteQuestion)) {
        return;
    }
    model::Node* record = model::selectCurrentRecord(trees);
    trees.tvMirror.makeVisible(record);
    trees.tvMain.removeSubtree(selected);
    trees.tvMirror.removeSubtree(record);
}

}  // namespace quorvia::editing
