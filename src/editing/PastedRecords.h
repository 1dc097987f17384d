// Records added below a node as Paste text adds them: one step of the history, one bulk update,
// each record at its level below the target and shown as a load decodes it, and at the end the
// first of them shown and selected. Paste text and the outline import both add this way.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "model/NodeRecord.h"
#include "model/PairedTrees.h"

namespace quorvia::editing {

class PastedRecords final {
public:
    PastedRecords(model::PairedTrees& trees, model::Node* target);
    PastedRecords(const PastedRecords&) = delete;
    PastedRecords& operator=(const PastedRecords&) = delete;

    // A last child of the record added last at `level` - 1 (of the target for level 0).
    void append(size_t level, std::string_view record);
    // Ends the bulk update and shows and selects the first record added.
    void showFirst();

private:
    model::PairedTrees& m_trees;
    model::PairedTrees::Step m_step;
    std::optional<model::PairedTrees::BulkEdit> m_edit;
    model::DecodedRecord m_decoded;
    // m_path[L] is the last pair placed at level L, m_path[0] the target.
    std::vector<model::NodePair> m_path;
    model::NodePair m_first;
};

}  // namespace quorvia::editing
