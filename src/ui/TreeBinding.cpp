#include "ui/TreeBinding.h"

#include <QItemSelectionModel>
#include <QScopedValueRollback>

namespace quorvia::ui {

TreeBinding::TreeBinding(DisplayTreeView& view, DisplayTreeModel& model, model::PairedTrees& trees)
    : m_view(view), m_model(model), m_trees(trees) {
    m_view.setModel(&m_model);
    connect(&m_view, &QTreeView::expanded, this,
            [this](const QModelIndex& index) { tellWindow(index, true); });
    connect(&m_view, &QTreeView::collapsed, this,
            [this](const QModelIndex& index) { tellWindow(index, false); });
    // The view's current node is the display tree's selected node.
    connect(m_view.selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (!m_showingLogic) {
                    m_trees.select(m_model.nodeOf(current));
                }
                QItemSelectionModel* selection = m_view.selectionModel();
                if (current.isValid() && !selection->isSelected(current)) {
                    selection->select(current, QItemSelectionModel::ClearAndSelect);
                }
            });
    // The view never shows an empty selection while it has a current node: that node is the
    // one the commands act on.
    connect(m_view.selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        QItemSelectionModel* selection = m_view.selectionModel();
        if (!selection->hasSelection() && selection->currentIndex().isValid()) {
            selection->select(selection->currentIndex(), QItemSelectionModel::ClearAndSelect);
        }
    });
    // What the logic asks of the view is shown there, and not handed back to the logic as if
    // the user had done it.
    connect(&m_model, &DisplayTreeModel::expandRequested, this,
            [this](const QModelIndex& index, bool expanded) {
                showLogic([&] { m_view.setExpanded(index, expanded); });
            });
    connect(&m_model, &DisplayTreeModel::expandSubtreeRequested, this,
            [this](const QModelIndexList& parents) {
                showLogic([&] { m_view.expandSubtree(parents); });
            });
    connect(&m_model, &DisplayTreeModel::selectRequested, this, [this](const QModelIndex& index) {
        showLogic([&] {
            m_view.selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        });
    });
    connect(&m_model, &DisplayTreeModel::scrollToRequested, this,
            [this](const QModelIndex& index) { m_view.scrollTo(index); });
}

void TreeBinding::tellWindow(const QModelIndex& index, bool expanded) {
    DisplayTreeEvents* window = m_view.events();
    if (m_showingLogic || window == nullptr) {
        return;
    }
    if (expanded) {
        window->tvMainExpanding(index);
    } else {
        window->tvMainCollapsing(index);
    }
}

void TreeBinding::follow(const QModelIndex& index, bool expanded) {
    m_trees.setExpanded(m_model.nodeOf(index), expanded);
}

template <typename Show>
void TreeBinding::showLogic(Show&& show) {
    const QScopedValueRollback showing(m_showingLogic, true);
    show();
}

}  // namespace quorvia::ui
