#include "ui/DisplayTreeView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

namespace quorvia::ui {

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

void DisplayTreeView::keyPressEvent(QKeyEvent* event) {
    if (m_events != nullptr) {
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

}  // namespace quorvia::ui
