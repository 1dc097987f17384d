#include "ui/DisplayTreeView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace quorvia::ui {

namespace {

constexpr int kExpandBoxSize = 9;

// A dotted line one pixel wide; the pattern is fixed to the viewport, so the dots of
// neighbouring rows line up.
void dottedLine(QPainter* painter, const QRect& line, const QColor& colour) {
    painter->fillRect(line, QBrush(colour, Qt::Dense4Pattern));
}

void drawExpandBox(QPainter* painter, QPoint centre, bool expanded, const QPalette& palette) {
    const int half = kExpandBoxSize / 2;
    const QRect box(centre.x() - half, centre.y() - half, kExpandBoxSize, kExpandBoxSize);
    painter->fillRect(box, palette.color(QPalette::Base));
    painter->setPen(palette.color(QPalette::Dark));
    painter->drawRect(box.adjusted(0, 0, -1, -1));
    painter->setPen(palette.color(QPalette::Text));
    painter->drawLine(centre.x() - 2, centre.y(), centre.x() + 2, centre.y());
    if (!expanded) {
        painter->drawLine(centre.x(), centre.y() - 2, centre.x(), centre.y() + 2);
    }
}

}  // namespace

DisplayTreeView::DisplayTreeView(QWidget* parent) : QTreeView(parent) {
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setIndentation(19);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setDragEnabled(false);
    setAcceptDrops(false);
    setUniformRowHeights(true);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setIconSize(QSize(16, 16));
    setMouseTracking(false);
}

void DisplayTreeView::prepareDrag(const QPoint& position) {
    m_dragState = DragState::Prepared;
    m_pressPoint = position;
}

void DisplayTreeView::endDrag() {
    if (m_dragState == DragState::Dragging) {
        showDropTarget({}, true);
        unsetCursor();
    }
    m_dragState = DragState::Idle;
}

void DisplayTreeView::autoScroll(const QPoint& position) {
    QScrollBar* bar = verticalScrollBar();
    if (position.y() < kAutoScrollZone) {
        bar->setValue(bar->value() - bar->singleStep());
    } else if (height() - position.y() < kAutoScrollZone) {
        bar->setValue(bar->value() + bar->singleStep());
    }
}

QModelIndex DisplayTreeView::dropTargetAt(const QPoint& position) const {
    const QModelIndex index = indexAt(position);
    if (!index.isValid()) {
        return {};
    }
    const QRect item = visualRect(index);
    // The expand button sits in the indentation step just left of a node that has children.
    if (position.x() < item.left()) {
        const bool onButton = position.x() >= item.left() - indentation() &&
                              model()->hasChildren(index) && index.parent().isValid();
        return onButton ? QModelIndex() : index;
    }
    int right = item.left();
    if (!index.data(Qt::DecorationRole).isNull()) {
        right += iconSize().width() + style()->pixelMetric(QStyle::PM_FocusFrameHMargin) * 2;
    }
    const int textMargin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1;
    right += fontMetrics().horizontalAdvance(index.data().toString()) + 2 * textMargin;
    return position.x() <= right ? index : QModelIndex();
}

void DisplayTreeView::showDropTarget(const QModelIndex& index, bool accepted) {
    if (m_dropTarget != index) {
        if (m_dropTarget.isValid()) {
            update(m_dropTarget);
        }
        m_dropTarget = index;
        if (index.isValid()) {
            update(index);
        }
    }
    if (m_dragState == DragState::Dragging) {
        setCursor(accepted ? Qt::DragMoveCursor : Qt::ForbiddenCursor);
    }
}

void DisplayTreeView::expandSubtree(const QModelIndexList& parents) {
    // While a layout is pending, expand() only records the index: one layout for all of them.
    scheduleDelayedItemsLayout();
    for (const QModelIndex& parent : parents) {
        expand(parent);
    }
}

void DisplayTreeView::keyPressEvent(QKeyEvent* event) {
    if (m_events != nullptr) {
        if (event->key() == Qt::Key_Asterisk && currentIndex().isValid() && itemsExpandable()) {
            // The logic expands the subtree in one go, instead of the view reporting each node.
            m_events->tvMainExpandSubtree(currentIndex());
            // What the view does with any key besides (its keyboard search).
            QAbstractItemView::keyPressEvent(event);
            return;
        }
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            m_events->tvMainKeyPress(static_cast<char>(kEnterCharacter));
            return;
        }
        if (event->key() == Qt::Key_Delete) {
            m_events->tvMainKeyDown(kDeleteKey);
            return;
        }
    }
    QTreeView::keyPressEvent(event);
}

void DisplayTreeView::mousePressEvent(QMouseEvent* event) {
    QTreeView::mousePressEvent(event);
    if (m_events != nullptr) {
        m_events->tvMainMouseDown(event->position().toPoint(), event->button());
    }
}

void DisplayTreeView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint position = event->position().toPoint();
    if (m_dragState == DragState::Prepared && (event->buttons() & Qt::LeftButton)) {
        const QPoint moved = position - m_pressPoint;
        if (std::abs(moved.x()) >= kDragThreshold || std::abs(moved.y()) >= kDragThreshold) {
            m_dragState = DragState::Dragging;
        }
    }
    if (m_dragState == DragState::Dragging) {
        const bool accepted = m_events != nullptr && m_events->tvMainDragOver(position);
        showDropTarget(indexAt(position), accepted);
        return;
    }
    if (m_dragState == DragState::Idle) {
        QTreeView::mouseMoveEvent(event);
    }
}

void DisplayTreeView::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint position = event->position().toPoint();
    const bool dropping = m_dragState == DragState::Dragging && event->button() == Qt::LeftButton;
    if (dropping) {
        const bool accepted = m_events != nullptr && m_events->tvMainDragOver(position);
        endDrag();
        if (accepted && m_events != nullptr) {
            m_events->tvMainDragDrop(position);
        }
        return;
    }
    if (event->button() == Qt::LeftButton) {
        m_dragState = DragState::Idle;
    }
    QTreeView::mouseReleaseEvent(event);
}

void DisplayTreeView::mouseDoubleClickEvent(QMouseEvent* event) {
    endDrag();
    QTreeView::mouseDoubleClickEvent(event);
    if (m_events != nullptr && event->button() == Qt::LeftButton) {
        m_events->tvMainDblClick();
    }
}

void DisplayTreeView::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    if (index == m_dropTarget) {
        // The drop target is drawn as if selected, while the drag lasts.
        QStyleOptionViewItem highlighted = option;
        highlighted.state |= QStyle::State_Selected;
        QTreeView::drawRow(painter, highlighted, index);
        return;
    }
    QTreeView::drawRow(painter, option, index);
}

void DisplayTreeView::drawBranches(QPainter* painter, const QRect& rect,
                                   const QModelIndex& index) const {
    const bool highlighted = index == m_dropTarget ||
                             (selectionModel() != nullptr && selectionModel()->isSelected(index));
    if (highlighted) {
        painter->fillRect(rect, palette().brush(QPalette::Highlight));
    }
    const QColor lineColour =
        palette().color(highlighted ? QPalette::HighlightedText : QPalette::Dark);
    const int step = indentation();
    const int top = rect.top();
    const int bottom = rect.bottom();
    const int middle = rect.top() + rect.height() / 2;
    // One column per level, the node's own column rightmost; the top level has none.
    int columnLeft = rect.right() + 1 - step;
    for (QModelIndex level = index; level.parent().isValid(); level = level.parent()) {
        const int x = columnLeft + step / 2;
        const bool hasNextSibling = level.sibling(level.row() + 1, 0).isValid();
        if (level == index) {
            dottedLine(painter, QRect(x, top, 1, (hasNextSibling ? bottom : middle) - top + 1),
                       lineColour);
            dottedLine(painter, QRect(x, middle, columnLeft + step - x, 1), lineColour);
            if (model()->hasChildren(index)) {
                drawExpandBox(painter, QPoint(x, middle), isExpanded(index), palette());
            }
        } else if (hasNextSibling) {
            dottedLine(painter, QRect(x, top, 1, bottom - top + 1), lineColour);
        }
        columnLeft -= step;
    }
}

QItemSelectionModel::SelectionFlags DisplayTreeView::selectionCommand(const QModelIndex& index,
                                                                      const QEvent* event) const {
    if (event != nullptr && event->type() == QEvent::MouseButtonRelease) {
        return QItemSelectionModel::NoUpdate;
    }
    return index.isValid() ? QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows
                           : QItemSelectionModel::NoUpdate;
}

}  // namespace quorvia::ui
