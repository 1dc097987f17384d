#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QAction>
#include <QMenuBar>
#include <QTextDocument>
#include <QToolButton>
#include <QtTest>
#include <memory>
#include <numeric>

#include "support/FakePrompts.h"
#include "support/TempDir.h"
#include "support/TreeHelpers.h"
#include "ui/CommandLine.h"
#include "ui/Help.h"
#include "ui/SortOrder.h"
#include "ui/SystemClipboard.h"
#include "ui/Text.h"
#include "ui/frmAbout.h"
#include "ui/frmAttribute.h"
#include "ui/frmMain.h"
#include "ui/frmObject.h"
#include "ui/frmReplace.h"

using namespace quorvia;
namespace support = quorvia::testing;
using quorvia::ui::DisplayTreeView;
using quorvia::ui::frmMain;

namespace {

const char* kDatabase =
    "Quorvia\r\n\tO;Contacts;3\r\n\t\tO;Ann;6\r\n\t\t\tT;Phone;555\r\n"
    "\tO;Notes;9\r\n\t\tT;Todo;milk\r\n";

QStringList captionsOf(const QMenu* menu) {
    QStringList captions;
    for (const QAction* action : menu->actions()) {
        captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    return captions;
}

// What a screen reader hears of the widget, or of its child `child`.
QString accessibleName(QObject* object, int child = -1) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object);
    return (child < 0 ? face : face->child(child))->text(QAccessible::Name);
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    // A window started in a fresh start directory holding the sample database.
    std::unique_ptr<frmMain> startWindow(bool withDatabase = true) {
        if (withDatabase) {
            m_dir->write("Quorvia", kDatabase);
        }
        auto window = std::make_unique<frmMain>(m_prompts.get());
        window->show();
        return window;
    }
    QModelIndex indexOf(frmMain& window, int absoluteIndex) {
        return window.displayModel()->indexOf(window.trees().display().nodeAt(absoluteIndex));
    }
    QPoint centreOf(frmMain& window, const QModelIndex& index) {
        return window.tvMain->visualRect(index).center();
    }

    std::unique_ptr<support::TempDir> m_dir;
    std::unique_ptr<support::ScopedCurrentDirectory> m_inside;
    std::unique_ptr<support::FakePrompts> m_prompts;

private slots:
    void init() {
        m_dir = std::make_unique<support::TempDir>();
        m_inside = std::make_unique<support::ScopedCurrentDirectory>(m_dir->path());
        m_prompts = std::make_unique<support::FakePrompts>();
    }
    void cleanup() {
        m_inside.reset();
        m_dir.reset();
    }

    void layout() {
        auto window = startWindow();
        QCOMPARE(window->windowTitle(), QStringLiteral("Teslund Quorvia for Nokia 7650"));
        QCOMPARE(window->frameGeometry().size(), QSize(313, 427));
        QCOMPARE(window->frameGeometry().center(),
                 QGuiApplication::primaryScreen()->availableGeometry().center());
        QVERIFY(!window->windowIcon().isNull());
        QVERIFY(window->StatusBar1->isSizeGripEnabled());
        QVERIFY(window->StatusBar1->currentMessage().isEmpty());
        QCOMPARE(window->ToolBar1->height(), 29);

        const DisplayTreeView* tree = window->tvMain;
        QVERIFY(tree->font().bold());
        QCOMPARE(tree->indentation(), 19);
        QVERIFY(!tree->rootIsDecorated());
        QCOMPARE(tree->editTriggers(), QAbstractItemView::NoEditTriggers);
        QVERIFY(!tree->isSortingEnabled());
        QCOMPARE(tree->selectionMode(), QAbstractItemView::SingleSelection);
        QVERIFY(tree->isHeaderHidden());
        QApplication::setActiveWindow(window.get());
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(window->tvMain));
    }

    void toolbarButtonsInOrderWithTheirHints() {
        auto window = startWindow();
        QStringList names;
        QStringList hints;
        for (QToolButton* button :
             window->ToolBar1->findChildren<QToolButton*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (button->objectName().startsWith(QLatin1String("tb"))) {
                names << button->objectName();
                hints << button->toolTip();
                QCOMPARE(accessibleName(button), button->toolTip());
                QCOMPARE(button->width(), 23);
                QVERIFY(!button->icon().isNull());
            }
        }
        QCOMPARE(names, (QStringList{"tbNew", "tbOpen", "tbSave", "tbAdd", "tbDelete", "tbImport",
                                     "tbExport"}));
        QCOMPARE(hints, (QStringList{"New database", "Open database", "Save database",
                                     "Add object or attribute", "Delete object or attribute",
                                     "Import objects or attributes from a text file",
                                     "Export to N7650 database"}));
        auto* add = window->findChild<QToolButton*>(QStringLiteral("tbAdd"));
        QCOMPARE(add->menu(), window->PopupMenu1);
        QCOMPARE(add->popupMode(), QToolButton::InstantPopup);
        QCOMPARE(captionsOf(window->PopupMenu1),
                 (QStringList{"Add Object...", "Add Attribute..."}));
        auto* import = window->findChild<QToolButton*>(QStringLiteral("tbImport"));
        QCOMPARE(import->menu(), window->PopupMenu2);
        QCOMPARE(captionsOf(window->PopupMenu2),
                 (QStringList{"Objects...", "Attributes...", "Nokia 7650 database...",
                              "Table (CSV)...", "Outline (OPML)..."}));
        QCOMPARE(window->tvMain->contextMenuPolicy(), Qt::DefaultContextMenu);
    }

    void menusAsLaidOut() {
        auto window = startWindow();
        QStringList menus;
        for (QAction* action : window->menuBar()->actions()) {
            menus << action->text();
        }
        QCOMPARE(menus, (QStringList{"File", "Edit", "Items", "Help"}));
        QCOMPARE(captionsOf(window->findChild<QMenu*>(QStringLiteral("File1"))),
                 (QStringList{"Open...", "Open recent", "Save", "Save as...", "-", "Import",
                              "Export to Nokia 7650 database...", "Export as", "-", "Exit"}));
        QCOMPARE(captionsOf(window->findChild<QMenu*>(QStringLiteral("mmImport"))),
                 (QStringList{"Objects...", "Attributes...", "Nokia 7650 database...",
                              "Table (CSV)...", "Outline (OPML)..."}));
        QCOMPARE(captionsOf(window->findChild<QMenu*>(QStringLiteral("mmExportAs"))),
                 (QStringList{"Table...", "Outline (OPML)...", "Web page..."}));
        QCOMPARE(captionsOf(window->findChild<QMenu*>(QStringLiteral("mmEdit"))),
                 (QStringList{"Cut", "Copy", "Paste", "-", "Undo", "Redo", "Find...", "Find next",
                              "Find previous", "Replace...", "-", "Copy as text", "Paste text"}));
        QCOMPARE(captionsOf(window->findChild<QMenu*>(QStringLiteral("Items1"))),
                 (QStringList{"Add", "Edit...", "Delete...", "Duplicate", "-", "Move up",
                              "Move down", "-", "Sort children", "Sort all below"}));
        QCOMPARE(captionsOf(window->findChild<QMenu*>(QStringLiteral("mmAdd"))),
                 (QStringList{"Object...", "Attribute..."}));
        QCOMPARE(captionsOf(window->findChild<QMenu*>(QStringLiteral("Help1"))),
                 (QStringList{"Help", "-", "About"}));
        // No item is ever disabled.
        for (QAction* action : window->findChildren<QAction*>()) {
            if (action->objectName().startsWith(QLatin1String("mm")) ||
                action->objectName() == QLatin1String("Nokia7650database1")) {
                QVERIFY2(action->isEnabled(), qPrintable(action->objectName()));
            }
        }
    }

    void editShortcutsWorkFromTheTree() {
        auto window = startWindow();
        QApplication::setActiveWindow(window.get());
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        window->tvMain->setFocus();
        const std::pair<const char*, QList<QKeySequence>> items[] = {
            {"acNew", {QKeySequence(Qt::CTRL | Qt::Key_N)}},
            {"mmOpen", {QKeySequence(Qt::CTRL | Qt::Key_O)}},
            {"mmSave", {QKeySequence(Qt::CTRL | Qt::Key_S)}},
            {"mmSaveas", {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)}},
            {"mmEdt", {QKeySequence(Qt::Key_F2)}},
            {"mmAddobj", {QKeySequence(Qt::Key_Insert)}},
            {"mmAddAttr", {QKeySequence(Qt::CTRL | Qt::Key_T)}},
            {"mmDuplicate", {QKeySequence(Qt::CTRL | Qt::Key_D)}},
            {"mmFindPrevious", {QKeySequence(Qt::SHIFT | Qt::Key_F3)}},
            {"mmReplace", {QKeySequence(Qt::CTRL | Qt::Key_H)}},
            {"mmCut", {QKeySequence(Qt::CTRL | Qt::Key_X)}},
            {"mmCopy", {QKeySequence(Qt::CTRL | Qt::Key_C)}},
            {"mmPaste", {QKeySequence(Qt::CTRL | Qt::Key_V)}},
            {"mmUndo", {QKeySequence(Qt::CTRL | Qt::Key_Z)}},
            {"mmRedo",
             {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}},
            {"mmFindNext", {QKeySequence(Qt::Key_F3)}},
            {"mmCopyText", {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C)}},
            {"mmPasteText", {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V)}},
            {"mmMoveUp", {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Up)}},
            {"mmMoveDown", {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Down)}},
        };
        for (const auto& [name, keys] : items) {
            auto* action = window->findChild<QAction*>(QLatin1String(name));
            QSignalSpy triggered(action, &QAction::triggered);
            for (const QKeySequence& key : keys) {
                QTest::keySequence(window->tvMain, key);
            }
            QCOMPARE(triggered.count(), keys.size());
        }
    }

    void recordsGoToTheSystemClipboardAsBytesAndAsText() {
        const std::string records = "O;Caf\xe9;1\n\tT;\xc3\xa9t\xc3\xa9;x\n";
        const auto data = ui::recordsAsMimeData(records);
        QCOMPARE(data->text(), QStringLiteral("O;Café;1\n\tT;été;x\n"));
        QCOMPARE(ui::recordsFromMimeData(data.get()).bytes, records);
        data->removeFormat(QString::fromLatin1(ui::kRecordsMimeType));
        QCOMPARE(ui::recordsFromMimeData(data.get()).bytes,
                 std::string("O;Caf\xc3\xa9;1\n\tT;\xc3\xa9t\xc3\xa9;x\n"));
        QVERIFY(ui::setCodePage(QStringLiteral("windows-1252")));
        data->setText(QStringLiteral("Zoé\nZoő"));
        QVERIFY_THROWS_EXCEPTION(Error, ui::recordsFromMimeData(data.get()));
        QVERIFY(ui::setCodePage(QString::fromLatin1(ui::kDefaultCodePage)));
    }

    void sortOrderIsCaseBlindNumericAndAccentedInEveryLocale() {
        const std::vector<std::string_view> texts = {
            "Zed", "item 10", "Émile", "Item 2", "same", "apple", "SAME", "Eva: 1", "same"};
        const QList<int> expected = {5, 2, 7, 3, 1, 4, 6, 8, 0};
        for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::English),
                                      QLocale(QLocale::French), QLocale(QLocale::German)}) {
            const std::vector<int> order = ui::textOrder(ui::sortCollator(locale))(texts);
            QCOMPARE(QList<int>(order.begin(), order.end()), expected);
        }
        // A long list, whose keys are made on two threads, sorts as comparing the texts does.
        std::vector<std::string> many;
        for (int i = 0; i < 9000; ++i) {
            many.push_back(std::string(texts[static_cast<size_t>(i * 7 % 9)]) + " " +
                           std::to_string(i * 7919 % 500));
        }
        const std::vector<std::string_view> views(many.begin(), many.end());
        const QCollator collator = ui::sortCollator(QLocale(QLocale::French));
        std::vector<int> compared(views.size());
        std::iota(compared.begin(), compared.end(), 0);
        std::stable_sort(compared.begin(), compared.end(), [&](int left, int right) {
            return collator.compare(QString::fromUtf8(many[static_cast<size_t>(left)].c_str()),
                                    QString::fromUtf8(many[static_cast<size_t>(right)].c_str())) <
                   0;
        });
        QVERIFY(ui::textOrder(collator)(views) == compared);
    }

    void movesAndSortsKeepTheViewsExpansionAndSelection() {
        auto window = startWindow();
        QAbstractItemModelTester tester(window->displayModel());
        const model::Tree& display = window->trees().display();
        model::Node* notes = display.nodeAt(4);
        window->trees().expandSubtree(display.nodeAt(0));
        const auto viewFollows = [&] {
            for (int i = 0; i < display.count(); ++i) {
                const model::Node* node = display.nodeAt(i);
                QCOMPARE(window->tvMain->isExpanded(window->displayModel()->indexOf(node)),
                         node->isExpanded() && node->hasChildren());
            }
            QCOMPARE(window->tvMain->currentIndex(),
                     window->displayModel()->indexOf(display.selected()));
        };
        window->trees().select(notes);
        window->mmMoveUpClick();
        QVERIFY(display.nodeAt(1) == notes && display.selected() == notes);
        viewFollows();
        window->trees().select(display.nodeAt(0));
        window->mmSortChildrenClick();
        QVERIFY(display.nodeAt(4) == notes && notes->isExpanded());
        viewFollows();
    }

    void firstStartWritesTheSettingsAndShowsTheDefaultRoot() {
        auto window = startWindow(false);
        QCOMPARE(QString::fromStdString(m_dir->read("Quorvia.ini")),
                 QString::fromStdString(m_dir->path("Quorvia") + "\r\n"));
        QCOMPARE(QString::fromStdString(support::outline(window->trees().display(), true)),
                 QStringLiteral("Quorvia [1]\n"));
        QVERIFY(m_prompts->asked.empty());
    }

    void commandLine() {
        const auto read = [](QStringList arguments) {
            arguments.prepend(QStringLiteral("quorvia"));
            return ui::readCommandLine(arguments);
        };
        for (const char* option : {"--version", "--help"}) {
            const ui::CommandLine ends = read({QLatin1String(option), QStringLiteral("db")});
            QVERIFY(!ends.start);
            QCOMPARE(ends.exitCode, 0);
            QVERIFY(ends.errors.isEmpty());
            QVERIFY(ends.output.contains(QStringLiteral("1.1.0")) ||
                    ends.output.contains(QStringLiteral("--codepage <name>")));
        }
        // Neither a code page that does not keep ASCII as itself nor a folder is taken.
        for (const QStringList& wrong :
             {QStringList{"--bogus"}, QStringList{"a", "b"},
              QStringList{"--codepage", "no-such-page", "db"},
              QStringList{"--codepage", "UTF-16LE", "db"}, QStringList{"--codepage", "IBM037"},
              QStringList{"--codepage", "ISO-2022-JP"}, QStringList{""}, QStringList{"."},
              QStringList{"absent/"}, QStringList{"line\nbreak.qdb"}, QStringList{"a\rb"}}) {
            const ui::CommandLine ends = read(wrong);
            QVERIFY(!ends.start);
            QCOMPARE(ends.exitCode, 2);
            QVERIFY(ends.output.isEmpty());
            QVERIFY(ends.errors.startsWith(QStringLiteral("quorvia: ")));
            QVERIFY(ends.errors.contains(QStringLiteral("\nUsage: quorvia [options] [file]\n")));
            QCOMPARE(ends.errors.section(QLatin1Char('\n'), 1, 1),
                     QStringLiteral("Usage: quorvia [options] [file]"));
        }
        QVERIFY(!read({}).start->databasePath);
        const std::string latin = "caf\xE9.db";
        QCOMPARE(
            QByteArray::fromStdString(*read({ui::argumentFromBytes(latin)}).start->databasePath),
            QByteArray::fromStdString(latin));
        const ui::CommandLine runs = read({"--codepage", "windows-1252", "sub/db"});
        QCOMPARE(runs.start->codePage, QStringLiteral("windows-1252"));

        // The file replaces the settings file's database and is written into it.
        m_dir->write("Quorvia.ini", m_dir->path("Quorvia") + "\r\n");
        QDir(QString::fromStdString(m_dir->path())).mkdir(QStringLiteral("sub"));
        m_dir->write("sub/db", "Quorvia\r\n\tO;Only;3\r\n");
        frmMain window(m_prompts.get(), nullptr, runs.start->databasePath);
        QCOMPARE(QString::fromStdString(m_dir->read("Quorvia.ini")),
                 QString::fromStdString(m_dir->path("sub/db") + "\r\n"));
        QCOMPARE(QString::fromStdString(support::outline(window.trees().records())),
                 QStringLiteral("Quorvia\n\tO;Only;3\n"));
        QVERIFY(m_prompts->asked.empty());
    }

    void aFailedStartUpIsShownAndTheWindowStillOpens() {
        QDir(QString::fromStdString(m_dir->path())).mkdir(QStringLiteral("Quorvia.ini"));
        auto window = startWindow();
        QCOMPARE(m_prompts->takeAsked(),
                 (std::vector<std::string>{"error: Accès au fichier refusé"}));
        QVERIFY(window->isVisible());
        // The database was opened all the same.
        QCOMPARE(window->trees().display().count(), 6);
    }

    void closingSavesAndAFailedCloseKeepsTheWindowOpen() {
        auto window = startWindow();
        model::PairedTrees& trees = window->trees();
        {
            model::PairedTrees::Step step(trees);
            trees.setPair(trees.pairOf(trees.display().nodeAt(0)), "Quorvia", 1, "Edited");
        }
        QVERIFY(window->close());
        QVERIFY(QString::fromStdString(m_dir->read("Quorvia")).startsWith("Edited\r\n"));

        auto second = startWindow(false);
        QFile::remove(QString::fromStdString(m_dir->path("Quorvia")));
        QDir(QString::fromStdString(m_dir->path())).mkdir(QStringLiteral("Quorvia"));
        QVERIFY(!second->close());
        QVERIFY(second->isVisible());
        QCOMPARE(m_prompts->takeAsked(),
                 (std::vector<std::string>{"error: Impossible de créer le fichier " +
                                           m_dir->path("Quorvia")}));
    }

    void databaseCommandsKeepTheCaption() {
        auto window = startWindow();
        m_prompts->saveAnswers.push_back(m_dir->path("new.db"));
        window->findChild<QToolButton*>(QStringLiteral("tbNew"))->click();
        QCOMPARE(window->trees().display().nodeAt(0)->text(), std::string_view("new.db"));
        m_prompts->openAnswers.push_back(m_dir->path("Quorvia"));
        window->findChild<QAction*>(QStringLiteral("mmOpen"))->trigger();
        m_prompts->saveAnswers.push_back(m_dir->path("copy.db"));
        window->findChild<QAction*>(QStringLiteral("mmSaveas"))->trigger();
        window->findChild<QToolButton*>(QStringLiteral("tbSave"))->click();
        QCOMPARE(window->windowTitle(), QStringLiteral("Teslund Quorvia for Nokia 7650"));
        QCOMPARE(QString::fromStdString(m_dir->read("copy.db")), QString::fromUtf8(kDatabase));
        QCOMPARE(m_prompts->takeAsked(), (std::vector<std::string>{"save", "open", "save"}));
    }

    void clickSelectsAndTheRecordTreeFollowsExpandAndCollapse() {
        auto window = startWindow();
        model::PairedTrees& trees = window->trees();
        window->tvMain->expand(indexOf(*window, 0));
        window->tvMain->expand(indexOf(*window, 1));
        window->tvMain->expand(indexOf(*window, 2));
        QCOMPARE(QString::fromStdString(support::outline(trees.records(), false, true)),
                 QStringLiteral("+Quorvia\n\t+O;Contacts;3\n\t\t+O;Ann;6\n\t\t\tT;Phone;555\n"
                                "\tO;Notes;9\n\t\tT;Todo;milk\n"));
        window->tvMain->collapse(indexOf(*window, 1));
        QCOMPARE(QString::fromStdString(support::outline(trees.records(), false, true)),
                 QStringLiteral("+Quorvia\n\tO;Contacts;3\n\t\tO;Ann;6\n\t\t\tT;Phone;555\n"
                                "\tO;Notes;9\n\t\tT;Todo;milk\n"));
        // The display keeps the child's state.
        QVERIFY(trees.display().nodeAt(2)->isExpanded());

        QTest::mouseClick(window->tvMain->viewport(), Qt::LeftButton, {},
                          centreOf(*window, indexOf(*window, 4)));
        QCOMPARE(trees.display().selected(), trees.display().nodeAt(4));
        QVERIFY(window->tvMain->selectionModel()->isSelected(indexOf(*window, 4)));
    }

    void aDragStartsOnlyBelowTheTopLevelAfterFivePixels() {
        auto window = startWindow();
        window->tvMain->expand(indexOf(*window, 0));
        QWidget* viewport = window->tvMain->viewport();

        const QPoint root = centreOf(*window, indexOf(*window, 0));
        QTest::mousePress(viewport, Qt::LeftButton, {}, root);
        QCOMPARE(window->tvMain->dragState(), DisplayTreeView::DragState::Idle);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, root);

        const QPoint notes = centreOf(*window, indexOf(*window, 4));
        QTest::mousePress(viewport, Qt::RightButton, {}, notes);
        QCOMPARE(window->tvMain->dragState(), DisplayTreeView::DragState::Idle);
        QTest::mouseRelease(viewport, Qt::RightButton, {}, notes);

        QTest::mousePress(viewport, Qt::LeftButton, Qt::ShiftModifier, notes);
        QCOMPARE(window->tvMain->dragState(), DisplayTreeView::DragState::Prepared);
        QMouseEvent fourAway(QEvent::MouseMove, notes + QPoint(4, -4),
                             viewport->mapToGlobal(notes), Qt::NoButton, Qt::LeftButton,
                             Qt::NoModifier);
        QApplication::sendEvent(viewport, &fourAway);
        QCOMPARE(window->tvMain->dragState(), DisplayTreeView::DragState::Prepared);
        QMouseEvent fiveAway(QEvent::MouseMove, notes + QPoint(0, 5), viewport->mapToGlobal(notes),
                             Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &fiveAway);
        QCOMPARE(window->tvMain->dragState(), DisplayTreeView::DragState::Dragging);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, notes + QPoint(0, 5));
        QCOMPARE(window->tvMain->dragState(), DisplayTreeView::DragState::Idle);
    }

    void helpRunsTheViewerWhereThereIsOneElseShowsTheOwnPage() {
        const QString page = ui::helpPagePath();
        QFile file(page);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains("Export to Nokia 7650 database"));

        // A viewer on the search path gets "qv.chm" and is not waited for.
        support::writeScript(m_dir->path("hh.exe"), "printf '%s' \"$*\" > viewer-args");
        support::ScopedEnvironmentVariable path("PATH", m_dir->path() + ":/usr/bin:/bin");
        ui::mmHelpClick();
        QTRY_VERIFY(m_dir->exists("viewer-args"));
        QTRY_COMPARE(QString::fromStdString(m_dir->read("viewer-args")), QStringLiteral("qv.chm"));
    }

    void theHelpPageNamesEveryMenuItemAndKey() {
        QFile file(QStringLiteral(":/help/quorvia-help.html"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QTextDocument page;
        page.setHtml(QString::fromUtf8(file.readAll()));
        const QString help = page.toPlainText();

        auto window = startWindow();
        QList<QAction*> items = window->menuBar()->actions();
        items << window->PopupMenu1->actions() << window->PopupMenu2->actions()
              << window->actions();
        int checked = 0;
        while (!items.isEmpty()) {
            const QAction* item = items.takeFirst();
            if (item->menu() != nullptr) {
                items << item->menu()->actions();
            }
            if (item->isSeparator()) {
                continue;
            }
            QVERIFY2(help.contains(item->text()), qPrintable(item->text()));
            for (const QKeySequence& key : item->shortcuts()) {
                const QString keys = key.toString(QKeySequence::PortableText);
                QVERIFY2(help.contains(keys), qPrintable(item->text() + " " + keys));
            }
            ++checked;
        }
        QVERIFY(checked > 30);
    }

    void aboutBoxAsLaidOut() {
        ui::frmAbout about;
        QCOMPARE(about.size(), QSize(303, 404));
        QVERIFY(about.windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(about.Memo1->isReadOnly());
        QVERIFY(!about.Memo1->toPlainText().isEmpty());
        QVERIFY(about.BitBtn1->isDefault());
        QCOMPARE(about.findChild<QLabel*>(QStringLiteral("Label3"))->text(),
                 QStringLiteral("Version 1.1.0"));
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QTest::mouseClick(about.BitBtn1, Qt::LeftButton);
        QVERIFY(!about.isVisible());
        QCOMPARE(about.result(), int(QDialog::Accepted));
    }

    void openRecentListsTheDatabasesNewestFirstAndOpensTheOlder() {
        support::TempDir state;
        const support::ScopedEnvironmentVariable stateHome("XDG_STATE_HOME", state.path());
        m_dir->write("R&D.db", "R&D.db\r\n\tO;Lab;2\r\n");
        auto window = startWindow();
        m_prompts->openAnswers = {m_dir->path("R&D.db"), m_dir->path("Quorvia")};
        window->mmOpenClick();
        window->mmOpenClick();
        auto* recent = window->findChild<QMenu*>(QStringLiteral("mmOpenRecent"));
        const QString folder = QString::fromStdString(m_dir->path() + "/");
        emit recent->aboutToShow();
        emit recent->aboutToShow();  // each time in place of the entries before
        QCOMPARE(captionsOf(recent),
                 (QStringList{"Quorvia [" + folder + "]", "R&&D.db [" + folder + "]", "-",
                              "Clear the list"}));
        QCOMPARE(accessibleName(recent, 1), "R&D.db [" + folder + "]");  // "&" as itself
        recent->actions().at(1)->trigger();
        QCOMPARE(window->trees().records().nodeAt(1)->text(), std::string_view("O;Lab;2"));
        QCOMPARE(m_prompts->takeAsked(), (std::vector<std::string>{"open", "open"}));
        window->findChild<QAction*>(QStringLiteral("mmClearRecent"))->trigger();
        emit recent->aboutToShow();
        QCOMPARE(captionsOf(recent), (QStringList{"-", "Clear the list"}));
    }

    void everyControlHasANameAScreenReaderReads() {
        auto window = startWindow();
        QCOMPARE(accessibleName(window->tvMain), QStringLiteral("Database"));
        QCOMPARE(accessibleName(window->ToolBar1), QStringLiteral("Toolbar"));
        for (QMenu* menu : window->findChildren<QMenu*>()) {
            for (int i = 0; i < menu->actions().size(); ++i) {
                QCOMPARE(accessibleName(menu, i), menu->actions().at(i)->text());  // no "&"
            }
        }
        ui::frmObject object;
        ui::frmAttribute attribute;
        ui::frmReplace replace;
        QCOMPARE((QStringList{accessibleName(object.cbIcon), accessibleName(object.edName),
                              accessibleName(attribute.edValue), accessibleName(replace.edFind),
                              accessibleName(replace.edReplace)}),
                 (QStringList{"Icon", "Name", "Value", "Find", "Replace with"}));
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
