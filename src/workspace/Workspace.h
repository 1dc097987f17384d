// The program's run-time state and the database commands: the start directory, the current
// database path and the settings file that carries it from one run to the next; New, Open,
// Save, Save as and the close of the window. It also guards the database file: one window per
// file, no write over a change made by another program, and recovery data for unsaved changes.
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

namespace quorvia::workspace {

// The settings file's name, in the start directory.
inline constexpr const char* kSettingsFileName = "Quorvia.ini";
// The name of the default database, in the start directory.
inline constexpr const char* kDefaultDatabaseName = "Quorvia";

class Workspace final : private model::TreeObserver {
public:
    // Without a lock every file is the window's own.
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

    // The commands. Save is the user's explicit save.
    void save();
    void newDatabase();
    void openDatabase();
    // What Open does once its dialog named `path` (a database of the recent list).
    void openDatabase(const std::string& path);
    void saveAs();
    // Closing the window: save, then the settings file, then the file's lock is given up.
    // Raises the failure, so the window stays open.
    void close();
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
    bool hasUnsavedChanges() const { return m_revision != m_savedRevision; }

    // Called by the window's timer: starts writing the recovery data when the trees hold changes
    // that neither the file nor the data holds, unless a writer is still at work.
    void keepRecoveryData();
    // The same, written at once (the window is about to drop the changes).
    void keepRecoveryDataNow();
    // Does what keepRecoveryData does; then true while a writer is still at work (so a caller
    // can wait for the data to be on disk).
    bool isKeepingRecoveryData();

private:
    void saveUnlessProtected();
    // Writes the database file when the window's rules and the user allow; true when written.
    bool writeDatabase(bool asked);
    bool mayWrite(bool asked);
    bool changedBehind() const;
    // Makes the current path the window's own: its lock, its recovery data, the file as it is.
    void takeCurrentFile();
    bool tryToHoldCurrentFile(long long& holder);
    void offerRecovery();
    bool needsRecoveryData() const;
    bool shouldStartRecoveryWriter() const;
    void markSaved() { m_savedRevision = m_revision; }
    void noteChange();
    // Sets the current path and writes the settings file; on failure the old path comes back.
    void changeDatabasePath(const std::string& path);
    void openChosen(const std::optional<std::string>& chosen);

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
    platform::DatabaseLock* m_lock;
    std::string m_startDirectory;
    std::string m_currentDatabasePath;
    bool m_protected = false;

    // The current file's full path, as the lock and the recovery data know it.
    std::string m_fullPath;
    bool m_heldElsewhere = false;
    long long m_holder = 0;  // the process of the window that holds it
    // The file as this window last read or wrote it; none when there was no file.
    std::optional<platform::FileIdentity> m_identity;
    // None while the window keeps no recovery data for the file.
    std::unique_ptr<RecoveryData> m_recovery;
    // Every change of the record tree counts one; what the file and the recovery data hold is
    // told by the count they were written at.
    unsigned long long m_revision = 0;
    unsigned long long m_savedRevision = 0;
    unsigned long long m_keptRevision = 0;
    unsigned long long m_writingRevision = 0;
    unsigned long long m_failedRevision = 0;
};

}  // namespace quorvia::workspace
