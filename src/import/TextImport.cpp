#include "import/TextImport.h"

#include <optional>
#include <string>
#include <vector>

#include "editing/Containment.h"
#include "import/ImportedNodes.h"
#include "model/FieldList.h"
#include "platform/TextFiles.h"

namespace quorvia::importing {

namespace {

// Reads the chosen file; nothing, after a warning, when a line of it holds a NUL byte.
std::optional<platform::TextLineReader> readSource(const std::string& path,
                                                   platform::UserPrompts& prompts) {
    platform::TextLineReader file = platform::openTextFile(path);
    if (const int line = file.firstLineWithNul(); line > 0) {
        prompts.warn(platform::nulLineMessage(path, line));
        return std::nullopt;
    }
    return file;
}

// The file to import into the selected node, when the rule allows it there: the warning when
// not, nothing when the open dialog is cancelled.
std::optional<std::string> chooseSource(bool allowed, const char* warning,
                                        platform::UserPrompts& prompts) {
    if (!allowed) {
        prompts.warn(warning);
        return std::nullopt;
    }
    return prompts.chooseFileToOpen();
}

}  // namespace

std::optional<ObjectImportSource> chooseObjectSource(model::PairedTrees& trees,
                                                     platform::UserPrompts& prompts) {
    const auto path = chooseSource(editing::mayImportObjectsInto(trees.display().selected()),
                                   kObjectTargetWarning, prompts);
    if (!path) {
        return std::nullopt;
    }
    return ObjectImportSource{*path, trees.selectCurrentRecord()};
}

void importAttributes(model::PairedTrees& trees, platform::UserPrompts& prompts) {
    model::Node* target = trees.display().selected();
    const auto path =
        chooseSource(editing::mayImportAttributesInto(target), kAttributeTargetWarning, prompts);
    if (!path) {
        return;
    }
    model::PairedTrees::Step step(trees);
    model::PairedTrees::BulkEdit edit(trees);
    const model::NodePair parent = trees.selectCurrentRecord();
    auto source = readSource(*path, prompts);
    if (!source) {
        return;
    }
    platform::TextLineReader& file = *source;
    model::FieldList fields;
    ImportedNodes nodes(trees);
    while (!file.atEnd()) {
        fields.split(file.readLine());
        if (fields.count() == 2) {
            nodes.appendAttribute(parent, fields.field(0), fields.field(1));
        }
    }
    // The target is opened one level, as the user would open it.
    trees.setExpanded(target, true);
}

void importObjects(model::PairedTrees& trees, platform::UserPrompts& prompts) {
    const auto chosen = chooseObjectSource(trees, prompts);
    if (!chosen) {
        return;
    }
    const model::NodePair parent = chosen->parent;
    auto source = readSource(chosen->path, prompts);
    if (!source) {
        return;
    }
    platform::TextLineReader& file = *source;

    model::FieldList fields;
    std::vector<std::string> headers;
    int nameColumn = -1;
    if (!file.atEnd()) {
        fields.split(file.readLine());
        // The list is copied: every later split replaces the field list.
        headers = fields.copyAll();
        nameColumn = prompts.chooseNameColumn(headers);
        if (nameColumn < 0) {
            return;
        }
    }
    const int columns = static_cast<int>(headers.size());

    model::PairedTrees::Step step(trees);
    model::PairedTrees::BulkEdit edit(trees);
    ImportedNodes nodes(trees);
    while (!file.atEnd()) {
        fields.split(file.readLine());
        if (fields.count() == columns) {
            nodes.appendObjectRow(parent, headers, nameColumn,
                                  [&](int column) { return fields.field(column); });
        }
    }
    trees.setExpanded(parent.display, true);
}

}  // namespace quorvia::importing
