#include "editing/ItemDialogs.h"

#include "editing/Containment.h"
#include "model/FieldList.h"
#include "model/NodeRecord.h"

namespace quorvia::editing {

namespace {

// Writes the dialog's result: a new last child in add mode, else the selected pair itself.
void apply(model::PairedTrees& trees, DialogMode mode, std::string_view displayText,
           std::string_view record, std::int32_t iconIndex) {
    // The dialog's opening made the display selection's partner the current record.
    model::NodePair pair{trees.display().selected(), trees.records().selected()};
    if (pair.display == nullptr || pair.record == nullptr) {
        return;
    }
    model::PairedTrees::Step step(trees);
    if (mode == DialogMode::Add) {
        pair = trees.appendPair(pair, displayText, iconIndex, record);
    } else {
        trees.setPair(pair, displayText, iconIndex, record);
    }
    trees.showPair(pair);
}

void runObjectDialog(model::PairedTrees& trees, platform::UserPrompts& prompts, DialogMode mode) {
    const auto entered = prompts.editObject(showObjectDialog(trees, mode));
    if (entered) {
        applyObjectDialog(trees, mode, *entered);
    }
}

void runAttributeDialog(model::PairedTrees& trees, platform::UserPrompts& prompts,
                        DialogMode mode) {
    const auto entered = prompts.editAttribute(showAttributeDialog(trees, mode));
    if (entered) {
        applyAttributeDialog(trees, mode, *entered);
    }
}

}  // namespace

platform::ObjectFields showObjectDialog(model::PairedTrees& trees, DialogMode mode) {
    const model::NodePair pair = trees.showCurrentRecord();
    platform::ObjectFields shown;
    if (mode == DialogMode::Edit && pair) {
        model::FieldList fields;
        fields.split(pair.record->text());
        if (fields.count() == 3) {
            shown.name = std::string(fields.field(1));
            // Passed on even when the list holds no such entry: the dialog then chooses none
            // and gives the index back unless the user picks another.
            shown.iconIndex = model::parseIntegerField(fields.field(2));
        }
    }
    return shown;
}

platform::AttributeFields showAttributeDialog(model::PairedTrees& trees, DialogMode mode) {
    const model::NodePair pair = trees.showCurrentRecord();
    platform::AttributeFields shown;
    if (mode == DialogMode::Edit && pair) {
        model::FieldList fields;
        fields.split(pair.record->text());
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

void addObject(model::PairedTrees& trees, platform::UserPrompts& prompts) {
    if (!mayAddObject(trees.display().selected())) {
        prompts.warn(kContainmentWarning);
        return;
    }
    runObjectDialog(trees, prompts, DialogMode::Add);
}

void addAttribute(model::PairedTrees& trees, platform::UserPrompts& prompts) {
    if (!mayAddAttribute(trees.display().selected())) {
        prompts.warn(kContainmentWarning);
        return;
    }
    runAttributeDialog(trees, prompts, DialogMode::Add);
}

void editSelected(model::PairedTrees& trees, platform::UserPrompts& prompts) {
    const model::Node* selected = trees.display().selected();
    if (selected == nullptr || selected->isTopLevel()) {
        return;
    }
    if (isAttribute(selected)) {
        runAttributeDialog(trees, prompts, DialogMode::Edit);
    } else {
        runObjectDialog(trees, prompts, DialogMode::Edit);
    }
}

}  // namespace quorvia::editing
