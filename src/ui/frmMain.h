// The main window: toolbar, display tree and status bar under a menu bar. It owns both trees,
// the workspace, the open and save dialogs and the clipboard, and binds every command.
#pragma once

#include <QFileDialog>
#include <QMainWindow>
#include <QMenu>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <memory>
#include <optional>
#include <string>

#include "editing/Clipboard.h"
#include "editing/Find.h"
#include "editing/Replace.h"
#include "model/PairedTrees.h"
#include "platform/UserPrompts.h"
#include "ui/DisplayTreeModel.h"
#include "ui/DisplayTreeView.h"
#include "ui/LockFiles.h"
#include "ui/TreeBinding.h"
#include "workspace/Workspace.h"

namespace quorvia::ui {

class frmMain final : public QMainWindow, private DisplayTreeEvents {
    Q_OBJECT

public:
    static constexpr const char* kCaption = "Teslund Quorvia for Nokia 7650";

    // The window asks its questions through `prompts` when given (tests), else through real
    // dialogs and message boxes. Creating the window runs FormCreate, which opens
    // `databasePath` when given instead of the database the settings file names, taking the
    // trees of `loadAhead` (not owned) when they are of that file.
    explicit frmMain(platform::UserPrompts* prompts = nullptr, QWidget* parent = nullptr,
                     const std::optional<std::string>& databasePath = std::nullopt,
                     workspace::LoadAhead* loadAhead = nullptr);
    ~frmMain() override;

    model::PairedTrees& trees() { return m_trees; }
    workspace::Workspace& workspace() { return *m_workspace; }
    editing::Clipboard& clipboard() { return m_clipboard; }
    DisplayTreeModel* displayModel() const { return m_displayModel.get(); }

    // Components, named as the commands refer to them.
    DisplayTreeView* tvMain;
    QToolBar* ToolBar1;
    QStatusBar* StatusBar1;
    QFileDialog* OpenDlg;
    QFileDialog* SaveDlg;
    QMenu* PopupMenu1;
    QMenu* PopupMenu2;

public slots:
    void tbNewClick();
    void tbOpenClick();
    void mmOpenClick();
    // An entry of "Open recent".
    void mmOpenRecentClick(const std::string& path);
    void mmClearRecentClick();
    void mmSaveClick();
    void tbSaveClick();
    void mmSaveasClick();
    void mmImportObjectClick();
    void mmImportAttributesClick();
    void Nokia7650database1Click();
    void tbExportClick();
    void mmImportTableClick();
    void mmImportOutlineClick();
    void mmExportTableClick();
    void mmExportOutlineClick();
    void mmExportWebPageClick();
    void mmExitClick();
    void mmCutClick();
    void mmCopyClick();
    void mmPasteClick();
    void mmCopyTextClick();
    void mmPasteTextClick();
    void mmUndoClick();
    void mmRedoClick();
    void mmFindClick();
    void mmFindNextClick();
    void mmFindPreviousClick();
    void mmReplaceClick();
    void mmAddObjectClick();
    void mmAddAttributeClick();
    void mmEdtClick();
    void tbDeleteClick();
    void mmDuplicateClick();
    void mmMoveUpClick();
    void mmMoveDownClick();
    void mmSortChildrenClick();
    void mmSortAllBelowClick();
    void mmHelpClick();
    void mmAboutClick();
    void tvMainExpanding(const QModelIndex& index) override;
    void tvMainCollapsing(const QModelIndex& index) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // DisplayTreeEvents
    void tvMainMouseDown(const QPoint& position, Qt::MouseButton button) override;
    bool tvMainDragOver(const QPoint& position) override;
    void tvMainDragDrop(const QPoint& position) override;
    void tvMainDblClick() override;
    void tvMainKeyPress(char character) override;
    void tvMainKeyDown(int virtualKey) override;
    void tvMainExpandSubtree(const QModelIndex& index) override;

    void FormCreate(const std::optional<std::string>& databasePath);
    // Runs a command; an error it raises is shown in the error box. False after an error.
    template <typename Body>
    bool runCommand(Body&& body);

    model::PairedTrees m_trees;
    editing::Clipboard m_clipboard{m_trees.display()};
    std::unique_ptr<platform::UserPrompts> m_ownPrompts;
    platform::UserPrompts* m_prompts;
    LockFiles m_lockFiles;
    std::unique_ptr<workspace::Workspace> m_workspace;
    // Goes before the trees it watches; the view only borrows it.
    std::unique_ptr<DisplayTreeModel> m_displayModel;
    // Owned; after the model, which it binds to the view.
    std::unique_ptr<TreeBinding> m_treeBinding;
    bool m_centred = false;
    editing::Finder m_finder;
    editing::Replacer m_replacer;
};

}  // namespace quorvia::ui
