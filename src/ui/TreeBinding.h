// The display tree's view bound to the paired trees: what the user does to the view (select,
// expand, collapse) reaches the logic, and what the logic asks of the view (expand, select,
// scroll to) is shown there without being handed back as if the user had done it.
#pragma once

#include <QObject>

#include "model/PairedTrees.h"
#include "ui/DisplayTreeModel.h"
#include "ui/DisplayTreeView.h"

namespace quorvia::ui {

class TreeBinding final : public QObject {
    Q_OBJECT

public:
    // Shows `model` in `view` and binds both to the trees `model` shows; the user's expand and
    // collapse go to the view's events. None is owned, and all must outlive the binding.
    TreeBinding(DisplayTreeView& view, DisplayTreeModel& model, model::PairedTrees& trees);

    // The record tree follows the user's expand (true) or collapse of `index`.
    void follow(const QModelIndex& index, bool expanded);

private:
    // Tells the window of the user's expand or collapse; nothing while the view shows the logic.
    void tellWindow(const QModelIndex& index, bool expanded);
    // Runs a change the logic asked of the view, which the view then must not report back.
    template <typename Show>
    void showLogic(Show&& show);

    DisplayTreeView& m_view;      // not owned
    DisplayTreeModel& m_model;    // not owned
    model::PairedTrees& m_trees;  // not owned
    // Set while the view shows a change the logic asked for, so it is not reported back.
    bool m_showingLogic = false;
};

}  // namespace quorvia::ui
