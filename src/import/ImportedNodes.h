// The nodes the table imports make in both trees: attributes shown as "name:value" (without the
// blank the dialogs put there) and objects of icon 2 holding one attribute per other column.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/NodeRecord.h"
#include "model/PairedTrees.h"

namespace quorvia::importing {

// Icon index of every object the object import makes.
inline constexpr std::int32_t kImportedObjectIcon = 2;

class ImportedNodes final {
public:
    explicit ImportedNodes(model::PairedTrees& trees) : m_trees(trees) {}

    // The buffers are reused from one attribute to the next.
    void appendAttribute(const model::NodePair& parent, std::string_view name,
                         std::string_view value) {
        m_text.clear();
        m_text.append(name).append(":").append(value);
        model::formAttributeRecord(m_record, name, value);
        m_trees.appendPair(parent, m_text, model::kAttributeIcon, m_record);
    }

    // One row of a table: `fieldAt(column)` gives its fields, the one in `nameColumn` names
    // the object and every other becomes an attribute named after its header, in column order.
    template <typename FieldAt>
    void appendObjectRow(const model::NodePair& parent, const std::vector<std::string>& headers,
                         int nameColumn, FieldAt&& fieldAt) {
        const std::string_view name = fieldAt(nameColumn);
        const model::NodePair object = m_trees.appendPair(
            parent, name, kImportedObjectIcon, model::objectRecord(name, kImportedObjectIcon));
        for (int column = 0; column < static_cast<int>(headers.size()); ++column) {
            if (column != nameColumn) {
                appendAttribute(object, headers[static_cast<size_t>(column)], fieldAt(column));
            }
        }
    }

private:
    model::PairedTrees& m_trees;
    std::string m_text;
    std::string m_record;
};

}  // namespace quorvia::importing
