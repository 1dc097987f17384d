#include "ui/frmMain.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QMenuBar>
#include <QScreen>

#include "editing/Containment.h"
#include "editing/Deletion.h"
#include "editing/DragAndDrop.h"
#include "editing/ItemDialogs.h"
#include "export/PhoneExport.h"
#include "import/TextImport.h"
#include "platform/Error.h"
#include "platform/Process.h"
#include "ui/DialogStyle.h"
#include "ui/Help.h"
#include "ui/Pictures.h"
#include "ui/QtPrompts.h"
#include "ui/frmAbout.h"

namespace quorvia::ui {

namespace {

constexpr QSize kStartSize(313, 427);

QAction* addItem(QMenu* menu, const char* objectName, const char* caption) {
    QAction* action = menu->addAction(QString::fromUtf8(caption));
    action->setObjectName(QString::fromLatin1(objectName));
    return action;
}

QMenu* nameMenu(QMenu* menu, const char* objectName, const char* caption) {
    menu->setObjectName(QString::fromLatin1(objectName));
    menu->setTitle(QString::fromUtf8(caption));
    return menu;
}

}  // namespace

frmMain::frmMain(platform::UserPrompts* prompts, QWidget* parent,
                 const std::optional<std::string>& databasePath)
    : QMainWindow(parent), m_prompts(prompts) {
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
    m_workspace = std::make_unique<workspace::Workspace>(m_trees, *m_prompts);

    tvMain = new DisplayTreeView(this);
    tvMain->setObjectName(QStringLiteral("tvMain"));
    QFont bold = font();
    bold.setBold(true);
    tvMain->setFont(bold);
    m_displayModel = std::make_unique<DisplayTreeModel>(m_trees.tvMain);
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
        m_prompts->showError("Mémoire insuffisante");
    } catch (const std::exception& error) {
        m_prompts->showError(error.what());
    }
    return false;
}

void frmMain::buildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    QMenu* file = nameMenu(bar->addMenu(QString()), "File1", "File");
    connect(addItem(file, "mmOpen", "Open..."), &QAction::triggered, this, &frmMain::mmOpenClick);
    connect(addItem(file, "mmSave", "Save"), &QAction::triggered, this, &frmMain::mmSaveClick);
    connect(addItem(file, "mmSaveas", "Save as..."), &QAction::triggered, this,
            &frmMain::mmSaveasClick);
    file->addSeparator()->setObjectName(QStringLiteral("N2"));
    QMenu* import = nameMenu(file->addMenu(QString()), "mmImport", "Import");
    connect(addItem(import, "mmObjects", "Objects..."), &QAction::triggered, this,
            &frmMain::mmImportObjectClick);
    connect(addItem(import, "mmAttributes", "Attributes..."), &QAction::triggered, this,
            &frmMain::mmImportAttributesClick);
    connect(addItem(import, "Nokia7650database1", "Nokia 7650 database..."), &QAction::triggered,
            this, &frmMain::Nokia7650database1Click);
    connect(addItem(file, "mmExport", "Export to Nokia 7650 database..."), &QAction::triggered,
            this, &frmMain::tbExportClick);
    file->addSeparator()->setObjectName(QStringLiteral("N1"));
    connect(addItem(file, "mmExit", "Exit"), &QAction::triggered, this, &frmMain::mmExitClick);

    QMenu* edit = nameMenu(bar->addMenu(QString()), "mmEdit", "Edit");
    QAction* cut = addItem(edit, "mmCut", "Cut");
    cut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    connect(cut, &QAction::triggered, this, &frmMain::mmCutClick);
    QAction* copy = addItem(edit, "mmCopy", "Copy");
    copy->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    connect(copy, &QAction::triggered, this, &frmMain::mmCopyClick);
    QAction* paste = addItem(edit, "mmPaste", "Paste");
    paste->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    connect(paste, &QAction::triggered, this, &frmMain::mmPasteClick);

    QMenu* items = nameMenu(bar->addMenu(QString()), "Items1", "Items");
    QMenu* add = nameMenu(items->addMenu(QString()), "mmAdd", "Add");
    connect(addItem(add, "mmAddobj", "Object..."), &QAction::triggered, this,
            &frmMain::mmAddObjectClick);
    connect(addItem(add, "mmAddAttr", "Attribute..."), &QAction::triggered, this,
            &frmMain::mmAddAttributeClick);
    connect(addItem(items, "mmEdt", "Edit..."), &QAction::triggered, this, &frmMain::mmEdtClick);
    connect(addItem(items, "mmDel", "Delete..."), &QAction::triggered, this,
            &frmMain::tbDeleteClick);

    QMenu* help = nameMenu(bar->addMenu(QString()), "Help1", "Help");
    connect(addItem(help, "mmHelp", "Help"), &QAction::triggered, this, &frmMain::mmHelpClick);
    help->addSeparator()->setObjectName(QStringLiteral("N3"));
    connect(addItem(help, "mmAbout", "About"), &QAction::triggered, this, &frmMain::mmAboutClick);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    connect(addItem(PopupMenu1, "mmAddObject", "Add Object..."), &QAction::triggered, this,
            &frmMain::mmAddObjectClick);
    connect(addItem(PopupMenu1, "mmAddAttribute", "Add Attribute..."), &QAction::triggered, this,
            &frmMain::mmAddAttributeClick);

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    connect(addItem(PopupMenu2, "mmImportObject", "Objects..."), &QAction::triggered, this,
            &frmMain::mmImportObjectClick);
    connect(addItem(PopupMenu2, "mmImportAttributes", "Attributes..."), &QAction::triggered, this,
            &frmMain::mmImportAttributesClick);
    connect(addItem(PopupMenu2, "mmNokia7650database", "Nokia 7650 database..."),
            &QAction::triggered, this, &frmMain::Nokia7650database1Click);
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

    struct Button {
        const char* name;
        ToolbarPicture picture;
        const char* hint;
        void (frmMain::*handler)();
        QMenu* menu;
    };
    const Button buttons[] = {
        {"tbNew", ToolbarPicture::New, "New database", &frmMain::tbNewClick, nullptr},
        {"tbOpen", ToolbarPicture::Open, "Open database", &frmMain::tbOpenClick, nullptr},
        {"tbSave", ToolbarPicture::Save, "Save database", &frmMain::tbSaveClick, nullptr},
        {"tbAdd", ToolbarPicture::Add, "Add object or attribute", nullptr, PopupMenu1},
        {"tbDelete", ToolbarPicture::Delete, "Delete object or attribute", &frmMain::tbDeleteClick,
         nullptr},
        {"tbImport", ToolbarPicture::Import, "Import objects or attributes from a text file",
         nullptr, PopupMenu2},
        {"tbExport", ToolbarPicture::Export, "Export to N7650 database", &frmMain::tbExportClick,
         nullptr},
    };
    for (const Button& button : buttons) {
        auto* tool = new QToolButton(ToolBar1);
        tool->setObjectName(QString::fromLatin1(button.name));
        tool->setIcon(Pictures::instance().toolbarIcon(button.picture));
        tool->setToolTip(QString::fromUtf8(button.hint));
        tool->setAutoRaise(true);
        tool->setFixedSize(23, 22);
        tool->setFocusPolicy(Qt::NoFocus);
        if (button.menu != nullptr) {
            // No action of its own: pressing it drops its menu down below it.
            tool->setMenu(button.menu);
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
                m_trees.tvMain.select(m_displayModel->nodeOf(current));
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
    connect(
        m_displayModel.get(), &DisplayTreeModel::expandRequested, tvMain,
        [this](const QModelIndex& index, bool expanded) { tvMain->setExpanded(index, expanded); });
    connect(m_displayModel.get(), &DisplayTreeModel::selectRequested, tvMain,
            [this](const QModelIndex& index) {
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
            m_workspace->InitWorkspace(*databasePath);
        } else {
            m_workspace->InitWorkspace();
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
    runCommand(
        [&] { importing::mmImportObjectClick(m_trees, m_workspace->fieldList(), *m_prompts); });
}

void frmMain::mmImportAttributesClick() {
    runCommand([&] {
        importing::mmImportAttributesClick(m_trees, m_workspace->fieldList(), *m_prompts);
    });
}

void frmMain::Nokia7650database1Click() {
    runCommand([&] { m_workspace->importPhoneDatabase(); });
}

void frmMain::tbExportClick() {
    runCommand([&] { exporting::tbExportClick(m_trees.tvMirror, *m_prompts); });
}

void frmMain::mmCutClick() {
    m_clipboard.mmCutClick();
}

void frmMain::mmCopyClick() {
    m_clipboard.mmCopyClick();
}

void frmMain::mmPasteClick() {
    runCommand([&] { editing::mmPasteClick(m_trees, m_clipboard, *m_prompts); });
}

void frmMain::mmAddObjectClick() {
    runCommand([&] { editing::addObject(m_trees, m_workspace->fieldList(), *m_prompts); });
}

void frmMain::mmAddAttributeClick() {
    runCommand([&] { editing::addAttribute(m_trees, m_workspace->fieldList(), *m_prompts); });
}

void frmMain::mmEdtClick() {
    runCommand([&] { editing::EditSelected(m_trees, m_workspace->fieldList(), *m_prompts); });
}

void frmMain::tbDeleteClick() {
    runCommand([&] { editing::DeleteSelected(m_trees, *m_prompts); });
}

void frmMain::mmHelpClick() {
    runCommand([] { ui::mmHelpClick(); });
}

void frmMain::mmAboutClick() {
    frmAbout about(this);
    about.exec();
}

void frmMain::tvMainExpanding(const QModelIndex& index) {
    runCommand([&] {
        model::Node* node = m_displayModel->nodeOf(index);
        model::followExpand(m_trees, node);
        m_trees.tvMain.setExpanded(node, true);
    });
}

void frmMain::tvMainCollapsing(const QModelIndex& index) {
    runCommand([&] {
        model::Node* node = m_displayModel->nodeOf(index);
        model::followCollapse(m_trees, node);
        m_trees.tvMain.setExpanded(node, false);
    });
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
    return editing::acceptsDrop(m_trees.tvMain.selected(), target, true);
}

void frmMain::tvMainDragDrop(const QPoint& position) {
    model::Node* target = m_displayModel->nodeOf(tvMain->dropTargetAt(position));
    if (target != nullptr) {
        runCommand([&] { editing::dropOnto(m_trees, m_clipboard, target); });
    }
}

void frmMain::tvMainDblClick() {
    const model::Node* selected = m_trees.tvMain.selected();
    if (selected != nullptr && !selected->hasChildren()) {
        runCommand([&] { editing::EditSelected(m_trees, m_workspace->fieldList(), *m_prompts); });
    }
}

void frmMain::tvMainKeyPress(char character) {
    const model::Node* selected = m_trees.tvMain.selected();
    if (character == DisplayTreeView::kEnterCharacter && selected != nullptr &&
        !selected->isTopLevel()) {
        runCommand([&] { editing::EditSelected(m_trees, m_workspace->fieldList(), *m_prompts); });
    }
}

void frmMain::tvMainKeyDown(int virtualKey) {
    if (virtualKey == DisplayTreeView::kDeleteKey) {
        tbDeleteClick();
    }
}

}  // namespace quorvia::ui
