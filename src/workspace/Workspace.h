// The program's run-time state and the database commands: the start directory, the current
// database path and the settings file that carries it from one run to the next; New, Open,
// Save, Save as and the close of the window.
#pragma once

#include <optional>
#include <string>

#include "model/PairedTrees.h"
#include "model/TreeObserver.h"
#include "platform/UserPrompts.h"

namespace quorvia::workspace {

// The settings file's name, in the start directory.
inline constexpr const char* kSettingsFileName = "Quorvia.ini";
// The name of the default database, in the start directory.
inline constexpr const char* kDefaultDatabaseName = "Quorvia";

class Workspace final : private model::TreeObserver {
public:
    Workspace(model::PairedTrees& trees, platform::UserPrompts& prompts);
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

    // Loads the database at the current path into both trees. A file that exists but cannot be
    // loaded is named in a warning and protected from being written over by the program's own
    // saves until the user changes the database or saves explicitly.
    void loadCurrentDatabase();

    // The commands.
    void save();
    void newDatabase();
    void openDatabase();
    void saveAs();
    // Closing the window: save, then the settings file. Raises the failure, so the window
    // stays open.
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

private:
    void saveUnlessProtected();
    // Sets the current path and writes the settings file; on failure the old path comes back.
    void changeDatabasePath(const std::string& path);
    void openChosen(const std::optional<std::string>& chosen);

    void inserted(const model::Node*, int, int) override { m_protected = false; }
    void removed(const model::Node*, int, int) override { m_protected = false; }
    void changed(const model::Node*) override { m_protected = false; }
    void moved(const model::Node*, const model::Node*, int, const model::Node*, int) override {
        m_protected = false;
    }
    void reordered(const std::vector<model::Node*>&) override { m_protected = false; }

    model::PairedTrees& m_trees;
    platform::UserPrompts& m_prompts;
    std::string m_startDirectory;
    std::string m_currentDatabasePath;
    bool m_protected = false;
};

}  // namespace quorvia::workspace
