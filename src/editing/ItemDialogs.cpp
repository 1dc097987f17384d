#include "editing/ItemDialogs.h"

#include "editing/Containment.h"
#include "model/NodeRecord.h"

namespace quorvia::editing {

namespace {

// What an edit dialog opens with: the fields the record holds, a semicolon kept inside the
// field it belongs to. An attribute's name is field 1 and its value all behind the second ";";
// an object's name all between the first and the last ";", its icon the last field.
platform::ObjectFields objectFieldsOf(std::string_view record) {
    const size_t first = record.find(';');
    if (first == std::string_view::npos) {
        return {};
    }
    const size_t last = record.rfind(';');
    if (last == first) {
        return {std::string(record.substr(first + 1)), 0};
    }
    // Passed on even when the list holds no such entry: the dialog then chooses none and gives
    // the index back unless the user picks another.
    return {std::string(record.substr(first + 1, last - first - 1)),
            model::parseIntegerField(record.substr(last + 1))};
}

platform::AttributeFields attributeFieldsOf(std::string_view record) {
    const size_t first = record.find(';');
    if (first == std::string_view::npos) {
        return {};
    }
    const size_t second = record.find(';', first + 1);
    if (second == std::string_view::npos) {
        return {std::string(record.substr(first + 1)), {}};
    }
    return {std::string(record.substr(first + 1, second - first - 1)),
            std::string(record.substr(second + 1))};
}

bool same(const platform::ObjectFields& a, const platform::ObjectFields& b) {
    return a.name == b.name && a.iconIndex == b.iconIndex;
}

bool same(const platform::AttributeFields& a, const platform::AttributeFields& b) {
    return a.name == b.name && a.value == b.value;
}

// Writes the dialog's result: a new last child in add mode, else the selected pair itself. An
// edit OK'd with the very fields the record opened with keeps the record byte for byte. The
// display shows the record as the next load decodes it, so what the user sees is what loads.
template <typename Fields, typename FieldsOf>
void apply(model::PairedTrees& trees, DialogMode mode, const Fields& entered,
           const std::string& record, FieldsOf fieldsOf) {
    // The dialog's opening made the display selection's partner the current record.
    model::NodePair pair{trees.display().selected(), trees.records().selected()};
    if (pair.display == nullptr || pair.record == nullptr) {
        return;
    }
    if (mode == DialogMode::Edit && same(fieldsOf(pair.record->text()), entered)) {
        trees.showPair(pair);
        return;
    }
    const model::DecodedRecord decoded = model::decodeRecord(record);
    model::PairedTrees::Step step(trees);
    if (mode == DialogMode::Add) {
        pair = trees.appendPair(pair, decoded.displayText, decoded.iconIndex, record);
    } else {
        trees.setPair(pair, decoded.displayText, decoded.iconIndex, record);
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
    return mode == DialogMode::Edit && pair ? objectFieldsOf(pair.record->text())
                                            : platform::ObjectFields{};
}

platform::AttributeFields showAttributeDialog(model::PairedTrees& trees, DialogMode mode) {
    const model::NodePair pair = trees.showCurrentRecord();
    return mode == DialogMode::Edit && pair ? attributeFieldsOf(pair.record->text())
                                            : platform::AttributeFields{};
}

void applyObjectDialog(model::PairedTrees& trees, DialogMode mode,
                       const platform::ObjectFields& entered) {
    apply(trees, mode, entered, model::objectRecord(entered.name, entered.iconIndex),
          objectFieldsOf);
}

void applyAttributeDialog(model::PairedTrees& trees, DialogMode mode,
                          const platform::AttributeFields& entered) {
    apply(trees, mode, entered, model::attributeRecord(entered.name, entered.value),
          attributeFieldsOf);
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
