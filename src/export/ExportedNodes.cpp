#include "export/ExportedNodes.h"

#include <algorithm>

#include "platform/FileErrors.h"

namespace quorvia::exporting {

model::NodePair exportedNode(const model::PairedTrees& trees) {
    if (trees.display().selected() != nullptr) {
        return trees.pairOf(trees.display().selected());
    }
    return {trees.display().firstTopLevel(), trees.records().firstTopLevel()};
}

RecordParts recordParts(std::string_view record, bool isObject) {
    const auto first = record.find(';');
    if (first == std::string_view::npos) {
        return {};
    }
    const std::string_view rest = record.substr(first + 1);
    const auto second = isObject ? rest.rfind(';') : rest.find(';');
    if (second == std::string_view::npos) {
        return {rest, {}};
    }
    return {rest.substr(0, second), rest.substr(second + 1)};
}

ExportFile::ExportFile(const std::string& path) : m_file(path) {
    if (const int failed = m_file.create(); failed != 0) {
        platform::raiseOnFailure(failed, platform::FileAction::Create);
    }
}

void ExportFile::write(std::string_view bytes) {
    platform::raiseOnFailure(m_file.write(bytes), platform::FileAction::Read);
}

void ExportFile::commit() {
    platform::raiseOnFailure(m_file.commit(), platform::FileAction::Read);
}

bool hasSemicolonInside(std::string_view record) {
    return std::count(record.begin(), record.end(), ';') > 2;
}

}  // namespace quorvia::exporting
