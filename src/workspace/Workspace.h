// The program's run-time state and the database commands: the start directory, the current
// database path and the settings file that carries it from one run to the next; New, Open,
// Save, Save as and the close of the window. It also guards the database file: one window per
// file, no write over a change made by another program or over changes another window left,
// and recovery data for this window's unsaved changes.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "model/PairedTrees.h"
#include "model/TreeObserver.h"
#include "platform/DatabaseLock.h"
#include "platform/Files.h"
#include "platform/UserPrompts.h"
#include "workspace/RecoveryData.h"
#include "workspace/RecoveryFile.h"
#include "workspace/StateFiles.h"

namespace quorvia::workspace {

// The settings file's name, in the start directory.
inline constexpr const char* kSettingsFileName = "Quorvia.ini";
// The name of the default database, in the start directory.
inline constexpr const char* kDefaultDatabaseName = "Quorvia";

// The database the settings file of `directory` names; none when there is no settings file.
std::optional<std::string> settingsDatabasePath(const std::string& directory);
// The database a start in the current directory opens: `given` (taken from that directory when
// relative), else the one its settings file names, else the default database there.
std::string databasePathAtStart(const std::optional<std::string>& given);

class LoadAhead;

class Workspace final : private model::TreeObserver {
public:
    // Without a lock every file is the window's own, and this process names its recovery data.
    Workspace(model::PairedTrees& trees, platform::UserPrompts& prompts,
              platform::DatabaseLock* lock = nullptr);
    ~Workspace() override;
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    // Start: the start directory and default path, then the settings file (read, or written
    // when missing).
    void start();
    // Start with the database named on the command line: `databasePath` (taken from the start
    // directory when relative) replaces the settings file's path and is written into it, as
    // Open does.
    void start(const std::string& databasePath);
    void readSettings();
    void writeSettings();

    // Loads the database at the current path into both trees, and notes it in the recent list. A
    // file that exists but cannot be loaded is named in a warning and protected from being written
    // over by the program's own saves until the user changes the database or saves explicitly. A
    // file another window has open is named in a warning; recovery data kept for the file is
    // offered.
    void loadCurrentDatabase();
    // The first load takes the trees `ahead` read, when they are of the file it opens as the
    // file is then; not owned, and it must outlive that load.
    void useLoadAhead(LoadAhead* ahead) { m_loadAhead = ahead; }

    // The commands. Save is the user's explicit save.
    void save();
    void newDatabase();
    void openDatabase();
    // What Open does once its dialog named `path` (a database of the recent list).
    void openDatabase(const std::string& path);
    void saveAs();
    // Closing the window: save, then the settings file, then the file's lock is given up.
    // Raises the failure, so the window stays open. False when the user took changes another
    // window left instead of the save: the window stays open to show them.
    bool close();
    // Makes a converted database file the current database (without saving the old one).
    void adoptDatabase(const std::string& path);
    // The phone database import: a source, a target, the conversion, then the target becomes
    // the current database. On any failure nothing of the current database changes.
    void importPhoneDatabase();

    const std::string& startDirectory() const { return m_startDirectory; }
    const std::string& currentDatabasePath() const { return m_currentDatabasePath; }
    std::string settingsPath() const;
    // True while the current file failed to load and has not been changed or saved since.
    bool isProtected() const { return m_protected; }
    // True while another window holds the current file: this one writes it only when asked.
    bool isHeldElsewhere() const { return m_heldElsewhere; }
    bool hasUnsavedChanges() const { return m_recovery.hasUnsavedChanges(); }

    // Called by the window's timer: the recovery data catches up with the changes, written by a
    // child process, unless one is still at work.
    void keepRecoveryData();
    // The same, written at once (the window is about to drop the changes).
    void keepRecoveryDataNow();
    // Does what keepRecoveryData does; then true while a writer is still at work (so a caller
    // can wait for the data to be on disk).
    bool isKeepingRecoveryData();

private:
    // How a write of the database comes about: a step of New, Open or Save as, the close, the
    // user's own Save, or a Save as the user has already allowed over another window's file.
    enum class Write { Own, Closing, Asked, Allowed };
    enum class Written { Yes, No, Recovered };

    Written saveUnlessProtected(Write how = Write::Own);
    // Writes the database file when the window's rules and the user allow.
    Written writeDatabase(Write how);
    bool mayWrite(Write how);
    bool changedBehind() const;
    // Makes the current path the window's own: its lock, its recovery data, the file as it is.
    // The file left behind keeps its unsaved changes in recovery data, and the user is told.
    void takeCurrentFile();
    // The recovery data of windows that are gone or left the file, offered newest first; true
    // when the user took some, which the trees then show.
    bool offerLeftChanges(bool beforeWrite);
    // Fills the trees from the current database as model::loadDatabase does, taking the trees
    // `ahead` (none: no load ahead) read when they are of it.
    std::optional<Error> readCurrentDatabase(LoadAhead* ahead);
    void takeLeftChanges(const LeftChanges& left, bool changed);
    // Unsaved changes that no write took are kept before the window leaves the file; raises
    // when they cannot be.
    void keepBeforeLeaving();
    void tellWhereKept(const std::string& kept);
    void tellStateFolderFailure(int error);
    // Sets the current path and writes the settings file; on failure the old path comes back.
    void changeDatabasePath(const std::string& path);
    void openChosen(const std::optional<std::string>& chosen);

    void noteChange() {
        m_protected = false;
        m_recovery.noteChange();
    }
    // Every change of the record tree's content or shape must reach noteChange().
    void inserted(const model::Node*, int, int) override { noteChange(); }
    void removed(const model::Node*, int, int) override { noteChange(); }
    void changed(const model::Node*) override { noteChange(); }
    void moved(const model::Node*, const model::Node*, int, const model::Node*, int) override {
        noteChange();
    }
    void reordered(const std::vector<model::Node*>&) override { noteChange(); }
    void resetDone() override { noteChange(); }

    model::PairedTrees& m_trees;
    platform::UserPrompts& m_prompts;
    platform::NoLock m_noLock;
    platform::DatabaseLock* m_lock;  // not owned
    std::string m_startDirectory;
    std::string m_currentDatabasePath;
    bool m_protected = false;

    // The current file as the lock and the recovery data know it, and the path it was taken by.
    FileKey m_file;
    std::string m_filePath;
    bool m_heldElsewhere = false;
    long long m_holder = 0;  // the process of the window that holds it
    // The file as this window last read or wrote it; none when there was no file.
    std::optional<platform::FileIdentity> m_identity;
    LoadAhead* m_loadAhead = nullptr;  // not owned; used once
    RecoveryData m_recovery;
    // Data this window set aside for changes it took over: offered at the next open only.
    std::vector<std::string> m_setAside;
    bool m_stateFolderTold = false;
    bool m_ticking = false;
};

}  // namespace quorvia::workspace
