#include "ui/DisplayTreeModel.h"

#include <QColor>

#include "model/NodeRecord.h"
#include "ui/Pictures.h"
#include "ui/Text.h"

namespace quorvia::ui {

namespace {
// Attributes are drawn in pure blue unless drawn selected.
const QColor kAttributeColour(0, 0, 255);
}  // namespace

DisplayTreeModel::DisplayTreeModel(const model::Tree& tree, QObject* parent)
    : QAbstractItemModel(parent), m_tree(tree) {}

DisplayTreeModel::~DisplayTreeModel() = default;

model::Node* DisplayTreeModel::nodeOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<model::Node*>(index.internalPointer()) : nullptr;
}

QModelIndex DisplayTreeModel::indexOf(const model::Node* node) const {
    return node != nullptr ? createIndex(node->row(), 0, const_cast<model::Node*>(node))
                           : QModelIndex();
}

QModelIndex DisplayTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (!hasIndex(row, column, parent)) {
        return {};
    }
    return createIndex(row, 0, m_tree.childAt(nodeOf(parent), row));
}

QModelIndex DisplayTreeModel::parent(const QModelIndex& child) const {
    const model::Node* node = nodeOf(child);
    return node != nullptr ? indexOf(node->parent()) : QModelIndex();
}

int DisplayTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) {
        return 0;
    }
    return m_notifier.announcedChildCount(nodeOf(parent));
}

int DisplayTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

bool DisplayTreeModel::hasChildren(const QModelIndex& parent) const {
    return rowCount(parent) > 0;
}

QVariant DisplayTreeModel::data(const QModelIndex& index, int role) const {
    const model::Node* node = nodeOf(index);
    if (node == nullptr) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
            return toShownLine(node->shownText(m_shownText));
        case Qt::DecorationRole:
            if (showsStatePicture(node->iconIndex())) {
                return Pictures::instance().statePicture(statePictureNumber(node->iconIndex()));
            }
            return {};
        case Qt::ForegroundRole:
            if (node->iconIndex() == model::kAttributeIcon) {
                return kAttributeColour;
            }
            return {};
        default:
            return {};
    }
}

QModelIndexList DisplayTreeModel::match(const QModelIndex& start, int role, const QVariant& value,
                                        int hits, Qt::MatchFlags flags) const {
    const bool keyboardSearch =
        role == Qt::DisplayRole && hits == 1 && flags == (Qt::MatchStartsWith | Qt::MatchWrap) &&
        start.isValid() && start.column() == 0 && value.userType() == QMetaType::QString;
    if (!keyboardSearch) {
        return QAbstractItemModel::match(start, role, value, hits, flags);
    }
    const QString search = value.toString();
    const model::Node* parentNode = nodeOf(start.parent());
    const int rows = rowCount(start.parent());
    for (int i = 0; i < rows; ++i) {
        const model::Node* node = m_tree.childAt(parentNode, (start.row() + i) % rows);
        if (shownLineStartsWith(node->shownText(m_shownText), search)) {
            return {indexOf(node)};
        }
    }
    return {};
}

Qt::ItemFlags DisplayTreeModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void DisplayTreeModel::aboutToReset() {
    beginResetModel();
}

void DisplayTreeModel::resetDone() {
    endResetModel();
    if (m_tree.selected() != nullptr) {
        emit selectRequested(indexOf(m_tree.selected()));
    }
}

void DisplayTreeModel::aboutToInsert(const model::Node* parent, int first, int last) {
    beginInsertRows(indexOf(parent), first, last);
}

void DisplayTreeModel::inserted(const model::Node* parent, int first, int) {
    endInsertRows();
    // The view keeps no expanded state for a node without children that the logic expanded (a
    // whole subtree opens faster so), so it hears of it with the node's first children.
    if (first == 0 && parent != nullptr && parent->isExpanded()) {
        emit expandRequested(indexOf(parent), true);
    }
}

void DisplayTreeModel::aboutToRemove(const model::Node* parent, int first, int last) {
    beginRemoveRows(indexOf(parent), first, last);
}

void DisplayTreeModel::removed(const model::Node*, int, int) {
    endRemoveRows();
}

void DisplayTreeModel::aboutToMove(const model::Node* from, int row, const model::Node* to,
                                   int before) {
    beginMoveRows(indexOf(from), row, row, indexOf(to), before);
}

void DisplayTreeModel::moved(const model::Node*, const model::Node*, int, const model::Node* to,
                             int) {
    // Qt moves the persistent indexes, so the view keeps the moved rows' expanded states and
    // its selection.
    endMoveRows();
    if (to != nullptr && to->childCount() == 1 && to->isExpanded()) {
        emit expandRequested(indexOf(to), true);
    }
}

QList<QPersistentModelIndex> DisplayTreeModel::layoutHint(
    const std::vector<model::Node*>& parents) const {
    // Several parents, or the top level, are told as a change anywhere.
    if (parents.size() == 1 && parents.front() != nullptr) {
        return {QPersistentModelIndex(indexOf(parents.front()))};
    }
    return {};
}

void DisplayTreeModel::aboutToReorder(const std::vector<model::Node*>& parents) {
    emit layoutAboutToBeChanged(layoutHint(parents), VerticalSortHint);
}

void DisplayTreeModel::reordered(const std::vector<model::Node*>& parents) {
    // Every node stays the same node, at a new row: the view's persistent indexes (its
    // expanded nodes, its selection) follow their nodes.
    const QModelIndexList persistent = persistentIndexList();
    QModelIndexList from;
    QModelIndexList to;
    for (const QModelIndex& index : persistent) {
        const model::Node* node = nodeOf(index);
        if (node != nullptr && node->row() != index.row()) {
            from.append(index);
            to.append(indexOf(node));
        }
    }
    changePersistentIndexList(from, to);
    emit layoutChanged(layoutHint(parents), VerticalSortHint);
}

void DisplayTreeModel::changed(const model::Node* node) {
    const QModelIndex index = indexOf(node);
    emit dataChanged(index, index);
}

void DisplayTreeModel::expandedChanged(const model::Node* node) {
    emit expandRequested(indexOf(node), node->isExpanded());
}

void DisplayTreeModel::subtreeExpanded(const model::Node* top) {
    // The notifier told the view of every node before this, so the view's rows are the tree's.
    QModelIndexList parents{indexOf(top)};
    model::forEachInSubtree(*top, [&](const model::Node& node, int level) {
        if (level > 0 && node.hasChildren()) {
            parents.append(indexOf(&node));
        }
    });
    emit expandSubtreeRequested(parents);
}

void DisplayTreeModel::selectionChanged(const model::Node* node) {
    emit selectRequested(indexOf(node));
}

void DisplayTreeModel::scrollRequested(const model::Node* node) {
    emit scrollToRequested(indexOf(node));
}

}  // namespace quorvia::ui
