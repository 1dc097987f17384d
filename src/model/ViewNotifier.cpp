#include "model/ViewNotifier.h"

namespace quorvia::model {

ViewNotifier::ViewNotifier(const Tree& tree, TreeObserver& view) : m_tree(tree), m_view(view) {
    m_tree.addObserver(this);
}

ViewNotifier::~ViewNotifier() {
    m_tree.removeObserver(this);
}

int ViewNotifier::announcedChildCount(const Node* parent) const {
    if (!m_announcedCounts.empty()) {
        if (const auto found = m_announcedCounts.find(parent); found != m_announcedCounts.end()) {
            return found->second;
        }
    }
    return m_tree.childCountOf(parent);
}

bool ViewNotifier::isUnannounced(const Node* node) {
    if (node == nullptr || m_announcedCounts.empty()) {
        return false;
    }
    if (node == m_lastAsked) {
        return m_lastAnswer;
    }
    bool unannounced = m_unannouncedParents.count(node) != 0;
    if (!unannounced) {
        const auto found = m_announcedCounts.find(node->parent());
        unannounced = found != m_announcedCounts.end()
                          ? node->row() >= found->second
                          : m_unannouncedParents.count(node->parent()) != 0;
    }
    m_lastAsked = node;
    m_lastAnswer = unannounced;
    return unannounced;
}

void ViewNotifier::tellPendingAppends() {
    // Each parent keeps its announced count until the view has been warned.
    for (const Node* parent : m_pendingParents) {
        const int first = m_announcedCounts[parent];
        const int last = m_tree.childCountOf(parent) - 1;
        if (last >= first) {
            m_view.aboutToInsert(parent, first, last);
        }
        m_announcedCounts.erase(parent);
        if (last >= first) {
            m_view.inserted(parent, first, last);
        }
    }
    m_pendingParents.clear();
    m_announcedCounts.clear();
    m_unannouncedParents.clear();
    m_lastAsked = nullptr;
}

bool ViewNotifier::makeKnown(const Node* node) {
    if (m_resetting) {
        return false;
    }
    if (isUnannounced(node)) {
        tellPendingAppends();
    }
    return true;
}

void ViewNotifier::aboutToReset() {
    if (!m_resetting) {
        m_view.aboutToReset();
    }
    m_pendingParents.clear();
    m_announcedCounts.clear();
    m_unannouncedParents.clear();
    m_lastAsked = nullptr;
    m_resetting = isBatching();
}

void ViewNotifier::resetDone() {
    if (!m_resetting) {
        m_view.resetDone();
    }
}

void ViewNotifier::aboutToInsert(const Node* parent, int first, int last) {
    m_insertTold = false;
    if (m_resetting) {
        return;
    }
    if (isBatching()) {
        if (isUnannounced(parent)) {
            // The view hears of the parent with all its children at once.
            if (m_unannouncedParents.insert(parent).second) {
                m_lastAsked = nullptr;
            }
            return;
        }
        if (first == m_tree.childCountOf(parent)) {
            // An append: held back until the update ends.
            if (m_announcedCounts.emplace(parent, first).second) {
                m_pendingParents.push_back(parent);
                m_lastAsked = nullptr;
            }
            return;
        }
        // Rows between known rows: everything held back is told first.
        tellPendingAppends();
    }
    m_insertTold = true;
    m_view.aboutToInsert(parent, first, last);
}

void ViewNotifier::inserted(const Node* parent, int first, int last) {
    if (m_insertTold) {
        m_insertTold = false;
        m_view.inserted(parent, first, last);
    }
}

void ViewNotifier::aboutToRemove(const Node* parent, int first, int last) {
    if (m_resetting) {
        return;
    }
    // Rows are counted as the view knows them, so every held-back append is told first.
    tellPendingAppends();
    m_view.aboutToRemove(parent, first, last);
}

void ViewNotifier::removed(const Node* parent, int first, int last) {
    if (!m_resetting) {
        m_view.removed(parent, first, last);
    }
}

void ViewNotifier::aboutToMove(const Node* from, int row, const Node* to, int before) {
    // Rows are counted as the view knows them.
    if (!m_resetting) {
        tellPendingAppends();
        m_view.aboutToMove(from, row, to, before);
    }
}

void ViewNotifier::moved(const Node* node, const Node* from, int row, const Node* to, int before) {
    if (!m_resetting) {
        m_view.moved(node, from, row, to, before);
    }
}

void ViewNotifier::aboutToReorder(const std::vector<Node*>& parents) {
    if (!m_resetting) {
        tellPendingAppends();
        m_view.aboutToReorder(parents);
    }
}

void ViewNotifier::reordered(const std::vector<Node*>& parents) {
    if (!m_resetting) {
        m_view.reordered(parents);
    }
}

void ViewNotifier::changed(const Node* node) {
    // A node the view has not heard of yet is told with its final text when announced.
    if (!m_resetting && !isUnannounced(node)) {
        m_view.changed(node);
    }
}

void ViewNotifier::expandedChanged(const Node* node) {
    if (makeKnown(node)) {
        m_view.expandedChanged(node);
    }
}

void ViewNotifier::subtreeExpanded(const Node* top) {
    // Every node below must be known, not only the top.
    if (!m_resetting) {
        tellPendingAppends();
        m_view.subtreeExpanded(top);
    }
}

void ViewNotifier::selectionChanged(const Node* node) {
    if (makeKnown(node)) {
        m_view.selectionChanged(node);
    }
}

void ViewNotifier::scrollRequested(const Node* node) {
    if (makeKnown(node)) {
        m_view.scrollRequested(node);
    }
}

void ViewNotifier::updateBegan() {
    m_view.updateBegan();
}

void ViewNotifier::updateEnded() {
    if (m_resetting) {
        m_resetting = false;
        m_view.resetDone();
    } else {
        tellPendingAppends();
    }
    m_view.updateEnded();
}

}  // namespace quorvia::model
