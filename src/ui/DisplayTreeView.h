// The display tree's view: a QTreeView that reports its keys, clicks and drags to the window and
// runs the drag as a small state machine (press prepares, a 5-pixel move starts, each move is
// judged, release drops) instead of Qt's own drag and drop.
#pragma once

#include <QPersistentModelIndex>
#include <QTreeView>

namespace quorvia::ui {

// The window's handlers of the display tree's events.
class DisplayTreeEvents {
public:
    virtual ~DisplayTreeEvents() = default;
    virtual void tvMainMouseDown(const QPoint& position, Qt::MouseButton button) = 0;
    // One pointer position of a running drag (also the release point); true when accepted.
    virtual bool tvMainDragOver(const QPoint& position) = 0;
    virtual void tvMainDragDrop(const QPoint& position) = 0;
    virtual void tvMainDblClick() = 0;
    virtual void tvMainKeyPress(char character) = 0;
    virtual void tvMainKeyDown(int virtualKey) = 0;
    // The user asked for the node and everything below it to be expanded ("*").
    virtual void tvMainExpandSubtree(const QModelIndex& index) = 0;
    // The user expanded or collapsed the node (TreeBinding tells these, and not the view showing
    // what the logic asked).
    virtual void tvMainExpanding(const QModelIndex& index) = 0;
    virtual void tvMainCollapsing(const QModelIndex& index) = 0;
};

class DisplayTreeView final : public QTreeView {
    Q_OBJECT

public:
    enum class DragState { Idle, Prepared, Dragging };
    static constexpr int kDragThreshold = 5;
    static constexpr int kAutoScrollZone = 15;
    static constexpr int kEnterCharacter = 13;
    static constexpr int kDeleteKey = 46;

    explicit DisplayTreeView(QWidget* parent = nullptr);

    void setEvents(DisplayTreeEvents* events) { m_events = events; }
    DisplayTreeEvents* events() const { return m_events; }

    // A drag of the node under `position` begins once the pointer has moved far enough.
    void prepareDrag(const QPoint& position);
    // Ends a prepared or running drag without dropping.
    void endDrag();
    DragState dragState() const { return m_dragState; }

    // Shows the nodes expanded, laid out once.
    void expandSubtree(const QModelIndexList& parents);

    // Scrolls one line when `position` lies near the top or the bottom edge.
    void autoScroll(const QPoint& position);
    // The node under `position` when the point lies on its text, its picture or in the
    // indentation to its left; invalid on the expand button, right of the text or below the
    // last node.
    QModelIndex dropTargetAt(const QPoint& position) const;
    // Shows the node under the pointer as the drop target, and the pointer accepting or not.
    void showDropTarget(const QModelIndex& index, bool accepted);
    QModelIndex dropTarget() const { return m_dropTarget; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;
    // Dotted lines joining each node below the top level to its parent and its later siblings,
    // with a boxed plus or minus on the nodes that have children.
    void drawBranches(QPainter* painter, const QRect& rect,
                      const QModelIndex& index) const override;
    // Every click or key selects exactly one node, whatever Ctrl, Shift or Alt say: the tree
    // never loses its selection to the view's own toggling.
    QItemSelectionModel::SelectionFlags selectionCommand(
        const QModelIndex& index, const QEvent* event = nullptr) const override;

private:
    DisplayTreeEvents* m_events = nullptr;
    DragState m_dragState = DragState::Idle;
    QPoint m_pressPoint;
    QPersistentModelIndex m_dropTarget;
};

}  // namespace quorvia::ui
