#include "model/DisplayRebuild.h"

#include "model/FieldList.h"
#include "model/NodeRecord.h"

namespace quorvia::model {

std::optional<Error> rebuildDisplay(Tree& display, std::string_view rootText) {
    Node* root = display.firstTopLevel();
    if (root == nullptr) {
        return std::nullopt;
    }
    display.setText(root, rootText);
    display.setIconIndex(root, kRootIcon);

    // Every later node keeps its record and shows the text decoded from it, formed when asked
    // for: a load copies no display text.
    std::optional<Error> firstShortRecord;
    for (Node* node = Tree::nextInPreorder(root); node != nullptr;
         node = Tree::nextInPreorder(node)) {
        const ShownFields fields = shownFieldsOf(node->text());
        display.setIconIndex(node, shownIconIndexOf(fields));
        display.showRecord(node);
        if (fields.missingField >= 0 && !firstShortRecord) {
            firstShortRecord = listIndexError(fields.missingField);
        }
    }
    return firstShortRecord;
}

}  // namespace quorvia::model
