// What the exports for other programs share: the node they start from, and a record's name and
// value as the edit dialogs read them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/NodeRecord.h"
#include "model/PairedTrees.h"
#include "platform/Files.h"

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

// Writes a walk's nodes nested: writer.open(node, level) for each, which is true when the node
// stays open for its children, and writer.close(level) for such a node once they are written.
// `walk(visit)` calls visit(node, level) in pre-order.
template <typename Walk, typename Writer>
void writeNested(Walk&& walk, Writer& writer) {
    std::vector<int> open;  // the levels of the nodes left open
    walk([&](const auto& node, int level) {
        for (; !open.empty() && open.back() >= level; open.pop_back()) {
            writer.close(open.back());
        }
        if (writer.open(node, level)) {
            open.push_back(level);
        }
    });
    for (; !open.empty(); open.pop_back()) {
        writer.close(open.back());
    }
}

// A file written block by block and replaced in one safe step at commit(): a failure raises
// the text-file error and leaves the old file as it was.
class ExportFile final {
public:
    explicit ExportFile(const std::string& path);
    void write(std::string_view bytes);
    void commit();

private:
    platform::FileReplacement m_file;
};

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
