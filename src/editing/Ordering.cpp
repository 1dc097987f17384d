#include "editing/Ordering.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

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

// The display texts of a parent's children, as the order compares them. Those formed from
// records lie end to end in one string, which each collection reuses.
class ChildTexts final {
public:
    const std::vector<std::string_view>& of(const model::Node* parent) {
        m_texts.clear();
        m_formed.clear();
        m_formedSpans.clear();
        for (const model::Node* child = parent->firstChild(); child != nullptr;
             child = child->nextSibling()) {
            const std::string_view shown = child->shownText(m_buffer);
            if (shown.data() == m_buffer.data()) {
                m_formedSpans.push_back({m_texts.size(), m_formed.size(), shown.size()});
                m_formed.append(shown);
            }
            m_texts.push_back(shown);
        }
        // The formed texts are pointed at once the string holding them no longer grows.
        for (const FormedSpan& span : m_formedSpans) {
            m_texts[span.child] = std::string_view(m_formed).substr(span.offset, span.length);
        }
        return m_texts;
    }

private:
    struct FormedSpan {
        size_t child;
        size_t offset;
        size_t length;
    };
    std::vector<std::string_view> m_texts;
    std::string m_formed;
    std::vector<FormedSpan> m_formedSpans;
    std::string m_buffer;
};

// Appends the new order of `parent`'s children to `rows`; false, and nothing appended, when they
// are in order already.
bool appendSortedRows(const model::Node* parent, const TextOrder& order, ChildTexts& texts,
                      std::vector<int>& rows) {
    const std::vector<int> sorted = order(texts.of(parent));
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
    ChildTexts texts;
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
