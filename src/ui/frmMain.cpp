#include "ui/frmMain.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
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
#include "ui/MainMenus.h"
#include "ui/Pictures.h"
#include "ui/QtPrompts.h"
#include "ui/SortOrder.h"
#include "ui/SystemClipboard.h"
#include "ui/Text.h"
#include "ui/frmAbout.h"
#include "workspace/RecentDatabases.h"

namespace quorvia::ui {

namespace {

constexpr QSize kStartSize(313, 427);
// How often the recovery data catches up with the changes: a write starts at most this long
// after a change and, in the background, takes well under a second at a million nodes.
constexpr int kRecoveryIntervalMs = 500;

// A search as the user sees the texts: decoded through the code page.
editing::TextMatch matchAsShown(const platform::SearchFields& search) {
    return [matcher = TextSearch(QString::fromStdString(search.text), search.matchCase)](
               std::string_view text) { return matcher.matches(text); };
}

// The same search for Replace, with the replacement in the code page's bytes.
editing::Replacement replacementAsShown(const platform::ReplaceFields& fields) {
    const QString replacement = QString::fromStdString(fields.replacement);
    return {[search = TextSearch(QString::fromStdString(fields.text), fields.matchCase),
             replacement, bytes = toBytes(replacement)](std::string_view field) {
                return search.replaceIn(field, replacement, bytes);
            },
            unwritableTextMessage(replacement)};
}

}  // namespace

frmMain::frmMain(platform::UserPrompts* prompts, QWidget* parent,
                 const std::optional<std::string>& databasePath, workspace::LoadAhead* loadAhead)
    : QMainWindow(parent),
      m_prompts(prompts),
      m_finder(matchAsShown),
      m_replacer(replacementAsShown) {
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
    m_workspace->useLoadAhead(loadAhead);

    tvMain = new DisplayTreeView(this);
    tvMain->setObjectName(QStringLiteral("tvMain"));
    tvMain->setAccessibleName(QStringLiteral("Database"));
    QFont bold = font();
    bold.setBold(true);
    tvMain->setFont(bold);
    m_displayModel = std::make_unique<DisplayTreeModel>(m_trees.display());
    m_treeBinding = std::make_unique<TreeBinding>(*tvMain, *m_displayModel, m_trees);
    tvMain->setEvents(this);
    setCentralWidget(tvMain);

    buildMenus(*this);
    buildToolBar(*this);
    // The list is shared by every window: read as it is each time it is shown.
    QMenu* recent = findChild<QMenu*>(QStringLiteral("mmOpenRecent"));
    connect(recent, &QMenu::aboutToShow, this, [this, recent] {
        fillRecentMenu(recent, workspace::readRecentDatabases(),
                       [this](const std::string& path) { mmOpenRecentClick(path); });
    });
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(true);
    setStatusBar(StatusBar1);

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
    // FormClose: when the save or the settings file fails, or the user took changes another
    // window left, the window stays open.
    bool closed = false;
    if (runCommand([&] { closed = m_workspace->close(); }) && closed) {
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

void frmMain::mmOpenRecentClick(const std::string& path) {
    runCommand([&] { m_workspace->openDatabase(path); });
}

void frmMain::mmClearRecentClick() {
    workspace::clearRecentDatabases();
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
    // Exit drops the unsaved changes, but not from the recovery data.
    runCommand([&] { m_workspace->keepRecoveryDataNow(); });
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

void frmMain::mmFindPreviousClick() {
    runCommand([&] { m_finder.findPrevious(m_trees, *m_prompts); });
}

void frmMain::mmReplaceClick() {
    runCommand([&] { m_replacer.replaceAll(m_trees, *m_prompts); });
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

void frmMain::mmDuplicateClick() {
    runCommand([&] { editing::duplicateSelected(m_trees, *m_prompts); });
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
    runCommand([&] { m_treeBinding->follow(index, true); });
}

void frmMain::tvMainCollapsing(const QModelIndex& index) {
    runCommand([&] { m_treeBinding->follow(index, false); });
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
