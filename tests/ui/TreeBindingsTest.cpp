#include <QScrollBar>
#include <QtTest>
#include <memory>

#include "support/FakePrompts.h"
#include "support/TempDir.h"
#include "support/TreeHelpers.h"
#include "ui/frmMain.h"

using namespace quorvia;
namespace support = quorvia::testing;
using quorvia::ui::frmMain;
using Asked = std::vector<std::string>;

namespace {
// Absolute indexes of the sample database.
enum { kRoot, kContacts, kAnn, kPhone, kNotes, kTodo, kEmpty };
const char* kDatabase =
    "Quorvia\r\n\tO;Contacts;3\r\n\t\tO;Ann;6\r\n\t\t\tT;Phone;555\r\n\tO;Notes;9\r\n"
    "\t\tT;Todo;milk\r\n\tO;Empty;2\r\n";
}  // namespace

class TreeBindingsTest : public QObject {
    Q_OBJECT

private:
    QModelIndex index(int absoluteIndex) {
        return m_window->displayModel()->indexOf(
            m_window->trees().display().nodeAt(absoluteIndex));
    }
    QPoint textPoint(int absoluteIndex) {
        const QRect rect = m_window->tvMain->visualRect(index(absoluteIndex));
        return QPoint(rect.left() + 24, rect.center().y());
    }
    QWidget* viewport() { return m_window->tvMain->viewport(); }
    void moveTo(const QPoint& point) {
        QMouseEvent move(QEvent::MouseMove, point, viewport()->mapToGlobal(point), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport(), &move);
    }
    // The events a real double click brings: press, release, double click, release.
    void doubleClick(const QPoint& point) {
        QTest::mouseClick(viewport(), Qt::LeftButton, {}, point);
        QMouseEvent twice(QEvent::MouseButtonDblClick, point, viewport()->mapToGlobal(point),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport(), &twice);
        QTest::mouseRelease(viewport(), Qt::LeftButton, {}, point);
    }
    void drag(int from, const QPoint& to) {
        const QPoint start = textPoint(from);
        QTest::mousePress(viewport(), Qt::LeftButton, {}, start);
        moveTo(start + QPoint(0, 6));
        moveTo(to);
        QTest::mouseRelease(viewport(), Qt::LeftButton, {}, to);
    }
    std::string records() { return support::outline(m_window->trees().records()); }
    void expandAll() {
        for (int i : {kRoot, kContacts, kAnn, kNotes}) {
            m_window->tvMain->expand(index(i));
        }
    }

    std::unique_ptr<support::TempDir> m_dir;
    std::unique_ptr<support::ScopedCurrentDirectory> m_inside;
    std::unique_ptr<support::FakePrompts> m_prompts;
    std::unique_ptr<frmMain> m_window;

private slots:
    void init() {
        m_dir = std::make_unique<support::TempDir>();
        m_inside = std::make_unique<support::ScopedCurrentDirectory>(m_dir->path());
        m_prompts = std::make_unique<support::FakePrompts>();
        m_dir->write("Quorvia", kDatabase);
        m_window = std::make_unique<frmMain>(m_prompts.get());
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        expandAll();
    }
    void cleanup() {
        if (m_window) {
            QVERIFY(support::arePaired(m_window->trees()));
        }
        m_window.reset();
        m_inside.reset();
        m_dir.reset();
    }

    void doubleClickEditsOnlyLeaves() {
        doubleClick(textPoint(kTodo));
        QCOMPARE(m_prompts->takeAsked(), Asked{"UNSCRIPTED attribute: Todo|milk"});
        doubleClick(textPoint(kNotes));
        QVERIFY(m_prompts->asked.empty());
        // It only collapsed.
        QVERIFY(!m_window->tvMain->isExpanded(index(kNotes)));
    }

    void enterEditsBelowTheTopLevelOnly() {
        m_window->trees().select(m_window->trees().display().nodeAt(kRoot));
        QTest::keyClick(m_window->tvMain, Qt::Key_Return);
        QVERIFY(m_prompts->asked.empty());
        m_window->trees().select(m_window->trees().display().nodeAt(kContacts));
        QTest::keyClick(m_window->tvMain, Qt::Key_Enter);
        QCOMPARE(m_prompts->takeAsked(), Asked{"UNSCRIPTED object: Contacts|3"});
    }

    void modifierClicksSelectLikePlainClicks() {
        const model::Tree& tree = m_window->trees().display();
        QItemSelectionModel* selection = m_window->tvMain->selectionModel();
        for (auto modifier : {Qt::ControlModifier, Qt::ShiftModifier, Qt::AltModifier}) {
            for (int node : {kAnn, kAnn, kTodo}) {  // once more on the selected node
                QTest::mouseClick(viewport(), Qt::LeftButton, modifier, textPoint(node));
                QCOMPARE(tree.selected(), tree.nodeAt(node));
                QCOMPARE(selection->selectedRows(), QModelIndexList{index(node)});
            }
        }
        QTest::keyClick(m_window->tvMain, Qt::Key_Space, Qt::ControlModifier);
        selection->clearSelection();
        QCOMPARE(selection->selectedRows(), QModelIndexList{index(kTodo)});
        QVERIFY(m_prompts->asked.empty());
    }

    void deleteWithAnyModifierAsks() {
        m_window->trees().select(m_window->trees().display().nodeAt(kTodo));
        for (auto modifier : {Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier}) {
            m_prompts->confirmAnswers.push_back(false);
            QTest::keyClick(m_window->tvMain, Qt::Key_Delete, modifier);
        }
        QCOMPARE(m_prompts->takeAsked(),
                 Asked(3, "confirm: Please confirm deletion, Are you sure ?"));
        m_prompts->confirmAnswers.push_back(true);
        QTest::keyClick(m_window->tvMain, Qt::Key_Delete);
        QCOMPARE(m_window->trees().display().count(), 6);
    }

    // `*` opens every node below the current one; the record tree follows each node that opens
    // (Notes was open already). The view shows what the trees hold, also when an opened empty
    // node gets its first child, and a later collapse closes the record subtree.
    void asteriskExpandsEverythingBelowInBothTrees() {
        model::PairedTrees& trees = m_window->trees();
        m_window->tvMain->collapse(index(kAnn));
        m_window->tvMain->collapse(index(kContacts));
        m_window->tvMain->collapse(index(kRoot));
        trees.select(trees.display().nodeAt(kRoot));
        QTest::keyClick(m_window->tvMain, Qt::Key_Asterisk);
        const QString all = QStringLiteral(
            "+Quorvia\n\t+Contacts\n\t\t+Ann\n\t\t\t+Phone: 555\n"
            "\t+Notes\n\t\t+Todo: milk\n\t+Empty\n");
        QCOMPARE(QString::fromStdString(support::outline(trees.display(), false, true)), all);
        QCOMPARE(QString::fromStdString(support::outline(trees.records(), false, true)),
                 QStringLiteral("+Quorvia\n\t+O;Contacts;3\n\t\t+O;Ann;6\n\t\t\t+T;Phone;555\n"
                                "\tO;Notes;9\n\t\t+T;Todo;milk\n\t+O;Empty;2\n"));
        for (int i = kRoot; i <= kEmpty; ++i) {
            const model::Node* node = trees.display().nodeAt(i);
            QCOMPARE(m_window->tvMain->isExpanded(index(i)) || !node->hasChildren(),
                     node->isExpanded());
        }
        QCOMPARE(m_window->tvMain->visualRect(index(kPhone)).isValid(), true);
        // An empty object that `*` opened shows its first child at once.
        {
            model::PairedTrees::Step step(trees);
            trees.appendPair(trees.pairOf(trees.display().nodeAt(kEmpty)), "Age: 7", -1,
                             "T;Age;7");
        }
        QVERIFY(m_window->tvMain->visualRect(index(kEmpty + 1)).isValid());

        m_window->tvMain->collapse(index(kRoot));
        QCOMPARE(QString::fromStdString(support::outline(trees.display(), false, true)),
                 all.mid(1) + QStringLiteral("\t\tAge: 7\n"));
        QCOMPARE(QString::fromStdString(support::outline(trees.records(), false, true)),
                 QStringLiteral("Quorvia\n\tO;Contacts;3\n\t\tO;Ann;6\n\t\t\tT;Phone;555\n"
                                "\tO;Notes;9\n\t\tT;Todo;milk\n\tO;Empty;2\n\t\tT;Age;7\n"));
    }

    void dragAndDropMovesTheNode() {
        drag(kEmpty, textPoint(kContacts));
        QCOMPARE(QString::fromStdString(records()),
                 QStringLiteral("Quorvia\n\tO;Contacts;3\n\t\tO;Ann;6\n\t\t\tT;Phone;555\n"
                                "\t\tO;Empty;2\n\tO;Notes;9\n\t\tT;Todo;milk\n"));
        QCOMPARE(m_window->trees().display().selected(),
                 m_window->trees().display().nodeAt(kContacts));
        QVERIFY(m_window->tvMain->isExpanded(index(kContacts)));
        QCOMPARE(m_window->tvMain->dragState(), ui::DisplayTreeView::DragState::Idle);
    }

    void refusedAndMissedDropsChangeNothing() {
        const std::string before = records();
        drag(kTodo, textPoint(kContacts));  // an attribute among objects: refused
        drag(kEmpty, textPoint(kAnn));      // an object among attributes: refused
        drag(kEmpty, textPoint(kPhone));    // onto an attribute: refused
        // Positions the rules accept, which the drop's hit test still refuses.
        const QRect contacts = m_window->tvMain->visualRect(index(kContacts));
        drag(kEmpty, QPoint(contacts.right() - 2, contacts.center().y()));  // right of the text
        drag(kEmpty, QPoint(contacts.left() - 9, contacts.center().y()));   // the expand button
        const QRect last = m_window->tvMain->visualRect(index(kEmpty));
        drag(kAnn, QPoint(last.left() + 20, last.bottom() + 40));  // below the last node
        QCOMPARE(records(), before);
        QVERIFY(m_prompts->asked.empty());
    }

    void dropInTheIndentationIsOnTheNode() {
        const QRect ann = m_window->tvMain->visualRect(index(kAnn));
        drag(kTodo, QPoint(ann.left() - 30, ann.center().y()));
        QCOMPARE(m_window->trees().display().nodeAt(kAnn)->childCount(), 2);
    }

    void dragNearTheEdgesScrollsOneLine() {
        model::PairedTrees& trees = m_window->trees();
        {
            model::PairedTrees::Step step(trees);
            const model::NodePair empty = trees.pairOf(trees.display().nodeAt(kEmpty));
            for (int i = 0; i < 60; ++i) {
                trees.appendPair(empty, "row", 0, "O;row;0");
            }
        }
        m_window->tvMain->expand(index(kEmpty));
        QScrollBar* bar = m_window->tvMain->verticalScrollBar();
        QVERIFY(bar->maximum() > 2);
        const QPoint start = textPoint(kContacts);
        QTest::mousePress(viewport(), Qt::LeftButton, {}, start);
        moveTo(start + QPoint(0, 6));
        moveTo(QPoint(start.x(), m_window->tvMain->height() - 10));
        QCOMPARE(bar->value(), 1);
        moveTo(QPoint(start.x(), m_window->tvMain->height() - 10));
        QCOMPARE(bar->value(), 2);
        moveTo(QPoint(start.x(), 5));
        QCOMPARE(bar->value(), 1);
        QTest::mouseRelease(viewport(), Qt::LeftButton, {}, QPoint(start.x(), 5));
    }

    void aDatabaseBuiltByHandSurvivesSaveAndReload() {
        m_window.reset();
        QFile::remove(QString::fromStdString(m_dir->path("Quorvia")));
        m_window = std::make_unique<frmMain>(m_prompts.get());
        model::PairedTrees& trees = m_window->trees();
        trees.select(trees.display().nodeAt(0));
        m_prompts->objectAnswers.push_back(platform::ObjectFields{"Contacts", 3});
        m_window->mmAddObjectClick();
        m_prompts->attributeAnswers.push_back(platform::AttributeFields{"Phone", "555"});
        m_window->mmAddAttributeClick();  // the new object is selected
        trees.select(trees.display().nodeAt(0));
        m_prompts->objectAnswers.push_back(platform::ObjectFields{"Notes", 9});
        m_window->mmAddObjectClick();
        m_window->mmSaveClick();
        QCOMPARE(
            QString::fromStdString(m_dir->read("Quorvia")),
            QStringLiteral("Quorvia\r\n\tO;Contacts;3\r\n\t\tT;Phone;555\r\n\tO;Notes;9\r\n"));
        m_prompts->openAnswers.push_back(m_dir->path("Quorvia"));
        m_window->tbOpenClick();
        QCOMPARE(
            QString::fromStdString(support::outline(m_window->trees().display(), true)),
            QStringLiteral("Quorvia [1]\n\tContacts [3]\n\t\tPhone: 555 [-1]\n\tNotes [9]\n"));
        QVERIFY(m_prompts->takeAsked().size() == 4);
    }
};

// The binding alone, over trees without a workspace or a window: a fake window hears the user's
// expand and collapse and lets the record tree follow, as frmMain does.
class TreeBindingAloneTest : public QObject, private ui::DisplayTreeEvents {
    Q_OBJECT

    void tvMainMouseDown(const QPoint&, Qt::MouseButton) override {}
    bool tvMainDragOver(const QPoint&) override { return false; }
    void tvMainDragDrop(const QPoint&) override {}
    void tvMainDblClick() override {}
    void tvMainKeyPress(char) override {}
    void tvMainKeyDown(int) override {}
    void tvMainExpandSubtree(const QModelIndex&) override {}
    void tvMainExpanding(const QModelIndex& index) override { tell(index, true); }
    void tvMainCollapsing(const QModelIndex& index) override { tell(index, false); }
    void tell(const QModelIndex& index, bool expanded) {
        told.push_back((expanded ? "+" : "-") + index.data().toString().toStdString());
        binding->follow(index, expanded);
    }

    std::vector<std::string> told;
    std::unique_ptr<ui::TreeBinding> binding;

private slots:
    // The logic's undo gives a node back a state the two trees do not share (shown open, its
    // record closed); the view shows it and does not hand it back as the user's expand.
    void theViewShowsTheLogicWithoutHandingItBack() {
        model::PairedTrees trees;
        support::loadPaired(trees, "root\r\n\tO;A;1\r\n\t\tO;A1;2\r\n\t\t\tT;x;y\r\n\tO;B;3\r\n");
        ui::DisplayTreeModel model(trees.display());
        ui::DisplayTreeView view;
        binding = std::make_unique<ui::TreeBinding>(view, model, trees);
        view.setEvents(this);
        const auto at = [&](int i) { return model.indexOf(trees.display().nodeAt(i)); };
        // The user opens everything, closes A and opens it again: its record closed A1.
        for (int i : {0, 1, 2}) {
            view.expand(at(i));
        }
        view.collapse(at(1));
        view.expand(at(1));
        QCOMPARE(told, (Asked{"+db", "+A", "+A1", "-A", "+A"}));
        const std::string records = support::outline(trees.records(), false, true);
        QCOMPARE(QString::fromStdString(records),
                 QStringLiteral("+root\n\t+O;A;1\n\t\tO;A1;2\n\t\t\tT;x;y\n\tO;B;3\n"));
        {
            model::PairedTrees::Step step(trees);
            trees.moveSubtree(trees.pairOf(trees.display().nodeAt(1)),
                              trees.pairOf(trees.display().nodeAt(4)));
        }
        QVERIFY(trees.undo());
        QVERIFY(view.isExpanded(at(2)));
        QCOMPARE(support::outline(trees.records(), false, true), records);
        QCOMPARE(view.currentIndex(), at(1));
        QCOMPARE(told.size(), size_t(5));  // the user's five, and nothing of the undo

        view.setCurrentIndex(at(3));
        QCOMPARE(trees.display().selected(), trees.display().nodeAt(3));
    }
};

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    TreeBindingsTest window;
    TreeBindingAloneTest binding;
    return QTest::qExec(&window, argc, argv) | QTest::qExec(&binding, argc, argv);
}
#include "TreeBindingsTest.moc"
