#include "import/TextImport.h"

#include <optional>
#include <string>
#include <vector>

#include "editing/Containment.h"
#include "model/FieldList.h"
#include "model/NodeRecord.h"
#include "platform/TextFiles.h"

namespace quorvia::importing {

namespace {

// One imported attribute in both trees. Its display text is "name:value", without the blank the
// dialogs put there. The buffers are reused from one attribute to the next.
class AttributeAppender {
public:
    void append(model::PairedTrees& trees, const model::NodePair& parent, std::string_view name,
                std::string_view value) {
        m_text.clear();
        m_text.append(name).append(":").append(value);
        model::formAttributeRecord(m_record, name, value);
        trees.appendPair(parent, m_text, model::kAttributeIcon, m_record);
    }

private:
    std::string m_text;
    std::string m_record;
};

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

}  // namespace

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
    AttributeAppender attributes;
    while (!file.atEnd()) {
        fields.split(file.readLine());
        if (fields.count() == 2) {
            attributes.append(trees, parent, fields.field(0), fields.field(1));
        }
    }
    // The target is opened one level, as the user would open it.
    trees.setExpanded(target, true);
}

void importObjects(model::PairedTrees& trees, platform::UserPrompts& prompts) {
    model::Node* target = trees.display().selected();
    const auto path =
        chooseSource(editing::mayImportObjectsInto(target), kObjectTargetWarning, prompts);
    if (!path) {
        return;
    }
    const model::NodePair parent = trees.selectCurrentRecord();
    auto source = readSource(*path, prompts);
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
    AttributeAppender attributes;
    while (!file.atEnd()) {
        fields.split(file.readLine());
        if (fields.count() != columns) {
            continue;
        }
        const std::string_view name = fields.field(nameColumn);
        const model::NodePair object = trees.appendPair(
            parent, name, kImportedObjectIcon, model::objectRecord(name, kImportedObjectIcon));
        for (int column = 0; column < columns; ++column) {
            if (column != nameColumn) {
                attributes.append(trees, object, headers[static_cast<size_t>(column)],
                                  fields.field(column));
            }
        }
    }
    trees.setExpanded(target, true);
}

}  // namespace quorvia::importing
