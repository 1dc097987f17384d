#include "workspace/Workspace.h"

#include "import/PhoneImport.h"
#include "model/DatabaseFile.h"
#include "model/LoadSequence.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/TextFiles.h"

namespace quorvia::workspace {

Workspace::Workspace(model::PairedTrees& trees, platform::UserPrompts& prompts)
    : m_trees(trees), m_prompts(prompts) {
    m_trees.records().addObserver(this);
}

Workspace::~Workspace() {
    m_trees.records().removeObserver(this);
}

std::string Workspace::settingsPath() const {
    return platform::joinPath(m_startDirectory, kSettingsFileName);
}

void Workspace::start() {
    m_startDirectory = platform::currentDirectory();
    m_currentDatabasePath = platform::joinPath(m_startDirectory, kDefaultDatabaseName);
    readSettings();
}

void Workspace::start(const std::string& databasePath) {
    m_startDirectory = platform::currentDirectory();
    const bool absolute = !databasePath.empty() && databasePath.front() == '/';
    m_currentDatabasePath =
        absolute ? databasePath : platform::joinPath(m_startDirectory, databasePath);
    writeSettings();
}

void Workspace::readSettings() {
    if (!platform::fileExists(settingsPath())) {
        writeSettings();
        return;
    }
    platform::TextLineReader settings = platform::openTextFile(settingsPath());
    m_currentDatabasePath = std::string(settings.readLine());
}

void Workspace::writeSettings() {
    platform::TextFileWriter settings(settingsPath());
    settings.writeLine(m_currentDatabasePath);
    settings.commit();
}

void Workspace::loadCurrentDatabase() {
    m_protected = false;
    const auto failure = model::loadDatabase(m_trees, m_currentDatabasePath);
    if (failure) {
        m_protected = true;
        m_prompts.warn(failure->message());
    }
}

void Workspace::save() {
    model::writeDatabaseFile(m_trees.records(), m_currentDatabasePath);
    m_protected = false;
}

void Workspace::saveUnlessProtected() {
    if (!m_protected) {
        save();
    }
}

void Workspace::changeDatabasePath(const std::string& path) {
    const std::string previous = m_currentDatabasePath;
    m_currentDatabasePath = path;
    try {
        writeSettings();
    } catch (...) {
        // Nothing may later be written over the chosen file with the old database.
        m_currentDatabasePath = previous;
        throw;
    }
}

void Workspace::openChosen(const std::optional<std::string>& chosen) {
    if (!chosen) {
        return;
    }
    changeDatabasePath(*chosen);
    loadCurrentDatabase();
}

void Workspace::newDatabase() {
    saveUnlessProtected();
    openChosen(m_prompts.chooseFileToSave());
}

void Workspace::openDatabase() {
    saveUnlessProtected();
    openChosen(m_prompts.chooseFileToOpen());
}

void Workspace::saveAs() {
    saveUnlessProtected();
    const auto chosen = m_prompts.chooseFileToSave();
    if (!chosen) {
        return;
    }
    changeDatabasePath(*chosen);
    // Another file from here on: its history starts now, as for New and Open.
    m_trees.clearHistory();
    save();
}

void Workspace::close() {
    saveUnlessProtected();
    writeSettings();
}

void Workspace::adoptDatabase(const std::string& path) {
    changeDatabasePath(path);
    loadCurrentDatabase();
}

void Workspace::importPhoneDatabase() {
    const auto source = m_prompts.chooseFileToOpen();
    if (!source) {
        return;
    }
    const auto target = m_prompts.chooseFileToSave();
    if (!target) {
        return;
    }
    if (importing::convertPhoneDatabase(*source, *target) ==
        importing::PhoneConversion::Converted) {
        adoptDatabase(*target);
    }
}

}  // namespace quorvia::workspace
