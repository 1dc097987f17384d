#include "editing/Deletion.h"

namespace quorvia::editing {

void deleteSelected(model::PairedTrees& trees, platform::UserPrompts& prompts) {
    const model::Node* selected = trees.display().selected();
    if (selected == nullptr || selected->isTopLevel()) {
        return;
    }
    if (!prompts.confirm(kDeleteQuestion)) {
        return;
    }
    model::PairedTrees::Step step(trees);
    trees.removePair(trees.showCurrentRecord());
}

}  // namespace quorvia::editing
