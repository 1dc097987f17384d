#include "editing/Ordering.h"

#include <algorithm>

#include "editing/Containment.h"

namespace quorvia::editing {

namespace {

// The root keeps its place, and no other top-level node takes it: every load names the first
// top-level node after the file.
void moveSelected(model::PairedTrees& trees, bool up) {
    model::Node* selected = trees.display().selected();
    model::Node* neighbour = nullptr;
    if (selected != nullptr && !isRoot(selected)) {
        neighbour = up ? selected->previousSibling() : selected->nextSibling();
    }
    if (neighbour == nullptr || isRoot(neighbour)) {
        return;
    }
    model::PairedTrees::Step step(trees);
    const model::NodePair pair = trees.pairOf(selected);
    // The partners' neighbours are each other's partners: both trees have the same shape.
    model::Node* recordNeighbour =
        up ? pair.record->previousSibling() : pair.record->nextSibling();
    const model::NodePair before =
        up ? model::NodePair{neighbour, recordNeighbour}
           : model::NodePair{neighbour->nextSibling(), recordNeighbour->nextSibling()};
    trees.movePair(pair, {selected->parent(), pair.record->parent()}, before);
    trees.reveal(selected);
}

// Appends the new order of `parent`'s children to `rows`; false, and nothing appended, when they
// are in order already.
bool appendSortedRows(const model::Node* parent, const TextOrder& order,
                      std::vector<std::string_view>& texts, std::vector<int>& rows) {
    texts.clear();
    for (const model::Node* child = parent->firstChild(); child != nullptr;
         child = child->nextSibling()) {
        texts.push_back(child->text());
    }
    const std::vector<int> sorted = order(texts);
    if (std::is_sorted(sorted.begin(), sorted.end())) {
        return false;
    }
    rows.insert(rows.end(), sorted.begin(), sorted.end());
    return true;
}

void sortSelected(model::PairedTrees& trees, const TextOrder& order, bool allLevels) {
    model::Node* selected = trees.display().selected();
    if (selected == nullptr || !selected->hasChildren()) {
        return;
    }
    model::PairedTrees::Step step(trees);
    const model::NodePair top = trees.pairOf(selected);
    std::vector<model::NodePair> parents;
    std::vector<int> rows;
    std::vector<std::string_view> texts;
    // The parents are sorted in pre-order.
    const auto addNewOrderOf = [&](const model::NodePair& parent) {
        if (parent.display->hasChildren() &&
            appendSortedRows(parent.display, order, texts, rows)) {
            parents.push_back(parent);
        }
    };
    if (allLevels) {
        model::forEachPairInSubtree(top, addNewOrderOf);
    } else {
        addNewOrderOf(top);
    }
    if (!parents.empty()) {
        trees.reorderChildren(parents, rows, top);
        trees.reveal(selected);
    }
}

}  // namespace

void moveUp(model::PairedTrees& trees) {
    moveSelected(trees, true);
}

void moveDown(model::PairedTrees& trees) {
    moveSelected(trees, false);
}

void sortChildren(model::PairedTrees& trees, const TextOrder& order) {
    sortSelected(trees, order, false);
}

void sortAllBelow(model::PairedTrees& trees, const TextOrder& order) {
    sortSelected(trees, order, true);
}

}  // namespace quorvia::editing
