// What the exports for other programs share: the node they start from, and a record's name and
// value as the edit dialogs read them.
#pragma once

#include <string_view>

#include "model/NodeRecord.h"
#include "model/PairedTrees.h"

namespace quorvia::exporting {

// The selected pair, or the root (the first top-level pair) when nothing is selected.
model::NodePair exportedNode(const model::PairedTrees& trees);

inline model::NodePair firstChildOf(const model::NodePair& pair) {
    return {pair.display->firstChild(), pair.record->firstChild()};
}

inline model::NodePair nextSiblingOf(const model::NodePair& pair) {
    return {pair.display->nextSibling(), pair.record->nextSibling()};
}

// Visits every pair below `top` in pre-order as visit(pair, level), its children at level 0.
template <typename Visit>
void forEachPairBelow(const model::NodePair& top, Visit&& visit) {
    const model::Node* first = top.display->firstChild();
    if (first == nullptr) {
        return;
    }
    const model::Node* record = top.record->firstChild();
    model::forEachWithLevelFrom(first, top.display, [&](const model::Node& display, int level) {
        visit(
            model::NodePair{const_cast<model::Node*>(&display), const_cast<model::Node*>(record)},
            level);
        record = model::Tree::nextInPreorder(record);
    });
}

// An attribute record's name (field 1) and value (everything behind the second ";"), or an
// object record's name (everything between the first and the last ";") and icon field (the
// last field). A record of fewer fields gives what it has, the rest empty.
struct RecordParts {
    std::string_view name;
    std::string_view value;
};
RecordParts recordParts(std::string_view record, bool isObject);

// The kind as every rule reads it: icon index -1 in the display tree is an attribute.
inline bool isAttribute(const model::Node& display) {
    return display.iconIndex() == model::kAttributeIcon;
}

// Whether a record splits into more fields than its kind has: its name or value holds a ";".
bool hasSemicolonInside(std::string_view record);

}  // namespace quorvia::exporting
