#include "editing/Containment.h"

#include "model/NodeRecord.h"

namespace quorvia::editing {

namespace {
bool isObjectBelowTop(const model::Node* node) {
    return node != nullptr && !node->isTopLevel() && !isAttribute(node);
}
}  // namespace

bool isAttribute(const model::Node* displayNode) {
    return displayNode->iconIndex() == model::kAttributeIcon;
}

bool mayAddObject(const model::Node* selected) {
    if (selected == nullptr) {
        return false;
    }
    return selected->isTopLevel() || !selected->hasChildren() ||
           !isAttribute(selected->firstChild());
}

bool mayAddAttribute(const model::Node* selected) {
    return isObjectBelowTop(selected) &&
           (!selected->hasChildren() || isAttribute(selected->firstChild()));
}

bool mayImportObjectsInto(const model::Node* selected) {
    return isObjectBelowTop(selected) &&
           (!selected->hasChildren() || !isAttribute(selected->firstChild()));
}

bool isRoot(const model::Node* node) {
    return node != nullptr && node->isTopLevel() && node->previousSibling() == nullptr;
}

bool mayPasteInto(const model::Node* target, const model::Node* clip) {
    if (target == nullptr || (!target->isTopLevel() && isAttribute(target))) {
        return false;
    }
    return !target->isWithin(clip);
}

bool acceptsDrop(const model::Node* dragged, const model::Node* target, bool startedInTree) {
    if (!startedInTree || target == nullptr || dragged == nullptr) {
        return false;
    }
    if (!target->isTopLevel()) {
        if (isAttribute(target)) {
            return false;
        }
        if (target->hasChildren() && isAttribute(target->firstChild()) != isAttribute(dragged)) {
            return false;
        }
    } else if (isAttribute(dragged)) {
        return false;
    }
    return !target->isWithin(dragged);
}

}  // namespace quorvia::editing
