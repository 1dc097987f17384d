#include "ui/MainMenus.h"

#include <QAction>
#include <QFile>
#include <QKeySequence>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

#include "platform/Paths.h"
#include "ui/Pictures.h"
#include "ui/Text.h"
#include "ui/frmMain.h"

namespace quorvia::ui {

namespace {

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
// Items of this "menu" are keys of the window that no menu shows.
constexpr const char* kWindowKeys = "frmMain";

// The keys are the desktop's standard ones (QKeySequence::Save, SaveAs, Open, New, FindPrevious,
// Replace), written out so that every platform plugin shows the same.
const MenuItem kMenuItems[] = {
    {kMenuBar, "File1", "File"},
    {"File1", "mmOpen", "Open...", &frmMain::mmOpenClick, Qt::CTRL | Qt::Key_O},
    {"File1", "mmOpenRecent", "Open recent"},
    {"mmOpenRecent", "N10", "-"},
    {"mmOpenRecent", "mmClearRecent", "Clear the list", &frmMain::mmClearRecentClick},
    {"File1", "mmSave", "Save", &frmMain::mmSaveClick, Qt::CTRL | Qt::Key_S},
    {"File1", "mmSaveas", "Save as...", &frmMain::mmSaveasClick, Qt::CTRL | Qt::SHIFT | Qt::Key_S},
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
    {"mmEdit", "mmFindPrevious", "Find previous", &frmMain::mmFindPreviousClick,
     Qt::SHIFT | Qt::Key_F3},
    {"mmEdit", "mmReplace", "Replace...", &frmMain::mmReplaceClick, Qt::CTRL | Qt::Key_H},
    {"mmEdit", "N5", "-"},
    {"mmEdit", "mmCopyText", "Copy as text", &frmMain::mmCopyTextClick,
     Qt::CTRL | Qt::SHIFT | Qt::Key_C},
    {"mmEdit", "mmPasteText", "Paste text", &frmMain::mmPasteTextClick,
     Qt::CTRL | Qt::SHIFT | Qt::Key_V},
    {kMenuBar, "Items1", "Items"},
    {"Items1", "mmAdd", "Add"},
    {"mmAdd", "mmAddobj", "Object...", &frmMain::mmAddObjectClick, Qt::Key_Insert},
    {"mmAdd", "mmAddAttr", "Attribute...", &frmMain::mmAddAttributeClick, Qt::CTRL | Qt::Key_T},
    {"Items1", "mmEdt", "Edit...", &frmMain::mmEdtClick, Qt::Key_F2},
    {"Items1", "mmDel", "Delete...", &frmMain::tbDeleteClick},
    {"Items1", "mmDuplicate", "Duplicate", &frmMain::mmDuplicateClick, Qt::CTRL | Qt::Key_D},
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
    {kWindowKeys, "acNew", "New", &frmMain::tbNewClick, Qt::CTRL | Qt::Key_N},
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

QAction* addItem(frmMain& window, QMenu* menu, const MenuItem& item) {
    const QString caption = QString::fromUtf8(item.caption);
    QAction* action = nullptr;
    if (menu != nullptr) {
        action = menu->addAction(caption);
    } else {
        action = new QAction(caption, &window);
        window.addAction(action);
    }
    action->setObjectName(QString::fromLatin1(item.name));
    QList<QKeySequence> keys;
    for (const QKeyCombination key : {item.key, item.alternateKey}) {
        if (key.key() != Qt::Key(0)) {
            keys.append(QKeySequence(key));
        }
    }
    action->setShortcuts(keys);
    QObject::connect(action, &QAction::triggered, &window, item.handler);
    return action;
}

// A recent database as its entry shows it: the file name, then its folder. The path is in the
// file system's encoding; "&" would otherwise mark an access key.
QString recentCaption(const std::string& path) {
    constexpr qsizetype kLongestFolder = 80;
    const std::string_view name = platform::fileNamePart(path);
    const std::string folder = path.substr(0, path.size() - name.size());
    QString caption = QStringLiteral("%1 [%2]").arg(
        QFile::decodeName(QByteArray(name.data(), static_cast<qsizetype>(name.size()))),
        elidedInTheMiddle(QFile::decodeName(QByteArray::fromStdString(folder)), kLongestFolder));
    return caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

constexpr const char* kRecentPath = "recentPath";

}  // namespace

void buildMenus(frmMain& window) {
    QMenuBar* bar = window.menuBar();
    bar->setObjectName(QString::fromLatin1(kMenuBar));
    window.PopupMenu1 = new QMenu(&window);
    window.PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    window.PopupMenu2 = new QMenu(&window);
    window.PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    QHash<QString, QMenu*> menus{{window.PopupMenu1->objectName(), window.PopupMenu1},
                                 {window.PopupMenu2->objectName(), window.PopupMenu2}};

    for (const MenuItem& item : kMenuItems) {
        const QString name = QString::fromLatin1(item.name);
        const QString caption = QString::fromUtf8(item.caption);
        const bool ofWindow = QLatin1String(item.menu) == QLatin1String(kWindowKeys);
        QMenu* menu = menus.value(QString::fromLatin1(item.menu));
        if (item.handler == nullptr && caption != QLatin1String("-")) {
            QMenu* submenu = menu != nullptr ? menu->addMenu(caption) : bar->addMenu(caption);
            submenu->setObjectName(name);
            menus.insert(name, submenu);
        } else if (item.handler == nullptr) {
            menu->addSeparator()->setObjectName(name);
        } else {
            addItem(window, ofWindow ? nullptr : menu, item);
        }
    }
}

void buildToolBar(frmMain& window) {
    QToolBar* toolBar = new QToolBar(&window);
    window.ToolBar1 = toolBar;
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    toolBar->setAccessibleName(QStringLiteral("Toolbar"));
    toolBar->setMovable(false);
    toolBar->setFloatable(false);
    toolBar->setIconSize(QSize(16, 16));
    toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    toolBar->setFixedHeight(29);
    toolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    window.addToolBar(Qt::TopToolBarArea, toolBar);

    for (const ToolButton& button : kToolButtons) {
        auto* tool = new QToolButton(toolBar);
        tool->setObjectName(QString::fromLatin1(button.name));
        tool->setIcon(Pictures::instance().toolbarIcon(button.picture));
        tool->setToolTip(QString::fromUtf8(button.hint));
        tool->setAccessibleName(tool->toolTip());
        tool->setAutoRaise(true);
        tool->setFixedSize(23, 22);
        tool->setFocusPolicy(Qt::NoFocus);
        if (button.menu != nullptr) {
            // No action of its own: pressing it drops its menu down below it.
            tool->setMenu(window.findChild<QMenu*>(QString::fromLatin1(button.menu)));
            tool->setPopupMode(QToolButton::InstantPopup);
            tool->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; }"));
        } else {
            QObject::connect(tool, &QToolButton::clicked, &window, button.handler);
        }
        toolBar->addWidget(tool);
    }
}

void fillRecentMenu(QMenu* menu, const std::vector<std::string>& paths,
                    const std::function<void(const std::string&)>& open) {
    for (QAction* action : menu->actions()) {
        if (action->property(kRecentPath).isValid()) {
            menu->removeAction(action);
            action->deleteLater();
        }
    }
    QAction* ownItems = menu->actions().value(0);
    int number = 0;
    for (const std::string& path : paths) {
        auto* entry = new QAction(recentCaption(path), menu);
        entry->setObjectName(QStringLiteral("mmRecent%1").arg(++number));
        entry->setProperty(kRecentPath, QByteArray::fromStdString(path));
        QObject::connect(entry, &QAction::triggered, menu, [open, path] { open(path); });
        menu->insertAction(ownItems, entry);
    }
}

}  // namespace quorvia::ui
