// The Qt view's window onto the display tree: answers the view from the tree without copying
// it, turns the tree's notifications into Qt's model signals, and carries the logic's
// "expand / select / scroll to this" to the view.
#pragma once

#include <QAbstractItemModel>

#include <string>

#include "model/Tree.h"
#include "model/TreeObserver.h"
#include "model/ViewNotifier.h"

namespace quorvia::ui {

// It hears the tree through a ViewNotifier, which tells it as a TreeObserver.
class DisplayTreeModel final : public QAbstractItemModel, private model::TreeObserver {
    Q_OBJECT

public:
    explicit DisplayTreeModel(const model::Tree& tree, QObject* parent = nullptr);
    ~DisplayTreeModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // As Qt's own, and cheaper for what the view's keyboard search asks: the first sibling, from
    // `start` on and round, whose shown text starts with a text, case-blind.
    QModelIndexList match(const QModelIndex& start, int role, const QVariant& value, int hits,
                          Qt::MatchFlags flags) const override;

    QModelIndex indexOf(const model::Node* node) const;
    model::Node* nodeOf(const QModelIndex& index) const;
    const model::Tree& tree() const { return m_tree; }

signals:
    // The logic changed a node's expanded state, selected a node (invalid: none), or asks for a
    // node to be scrolled into view.
    void expandRequested(const QModelIndex& index, bool expanded);
    // The nodes are to be shown expanded: a node and every node below it that has children,
    // in pre-order.
    void expandSubtreeRequested(const QModelIndexList& parents);
    void selectRequested(const QModelIndex& index);
    void scrollToRequested(const QModelIndex& index);

private:
    void aboutToReset() override;
    void resetDone() override;
    void aboutToInsert(const model::Node* parent, int first, int last) override;
    void inserted(const model::Node* parent, int first, int last) override;
    void aboutToRemove(const model::Node* parent, int first, int last) override;
    void removed(const model::Node* parent, int first, int last) override;
    void aboutToMove(const model::Node* from, int row, const model::Node* to, int before) override;
    void moved(const model::Node* node, const model::Node* from, int row, const model::Node* to,
               int before) override;
    void aboutToReorder(const std::vector<model::Node*>& parents) override;
    void reordered(const std::vector<model::Node*>& parents) override;
    QList<QPersistentModelIndex> layoutHint(const std::vector<model::Node*>& parents) const;
    void changed(const model::Node* node) override;
    void expandedChanged(const model::Node* node) override;
    void subtreeExpanded(const model::Node* top) override;
    void selectionChanged(const model::Node* node) override;
    void scrollRequested(const model::Node* node) override;

    const model::Tree& m_tree;                      // not owned
    model::ViewNotifier m_notifier{m_tree, *this};  // owned: watches the tree for this model
    mutable std::string m_shownText;                // where a display text is formed
};

}  // namespace quorvia::ui
