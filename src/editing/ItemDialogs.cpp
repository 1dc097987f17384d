#include "editing/ItemDialogs.h"

#include "editing/Containment.h"
#include "model/NodeRecord.h"

namespace quorvia::editing {

namespace {

model::Node* showCurrentRecord(model::PairedTrees& trees) {
    model::Node* record = model::selectCurrentRecord(trees);
    if (record != nullptr) {
        trees.tvMirror.makeVisible(record);
    }
    return record;
}

// Writes the dialog's result: a new last child in add mode, else the selected pair itself.
void apply(model::PairedTrees& trees, DialogMode mode, std::string_view displayText,
           std::string_view record, std::int32_t iconIndex) {
    model::Node* display = trees.tvMain.selected();
    model::Node* recordNode = trees.tvMirror.selected();
    if (display == nullptr || recordNode == nullptr) {
        return;
    }
    if (mode == DialogMode::Add) {
        display = trees.tvMain.appendChild(display, displayText);
        recordNode = trees.tvMirror.appendChild(recordNode, record);
    } else {
        trees.tvMain.setText(display, displayText);
        trees.tvMirror.setText(recordNode, record);
    }
    trees.tvMain.setIconIndex(display, iconIndex);
    trees.tvMain.makeVisible(display);
    trees.tvMain.select(display);
    trees.tvMirror.makeVisible(recordNode);
    trees.tvMirror.select(recordNode);
}

void runObjectDialog(model::PairedTrees& trees, model::FieldList& fields,
                     platform::UserPrompts& prompts, DialogMode mode) {
    const auto entered = prompts.editObject(showObjectDialog(trees, fields, mode));
    if (entered) {
        applyObjectDialog(trees, mode, *entered);
    }
}

void runAttributeDialog(model::PairedTrees& trees, model::FieldList& fields,
                        platform::UserPrompts& prompts, DialogMode mode) {
    const auto entered = prompts.editAttribute(showAttributeDialog(trees, fields, mode));
    if (entered) {
        applyAttributeDialog(trees, mode, *entered);
    }
}

}  // namespace

platform::ObjectFields showObjectDialog(model::PairedTrees& trees, model::FieldList& fields,
                                        DialogMode mode) {
    const model::Node* record = showCurrentRecord(trees);
    platform::ObjectFields shown;
    if (mode == DialogMode::Edit && record != nullptr) {
        fields.split(record->text());
        if (fields.count() == 3) {
            shown.name = std::string(fields.field(1));
            // Passed on even when the list holds no such entry: the dialog then chooses none
            // and gives the index back unless the user picks another.
            shown.iconIndex = model::parseIntegerField(fields.field(2));
        }
    }
    return shown;
}

platform::AttributeFields showAttributeDialog(model::PairedTrees& trees, model::FieldList& fields,
                                              DialogMode mode) {
    const model::Node* record = showCurrentRecord(trees);
    platform::AttributeFields shown;
    if (mode == DialogMode::Edit && record != nullptr) {
        fields.split(record->text());
        if (fields.count() == 3) {
            shown.name = std::string(fields.field(1));
            shown.value = std::string(fields.field(2));
        }
    }
    return shown;
}

void applyObjectDialog(model::PairedTrees& trees, DialogMode mode,
                       const platform::ObjectFields& entered) {
    apply(trees, mode, entered.name, model::objectRecord(entered.name, entered.iconIndex),
          entered.iconIndex);
}

void applyAttributeDialog(model::PairedTrees& trees, DialogMode mode,
                          const platform::AttributeFields& entered) {
    std::string displayText = entered.name;
    displayText.append(": ").append(entered.value);
    apply(trees, mode, displayText, model::attributeRecord(entered.name, entered.value),
          model::kAttributeIcon);
}

void addObject(model::PairedTrees& trees, model::FieldList& fields,
               platform::UserPrompts& prompts) {
    if (!mayAddObject(trees.tvMain.selected())) {
        prompts.warn(kContainmentWarning);
        return;
    }
    runObjectDialog(trees, fields, prompts, DialogMode::Add);
}

void addAttribute(model::PairedTrees& trees, model::FieldList& fields,
                  platform::UserPrompts& prompts) {
    if (!mayAddAttribute(trees.tvMain.selected())) {
        prompts.warn(kContainmentWarning);
        return;
    }
    runAttributeDialog(trees, fields, prompts, DialogMode::Add);
}

void EditSelected(model::PairedTrees& trees, model::FieldList& fields,
                  platform::UserPrompts& prompts) {
    const model::Node* selected = trees.tvMain.selected();
    if (selected == nullptr || selected->isTopLevel()) {
        return;
    }
    if (isAttribute(selected)) {
        runAttributeDialog(trees, fields, prompts, DialogMode::Edit);
    } else {
        runObjectDialog(trees, fields, prompts, DialogMode::Edit);
    }
}

}  // namespace quorvia::editing
