#include "ui/frmMain.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QMenuBar>
#include <QScopedValueRollback>
#include <QScreen>
#include <QTimer>

#include "editing/ClipboardText.h"
#include "editing/Containment.h"
#include "editing/Deletion.h"
#include "editing/DragAndDrop.h"
#include "editing/Find.h"
#include "editing/ItemDialogs.h"
#include "editing/Ordering.h"
#include "export/OpmlExport.h"
#include "export/PhoneExport.h"
#include "export/TableExport.h"
#include "export/WebPageExport.h"
#include "import/OpmlImport.h"
#include "import/TableImport.h"
#include "import/TextImport.h"
#include "platform/Error.h"
#include "platform/Process.h"
#include "ui/DataExchange.h"
#include "ui/DialogStyle.h"
#include "ui/Help.h"
#include "ui/Pictures.h"
#include "ui/QtPrompts.h"
#include "ui/SortOrder.h"
#include "ui/SystemClipboard.h"
#include "ui/Text.h"
#include "ui/frmAbout.h"

namespace quorvia::ui {

namespace {

constexpr QSize kStartSize(313, 427);
// How often the recovery data catches up with the changes: a write starts at most this long
// after a change and, in the background, takes well under a second at a million nodes.
constexpr int kRecoveryIntervalMs = 500;

using Handler = void (frmMain::*)();

// One item of the menus: the menu it belongs to, its component name and caption ("-": a
// separator line), its handler and shortcuts. An item with a caption and no handler is a submenu,
// filled by the items that name it.
struct MenuItem {
    const char* menu;
    const char* name;
    const char* caption;
    Handler handler = nullptr;
    QKeyCombination key = {};
    QKeyCombination alternateKey = {};
};

constexpr const char* kMenuBar = "MainMenu1";

const MenuItem kMenuItems[] = {
    {kMenuBar, "File1", "File"},
    {"File1", "mmOpen", "Open...", &frmMain::mmOpenClick},
    {"File1", "mmSave", "Save", &frmMain::mmSaveClick},
    {"File1", "mmSaveas", "Save as...", &frmMain::mmSaveasClick},
    {"File1", "N2", "-"},
    {"File1", "mmImport", "Import"},
    {"mmImport", "mmObjects", "Objects...", &frmMain::mmImportObjectClick},
    {"mmImport", "mmAttributes", "Attributes...", &frmMain::mmImportAttributesClick},
    {"mmImport", "Nokia7650database1", "Nokia 7650 database...",
     &frmMain::Nokia7650database1Click},
    {"mmImport", "mmTable", "Table (CSV)...", &frmMain::mmImportTableClick},
    {"mmImport", "mmOutline", "Outline (OPML)...", &frmMain::mmImportOutlineClick},
    {"File1", "mmExport", "Export to Nokia 7650 database...", &frmMain::tbExportClick},
    {"File1", "mmExportAs", "Export as"},
    {"mmExportAs", "mmExportTable", "Table...", &frmMain::mmExportTableClick},
    {"mmExportAs", "mmExportOutline", "Outline (OPML)...", &frmMain::mmExportOutlineClick},
    {"mmExportAs", "mmExportWebPage", "Web page...", &frmMain::mmExportWebPageClick},
    {"File1", "N1", "-"},
    {"File1", "mmExit", "Exit", &frmMain::mmExitClick},
    {kMenuBar, "mmEdit", "Edit"},
    {"mmEdit", "mmCut", "Cut", &frmMain::mmCutClick, Qt::CTRL | Qt::Key_X},
    {"mmEdit", "mmCopy", "Copy", &frmMain::mmCopyClick, Qt::CTRL | Qt::Key_C},
    {"mmEdit", "mmPaste", "Paste", &frmMain::mmPasteClick, Qt::CTRL | Qt::Key_V},
    {"mmEdit", "N4", "-"},
    {"mmEdit", "mmUndo", "Undo", &frmMain::mmUndoClick, Qt::CTRL | Qt::Key_Z},
    {"mmEdit", "mmRedo", "Redo", &frmMain::mmRedoClick, Qt::CTRL | Qt::Key_Y,
     Qt::CTRL | Qt::SHIFT | Qt::Key_Z},
    {"mmEdit", "mmFind", "Find...", &frmMain::mmFindClick, Qt::CTRL | Qt::Key_F},
    {"mmEdit", "mmFindNext", "Find next", &frmMain::mmFindNextClick, Qt::Key_F3},
    {"mmEdit", "N5", "-"},
    {"mmEdit", "mmCopyText", "Copy as text", &frmMain::mmCopyTextClick,
     Qt::CTRL | Qt::SHIFT | Qt::Key_C},
    {"mmEdit", "mmPasteText", "Paste text", &frmMain::mmPasteTextClick,
     Qt::CTRL | Qt::SHIFT | Qt::Key_V},
    {kMenuBar, "Items1", "Items"},
    {"Items1", "mmAdd", "Add"},
    {"mmAdd", "mmAddobj", "Object...", &frmMain::mmAddObjectClick},
    {"mmAdd", "mmAddAttr", "Attribute...", &frmMain::mmAddAttributeClick},
    {"Items1", "mmEdt", "Edit...", &frmMain::mmEdtClick},
    {"Items1", "mmDel", "Delete...", &frmMain::tbDeleteClick},
    {"Items1", "N8", "-"},
    {"Items1", "mmMoveUp", "Move up", &frmMain::mmMoveUpClick, Qt::CTRL | Qt::SHIFT | Qt::Key_Up},
    {"Items1", "mmMoveDown", "Move down", &frmMain::mmMoveDownClick,
     Qt::CTRL | Qt::SHIFT | Qt::Key_Down},
    {"Items1", "N9", "-"},
    {"Items1", "mmSortChildren", "Sort children", &frmMain::mmSortChildrenClick},
    {"Items1", "mmSortAllBelow", "Sort all below", &frmMain::mmSortAllBelowClick},
    {kMenuBar, "Help1", "Help"},
    {"Help1", "mmHelp", "Help", &frmMain::mmHelpClick},
    {"Help1", "N3", "-"},
    {"Help1", "mmAbout", "About", &frmMain::mmAboutClick},
    // The toolbar's drop-down menus.
    {"PopupMenu1", "mmAddObject", "Add Object...", &frmMain::mmAddObjectClick},
    {"PopupMenu1", "mmAddAttribute", "Add Attribute...", &frmMain::mmAddAttributeClick},
    {"PopupMenu2", "mmImportObject", "Objects...", &frmMain::mmImportObjectClick},
    {"PopupMenu2", "mmImportAttributes", "Attributes...", &frmMain::mmImportAttributesClick},
    {"PopupMenu2", "mmNokia7650database", "Nokia 7650 database...",
     &frmMain::Nokia7650database1Click},
    {"PopupMenu2", "mmImportTable", "Table (CSV)...", &frmMain::mmImportTableClick},
    {"PopupMenu2", "mmImportOutline", "Outline (OPML)...", &frmMain::mmImportOutlineClick},
};

// One toolbar button: a handler, or the drop-down menu it opens instead.
struct ToolButton {
    const char* name;
    ToolbarPicture picture;
    const char* hint;
    Handler handler;
    const char* menu;
};

const ToolButton kToolButtons[] = {
    {"tbNew", ToolbarPicture::New, "New database", &frmMain::tbNewClick, nullptr},
    {"tbOpen", ToolbarPicture::Open, "Open database", &frmMain::tbOpenClick, nullptr},
    {"tbSave", ToolbarPicture::Save, "Save database", &frmMain::tbSaveClick, nullptr},
    {"tbAdd", ToolbarPicture::Add, "Add object or attribute", nullptr, "PopupMenu1"},
    {"tbDelete", ToolbarPicture::Delete, "Delete object or attribute", &frmMain::tbDeleteClick,
     nullptr},
    {"tbImport", ToolbarPicture::Import, "Import objects or attributes from a text file", nullptr,
     "PopupMenu2"},
    {"tbExport", ToolbarPicture::Export, "Export to N7650 database", &frmMain::tbExportClick,
     nullptr},
};

// A search as the user sees the texts: decoded through the code page.
editing::TextMatch matchAsShown(const platform::SearchFields& search) {
    return [matcher = TextSearch(QString::fromStdString(search.text), search.matchCase)](
               std::string_view text) { return matcher.matches(text); };
}

}  // namespace

frmMain::frmMain(platform::UserPrompts* prompts, QWidget* parent,
                 const std::optional<std::string>& databasePath)
    : QMainWindow(parent), m_prompts(prompts), m_finder(matchAsShown) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString::fromUtf8(kCaption));
    setWindowIcon(Pictures::instance().programIcon());
    setFont(dialogFont());

    OpenDlg = makeOpenDialog(this);
    SaveDlg = makeSaveDialog(this);
    if (m_prompts == nullptr) {
        m_ownPrompts = std::make_unique<QtPrompts>(this, OpenDlg, SaveDlg);
        m_prompts = m_ownPrompts.get();
    }
    m_workspace = std::make_unique<workspace::Workspace>(m_trees, *m_prompts, &m_lockFiles);

    tvMain = new DisplayTreeView(this);
    tvMain->setObjectName(QStringLiteral("tvMain"));
    QFont bold = font();
    bold.setBold(true);
    tvMain->setFont(bold);
    m_displayModel = std::make_unique<DisplayTreeModel>(m_trees.display());
    tvMain->setModel(m_displayModel.get());
    tvMain->setEvents(this);
    setCentralWidget(tvMain);

    buildMenus();
    buildToolBar();
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(true);
    setStatusBar(StatusBar1);
    connectTree();

    resize(kStartSize);
    tvMain->setFocus();
    FormCreate(databasePath);

    // Keeps the recovery data at most a couple of seconds behind the changes.
    auto* recoveryTimer = new QTimer(this);
    recoveryTimer->setObjectName(QStringLiteral("RecoveryTimer"));
    recoveryTimer->setInterval(kRecoveryIntervalMs);
    connect(recoveryTimer, &QTimer::timeout, this, [this] {
        // A failure here is the recovery data's own: it is tried again at the next tick, and
        // never interrupts the user.
        try {
            m_workspace->keepRecoveryData();
        } catch (...) {
        }
    });
    recoveryTimer->start();
}

frmMain::~frmMain() {
    tvMain->setEvents(nullptr);
}

template <typename Body>
bool frmMain::runCommand(Body&& body) {
    try {
        body();
        return true;
    } catch (const Error& error) {
        m_prompts->showError(error.message());
    } catch (const std::bad_alloc&) {
        m_prompts->showError(kOutOfMemoryMessage);
    } catch (const std::exception& error) {
        m_prompts->showError(error.what());
    }
    return false;
}

void frmMain::buildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QString::fromLatin1(kMenuBar));
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    QHash<QString, QMenu*> menus{{PopupMenu1->objectName(), PopupMenu1},
                                 {PopupMenu2->objectName(), PopupMenu2}};

    for (const MenuItem& item : kMenuItems) {
        const QString name = QString::fromLatin1(item.name);
        const QString caption = QString::fromUtf8(item.caption);
        QMenu* menu = menus.value(QString::fromLatin1(item.menu));
        if (item.handler == nullptr && caption != QLatin1String("-")) {
            QMenu* submenu = menu != nullptr ? menu->addMenu(caption) : bar->addMenu(caption);
            submenu->setObjectName(name);
            menus.insert(name, submenu);
            continue;
        }
        if (item.handler == nullptr) {
            menu->addSeparator()->setObjectName(name);
            continue;
        }
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        QList<QKeySequence> keys;
        for (const QKeyCombination key : {item.key, item.alternateKey}) {
            if (key.key() != Qt::Key(0)) {
                keys.append(QKeySequence(key));
            }
        }
        action->setShortcuts(keys);
        connect(action, &QAction::triggered, this, item.handler);
    }
}

void frmMain::buildToolBar() {
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    ToolBar1->setFixedHeight(29);
    ToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(Qt::TopToolBarArea, ToolBar1);

    for (const ToolButton& button : kToolButtons) {
        auto* tool = new QToolButton(ToolBar1);
        tool->setObjectName(QString::fromLatin1(button.name));
        tool->setIcon(Pictures::instance().toolbarIcon(button.picture));
        tool->setToolTip(QString::fromUtf8(button.hint));
        tool->setAutoRaise(true);
        tool->setFixedSize(23, 22);
        tool->setFocusPolicy(Qt::NoFocus);
        if (button.menu != nullptr) {
            // No action of its own: pressing it drops its menu down below it.
            tool->setMenu(findChild<QMenu*>(QString::fromLatin1(button.menu)));
            tool->setPopupMode(QToolButton::InstantPopup);
            tool->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; }"));
        } else {
            connect(tool, &QToolButton::clicked, this, button.handler);
        }
        ToolBar1->addWidget(tool);
    }
}

void frmMain::connectTree() {
    connect(tvMain, &QTreeView::expanded, this, &frmMain::tvMainExpanding);
    connect(tvMain, &QTreeView::collapsed, this, &frmMain::tvMainCollapsing);
    // The view's current node is the display tree's selected node.
    connect(tvMain->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (!m_showingLogic) {
                    m_trees.select(m_displayModel->nodeOf(current));
                }
                if (current.isValid() && !tvMain->selectionModel()->isSelected(current)) {
                    tvMain->selectionModel()->select(current, QItemSelectionModel::ClearAndSelect);
                }
            });
    // The view never shows an empty selection while it has a current node: that node is the
    // one the commands act on.
    connect(tvMain->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        QItemSelectionModel* selection = tvMain->selectionModel();
        if (!selection->hasSelection() && selection->currentIndex().isValid()) {
            selection->select(selection->currentIndex(), QItemSelectionModel::ClearAndSelect);
        }
    });
    // What the logic asks of the view is shown there, and not handed back to the logic as if
    // the user had done it.
    connect(m_displayModel.get(), &DisplayTreeModel::expandRequested, tvMain,
            [this](const QModelIndex& index, bool expanded) {
                const QScopedValueRollback showing(m_showingLogic, true);
                tvMain->setExpanded(index, expanded);
            });
    connect(m_displayModel.get(), &DisplayTreeModel::expandSubtreeRequested, tvMain,
            [this](const QModelIndex& index) {
                const QScopedValueRollback showing(m_showingLogic, true);
                tvMain->expandSubtree(index);
            });
    connect(m_displayModel.get(), &DisplayTreeModel::selectRequested, tvMain,
            [this](const QModelIndex& index) {
                const QScopedValueRollback showing(m_showingLogic, true);
                tvMain->selectionModel()->setCurrentIndex(index,
                                                          QItemSelectionModel::ClearAndSelect);
            });
    connect(m_displayModel.get(), &DisplayTreeModel::scrollToRequested, tvMain,
            [this](const QModelIndex& index) { tvMain->scrollTo(index); });
}

void frmMain::FormCreate(const std::optional<std::string>& databasePath) {
    // A failed start-up is shown and the database is opened all the same, so the window is
    // usable and no empty tree is ever saved over an existing file.
    runCommand([&] {
        if (databasePath) {
            m_workspace->start(*databasePath);
        } else {
            m_workspace->start();
        }
    });
    runCommand([&] { m_workspace->loadCurrentDatabase(); });
}

void frmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_centred) {
        m_centred = true;
        // The start size is the outer size, frame included, centred on the desktop.
        const QSize frame = frameGeometry().size() - geometry().size();
        resize(kStartSize - frame);
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            QRect outer(QPoint(), kStartSize);
            outer.moveCenter(screen->availableGeometry().center());
            move(outer.topLeft());
        }
    }
}

void frmMain::closeEvent(QCloseEvent* event) {
    // FormClose: when the save or the settings file fails, the window stays open.
    if (runCommand([&] { m_workspace->close(); })) {
        event->accept();
    } else {
        event->ignore();
    }
}

void frmMain::tbNewClick() {
    runCommand([&] { m_workspace->newDatabase(); });
}

void frmMain::tbOpenClick() {
    runCommand([&] { m_workspace->openDatabase(); });
}

void frmMain::mmOpenClick() {
    tbOpenClick();
}

void frmMain::mmSaveClick() {
    runCommand([&] { m_workspace->save(); });
}

void frmMain::tbSaveClick() {
    mmSaveClick();
}

void frmMain::mmSaveasClick() {
    runCommand([&] { m_workspace->saveAs(); });
}

void frmMain::mmExitClick() {
    platform::exitProcess();
}

void frmMain::mmImportObjectClick() {
    runCommand([&] { importing::importObjects(m_trees, *m_prompts); });
}

void frmMain::mmImportAttributesClick() {
    runCommand([&] { importing::importAttributes(m_trees, *m_prompts); });
}

void frmMain::Nokia7650database1Click() {
    runCommand([&] { m_workspace->importPhoneDatabase(); });
}

void frmMain::tbExportClick() {
    runCommand([&] { exporting::exportPhoneDatabase(m_trees.records(), *m_prompts); });
}

void frmMain::mmImportTableClick() {
    runCommand([&] { importing::importCsvTable(m_trees, *m_prompts, CodePageCodec()); });
}

void frmMain::mmImportOutlineClick() {
    runCommand([&] { importing::importOutline(m_trees, *m_prompts, CodePageCodec()); });
}

void frmMain::mmExportTableClick() {
    runCommand([&] { exporting::exportTable(m_trees, *m_prompts, CodePageCodec()); });
}

void frmMain::mmExportOutlineClick() {
    runCommand([&] { exporting::exportOutline(m_trees, *m_prompts, CodePageCodec()); });
}

void frmMain::mmExportWebPageClick() {
    runCommand(
        [&] { exporting::exportWebPage(m_trees, *m_prompts, CodePageCodec(), pagePictures()); });
}

void frmMain::mmCutClick() {
    m_clipboard.cut();
}

void frmMain::mmCopyClick() {
    m_clipboard.copy();
}

void frmMain::mmPasteClick() {
    runCommand([&] { editing::paste(m_trees, m_clipboard, *m_prompts); });
}

void frmMain::mmCopyTextClick() {
    runCommand([&] {
        if (const auto lines = editing::copyAsText(m_trees)) {
            QGuiApplication::clipboard()->setMimeData(recordsAsMimeData(*lines).release());
        }
    });
}

void frmMain::mmPasteTextClick() {
    runCommand([&] {
        const ClipboardText text = recordsFromMimeData(QGuiApplication::clipboard()->mimeData());
        editing::pasteText(m_trees, text.bytes, *m_prompts, text.source);
    });
}

void frmMain::mmUndoClick() {
    runCommand([&] { m_trees.undo(); });
}

void frmMain::mmRedoClick() {
    runCommand([&] { m_trees.redo(); });
}

void frmMain::mmFindClick() {
    runCommand([&] { m_finder.find(m_trees, *m_prompts); });
}

void frmMain::mmFindNextClick() {
    runCommand([&] { m_finder.findNext(m_trees, *m_prompts); });
}

void frmMain::mmAddObjectClick() {
    runCommand([&] { editing::addObject(m_trees, *m_prompts); });
}

void frmMain::mmAddAttributeClick() {
    runCommand([&] { editing::addAttribute(m_trees, *m_prompts); });
}

void frmMain::mmEdtClick() {
    runCommand([&] { editing::editSelected(m_trees, *m_prompts); });
}

void frmMain::tbDeleteClick() {
    runCommand([&] { editing::deleteSelected(m_trees, *m_prompts); });
}

void frmMain::mmMoveUpClick() {
    runCommand([&] { editing::moveUp(m_trees); });
}

void frmMain::mmMoveDownClick() {
    runCommand([&] { editing::moveDown(m_trees); });
}

void frmMain::mmSortChildrenClick() {
    runCommand([&] { editing::sortChildren(m_trees, textOrder()); });
}

void frmMain::mmSortAllBelowClick() {
    runCommand([&] { editing::sortAllBelow(m_trees, textOrder()); });
}

void frmMain::mmHelpClick() {
    runCommand([] { ui::mmHelpClick(); });
}

void frmMain::mmAboutClick() {
    frmAbout about(this);
    about.exec();
}

void frmMain::tvMainExpanding(const QModelIndex& index) {
    if (!m_showingLogic) {
        runCommand([&] { m_trees.setExpanded(m_displayModel->nodeOf(index), true); });
    }
}

void frmMain::tvMainCollapsing(const QModelIndex& index) {
    if (!m_showingLogic) {
        runCommand([&] { m_trees.setExpanded(m_displayModel->nodeOf(index), false); });
    }
}

void frmMain::tvMainExpandSubtree(const QModelIndex& index) {
    runCommand([&] { m_trees.expandSubtree(m_displayModel->nodeOf(index)); });
}

void frmMain::tvMainMouseDown(const QPoint& position, Qt::MouseButton button) {
    const QModelIndex index = tvMain->indexAt(position);
    if (button == Qt::LeftButton && index.isValid() && index.parent().isValid()) {
        tvMain->prepareDrag(position);
    }
}

bool frmMain::tvMainDragOver(const QPoint& position) {
    tvMain->autoScroll(position);
    const model::Node* target = m_displayModel->nodeOf(tvMain->indexAt(position));
    return editing::acceptsDrop(m_trees.display().selected(), target, true);
}

void frmMain::tvMainDragDrop(const QPoint& position) {
    model::Node* target = m_displayModel->nodeOf(tvMain->dropTargetAt(position));
    if (target != nullptr) {
        runCommand([&] { editing::dropOnto(m_trees, m_clipboard, target); });
    }
}

void frmMain::tvMainDblClick() {
    const model::Node* selected = m_trees.display().selected();
    if (selected != nullptr && !selected->hasChildren()) {
        mmEdtClick();
    }
}

void frmMain::tvMainKeyPress(char character) {
    const model::Node* selected = m_trees.display().selected();
    if (character == DisplayTreeView::kEnterCharacter && selected != nullptr &&
        !selected->isTopLevel()) {
        mmEdtClick();
    }
}

void frmMain::tvMainKeyDown(int virtualKey) {
    if (virtualKey == DisplayTreeView::kDeleteKey) {
        tbDeleteClick();
    }
}

}  // namespace quorvia::ui
