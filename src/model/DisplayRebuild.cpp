#include "model/DisplayRebuild.h"

#include "model/NodeRecord.h"

namespace quorvia::model {

std::optional<Error> rebuildDisplay(Tree& display, std::string_view rootText) {
    Node* root = display.firstTopLevel();
    if (root == nullptr) {
        return std::nullopt;
    }
    display.setText(root, rootText);
    display.setIconIndex(root, kRootIcon);

    std::optional<Error> firstShortRecord;
    FieldList fields;
    DecodedRecord decoded;
    for (Node* node = Tree::nextInPreorder(root); node != nullptr;
         node = Tree::nextInPreorder(node)) {
        decodeRecord(fields, node->text(), decoded);
        display.setIconIndex(node, decoded.iconIndex);
        display.setText(node, decoded.displayText);
        if (decoded.missingField >= 0 && !firstShortRecord) {
            firstShortRecord = listIndexError(decoded.missingField);
        }
    }
    return firstShortRecord;
}

}  // namespace quorvia::model
