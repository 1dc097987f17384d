#include "import/TextImport.h"

#include <string>
#include <vector>

#include "model/NodeRecord.h"
#include "platform/TextFiles.h"

namespace quorvia::importing {

namespace {

bool isAttribute(const model::Node* node) {
    return node->iconIndex() == model::kAttributeIcon;
}

bool isObjectBelowTop(const model::Node* node) {
    return node != nullptr && !node->isTopLevel() && !isAttribute(node);
}

// Both trees' bulk updates, begun display first and ended display first, whatever way the
// import ends.
class ImportUpdate final {
public:
    explicit ImportUpdate(model::PairedTrees& trees) : m_trees(trees) {
        m_trees.tvMain.beginUpdate();
        m_trees.tvMirror.beginUpdate();
    }
    ~ImportUpdate() {
        m_trees.tvMain.endUpdate();
        m_trees.tvMirror.endUpdate();
    }
    ImportUpdate(const ImportUpdate&) = delete;
    ImportUpdate& operator=(const ImportUpdate&) = delete;

private:
    model::PairedTrees& m_trees;
};

// One imported attribute in both trees. Its display text is "name:value", without the blank the
// dialogs put there. The buffers are reused from one attribute to the next.
class AttributeAppender {
public:
    void append(model::PairedTrees& trees, model::Node* display, model::Node* record,
                std::string_view name, std::string_view value) {
        m_text.clear();
        m_text.append(name).append(":").append(value);
        trees.tvMain.appendChild(display, m_text);
        model::formAttributeRecord(m_record, name, value);
        trees.tvMirror.appendChild(record, m_record);
    }

private:
    std::string m_text;
    std::string m_record;
};

// The target is opened one level; the record tree follows as it does for the user.
void expandTarget(model::PairedTrees& trees, model::Node* target) {
    model::followExpand(trees, target);
    trees.tvMain.setExpanded(target, true);
}

}  // namespace

bool mayImportAttributesInto(const model::Node* selected) {
    return isObjectBelowTop(selected) &&
           (!selected->hasChildren() || isAttribute(selected->firstChild()));
}

bool mayImportObjectsInto(const model::Node* selected) {
    return isObjectBelowTop(selected) &&
           (!selected->hasChildren() || !isAttribute(selected->firstChild()));
}

void mmImportAttributesClick(model::PairedTrees& trees, model::FieldList& fields,
                             platform::UserPrompts& prompts) {
    model::Node* target = trees.tvMain.selected();
    if (!mayImportAttributesInto(target)) {
        prompts.warn(kAttributeTargetWarning);
        return;
    }
    const auto path = prompts.chooseFileToOpen();
    if (!path) {
        return;
    }
    ImportUpdate update(trees);
    model::Node* record = model::selectCurrentRecord(trees);
    platform::TextLineReader file = platform::openTextFile(*path);
    AttributeAppender attributes;
    while (!file.atEnd()) {
        fields.split(file.readLine());
        if (fields.count() == 2) {
            attributes.append(trees, target, record, fields.field(0), fields.field(1));
        }
    }
    expandTarget(trees, target);
}

void mmImportObjectClick(model::PairedTrees& trees, model::FieldList& fields,
                         platform::UserPrompts& prompts) {
    model::Node* target = trees.tvMain.selected();
    if (!mayImportObjectsInto(target)) {
        prompts.warn(kObjectTargetWarning);
        return;
    }
    const auto path = prompts.chooseFileToOpen();
    if (!path) {
        return;
    }
    model::Node* record = model::selectCurrentRecord(trees);
    platform::TextLineReader file = platform::openTextFile(*path);

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

    ImportUpdate update(trees);
    AttributeAppender attributes;
    while (!file.atEnd()) {
        fields.split(file.readLine());
        if (fields.count() != columns) {
            continue;
        }
        const std::string_view name = fields.field(nameColumn);
        model::Node* object = trees.tvMain.appendChild(target, name);
        trees.tvMain.setIconIndex(object, kImportedObjectIcon);
        model::Node* objectRecord =
            trees.tvMirror.appendChild(record, model::objectRecord(name, kImportedObjectIcon));
        for (int column = 0; column < columns; ++column) {
            if (column == nameColumn) {
                continue;
            }
            attributes.append(trees, object, objectRecord, headers[static_cast<size_t>(column)],
                              fields.field(column));
        }
    }
    expandTarget(trees, target);
}

}  // namespace quorvia::importing
