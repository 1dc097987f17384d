// What a view needs to hear of a tree: appends made inside a bulk update told once per parent at
// the end of the outermost update (thousands of appends must not mean thousands of signals), a
// tree emptied inside one told as one reset, and nothing of a node the view was not yet told of.
// It watches the tree and tells the view, another TreeObserver, in those terms.
#pragma once

#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "model/Tree.h"
#include "model/TreeObserver.h"

namespace quorvia::model {

class ViewNotifier final : public TreeObserver {
public:
    // Watches `tree` for `view` until destroyed; neither is owned.
    ViewNotifier(const Tree& tree, TreeObserver& view);
    ~ViewNotifier() override;
    ViewNotifier(const ViewNotifier&) = delete;
    ViewNotifier& operator=(const ViewNotifier&) = delete;

    // How many children of `parent` the view has been told of.
    int announcedChildCount(const Node* parent) const;

private:
    void aboutToReset() override;
    void resetDone() override;
    void aboutToInsert(const Node* parent, int first, int last) override;
    void inserted(const Node* parent, int first, int last) override;
    void aboutToRemove(const Node* parent, int first, int last) override;
    void removed(const Node* parent, int first, int last) override;
    void aboutToMove(const Node* from, int row, const Node* to, int before) override;
    void moved(const Node* node, const Node* from, int row, const Node* to, int before) override;
    void aboutToReorder(const std::vector<Node*>& parents) override;
    void reordered(const std::vector<Node*>& parents) override;
    void changed(const Node* node) override;
    void expandedChanged(const Node* node) override;
    void subtreeExpanded(const Node* top) override;
    void selectionChanged(const Node* node) override;
    void scrollRequested(const Node* node) override;
    void updateBegan() override;
    void updateEnded() override;

    bool isBatching() const { return m_tree.updateDepth() > 0; }
    // Appended in the running update and not yet told: the view cannot hear of it.
    bool isUnannounced(const Node* node);
    // Tells the view of every append held back so far.
    void tellPendingAppends();
    // Before a change of `node` can be told, the view must know the node.
    bool makeKnown(const Node* node);

    const Tree& m_tree;         // not owned
    TreeObserver& m_view;       // not owned
    bool m_resetting = false;   // emptied inside the running update
    bool m_insertTold = false;  // the running insertion was told to the view as it came
    // Known parents with appends held back, in the order of their first append, with the child
    // count the view knows.
    std::vector<const Node*> m_pendingParents;
    std::unordered_map<const Node*, int> m_announcedCounts;
    // Unannounced nodes that were given children: a node is unannounced when its parent is one
    // of these, or a pending parent whose announced count it lies beyond.
    std::unordered_set<const Node*> m_unannouncedParents;
    const Node* m_lastAsked = nullptr;
    bool m_lastAnswer = false;
};

}  // namespace quorvia::model
