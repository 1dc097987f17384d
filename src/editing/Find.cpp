#include "editing/Find.h"

namespace quorvia::editing {

model::Node* findNext(const model::Tree& display, const model::Node* from,
                      const TextMatch& matches) {
    model::Node* start = display.firstTopLevel();
    if (from != nullptr) {
        start = model::Tree::nextInPreorder(from);
        if (start == nullptr) {
            start = display.firstTopLevel();
        }
    }
    model::Node* node = start;
    while (node != nullptr) {
        if (matches(node->text())) {
            return node;
        }
        node = model::Tree::nextInPreorder(node);
        if (node == nullptr && start != display.firstTopLevel()) {
            node = display.firstTopLevel();  // once round: on from the top
        }
        if (node == start) {
            break;
        }
    }
    return nullptr;
}

bool findAndReveal(model::PairedTrees& trees, const TextMatch& matches) {
    model::Node* found = findNext(trees.display(), trees.display().selected(), matches);
    if (found == nullptr) {
        return false;
    }
    trees.reveal(found);
    return true;
}

}  // namespace quorvia::editing
