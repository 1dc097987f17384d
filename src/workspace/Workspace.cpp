#include "workspace/Workspace.h"

#include <utility>

#include "import/PhoneImport.h"
#include "model/DatabaseFile.h"
#include "model/LoadSequence.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/TextFiles.h"
#include "workspace/RecentDatabases.h"

namespace quorvia::workspace {

namespace {

// Runs `work` when the scope ends, however it ends: a load that raises a short record has
// still filled the trees.
template <typename Work>
class AtScopeEnd final {
public:
    explicit AtScopeEnd(Work work) : m_work(std::move(work)) {}
    ~AtScopeEnd() { m_work(); }
    AtScopeEnd(const AtScopeEnd&) = delete;
    AtScopeEnd& operator=(const AtScopeEnd&) = delete;

private:
    Work m_work;
};

// What the recovered tree's revision is saved at: no count ever reaches it.
constexpr unsigned long long kNeverSaved = ~0ULL;

std::string quoted(const std::string& path) {
    return "\"" + path + "\"";
}

std::string heldWarning(const std::string& path, long long holder) {
    return quoted(path) + " is open in another Quorvia window (process " + std::to_string(holder) +
           "). This window will not save it.";
}

std::string heldQuestion(const std::string& path) {
    return quoted(path) + " is open in another Quorvia window. Save over it?";
}

std::string changedQuestion(const std::string& path) {
    return quoted(path) + " was changed by another program after Quorvia read it. Save over it?";
}

std::string recoverQuestion(const std::string& path, std::time_t keptAt) {
    return "Quorvia ended on " + describeTime(keptAt) + " without saving the changes to " +
           quoted(path) + ". Recover them?";
}

}  // namespace

Workspace::Workspace(model::PairedTrees& trees, platform::UserPrompts& prompts,
                     platform::DatabaseLock* lock)
    : m_trees(trees), m_prompts(prompts), m_lock(lock) {
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
    m_currentDatabasePath = platform::absolutePath(databasePath, m_startDirectory);
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

void Workspace::noteChange() {
    m_protected = false;
    ++m_revision;
}

void Workspace::takeCurrentFile() {
    // Unsaved changes of the file left behind stay in its recovery data as last written.
    m_recovery.reset();
    m_heldElsewhere = false;
    m_fullPath = platform::fullPath(m_currentDatabasePath);
    m_identity = platform::fileIdentity(m_currentDatabasePath);
    if (m_lock != nullptr) {
        m_lock->release();
    }
    if (m_fullPath.empty()) {
        return;
    }
    long long holder = 0;
    if (!tryToHoldCurrentFile(holder)) {
        m_heldElsewhere = true;
        m_holder = holder;
    }
}

bool Workspace::tryToHoldCurrentFile(long long& holder) {
    const std::string folder = platform::stateFolder();
    if (folder.empty()) {
        // Nowhere to keep anything: the window works as it would without these guards.
        return true;
    }
    auto recovery = std::make_unique<RecoveryData>(m_fullPath, folder);
    // The lock file lives beside the recovery data, so the folder comes first.
    (void)recovery->prepareFolder();
    if (m_lock != nullptr && !m_lock->take(recovery->lockPath(), holder)) {
        return false;
    }
    m_heldElsewhere = false;
    m_recovery = std::move(recovery);
    m_keptRevision = kNeverSaved;
    return true;
}

void Workspace::loadCurrentDatabase() {
    takeCurrentFile();
    noteRecentDatabase(m_fullPath);
    if (m_heldElsewhere) {
        m_prompts.warn(heldWarning(m_currentDatabasePath, m_holder));
    }
    m_protected = false;
    std::optional<Error> failure;
    {
        const AtScopeEnd loaded([this] { markSaved(); });
        failure = model::loadDatabase(m_trees, m_currentDatabasePath);
    }
    if (failure) {
        m_protected = true;
        m_prompts.warn(failure->message());
    }
    offerRecovery();
}

void Workspace::offerRecovery() {
    const auto recovered = m_recovery ? m_recovery->read() : std::nullopt;
    if (!recovered) {
        return;
    }
    if (!m_prompts.confirm(recoverQuestion(m_currentDatabasePath, recovered->keptAt))) {
        m_recovery->remove();
        return;
    }
    // The recovered tree is an unsaved change, which its recovery data already holds.
    const AtScopeEnd kept([this] {
        m_protected = false;
        m_savedRevision = kNeverSaved;
        m_keptRevision = m_revision;
    });
    (void)model::loadDatabaseContent(m_trees, recovered->content,
                                     platform::fileNamePart(m_currentDatabasePath));
}

bool Workspace::changedBehind() const {
    // A file that is gone holds nothing to lose.
    const auto now = platform::fileIdentity(m_currentDatabasePath);
    return now && now != m_identity;
}

bool Workspace::mayWrite(bool asked) {
    if (m_heldElsewhere) {
        if (!asked) {
            return false;
        }
        // The other window may have closed since.
        long long holder = 0;
        if (!tryToHoldCurrentFile(holder)) {
            return m_prompts.confirm(heldQuestion(m_currentDatabasePath));
        }
    }
    if (!changedBehind() || m_prompts.confirm(changedQuestion(m_currentDatabasePath))) {
        return true;
    }
    keepRecoveryDataNow();
    return false;
}

bool Workspace::writeDatabase(bool asked) {
    if (!mayWrite(asked)) {
        return false;
    }
    model::writeDatabaseFile(m_trees.records(), m_currentDatabasePath);
    m_identity = platform::fileIdentity(m_currentDatabasePath);
    m_protected = false;
    markSaved();
    if (m_recovery) {
        m_recovery->remove();
    }
    return true;
}

void Workspace::save() {
    (void)writeDatabase(true);
}

void Workspace::saveUnlessProtected() {
    if (!m_protected) {
        (void)writeDatabase(false);
    }
}

bool Workspace::needsRecoveryData() const {
    return m_recovery && hasUnsavedChanges() && m_revision != m_keptRevision;
}

bool Workspace::shouldStartRecoveryWriter() const {
    return needsRecoveryData() && m_revision != m_failedRevision;
}

void Workspace::keepRecoveryData() {
    if (!m_recovery) {
        return;
    }
    const RecoveryData::Writer writer = m_recovery->pollWriter();
    if (writer == RecoveryData::Writer::Running) {
        return;
    }
    if (writer == RecoveryData::Writer::Succeeded) {
        m_keptRevision = m_writingRevision;
    } else if (writer == RecoveryData::Writer::Failed) {
        // A full disk fails again at once: the next change tries again.
        m_failedRevision = m_writingRevision;
    }
    if (shouldStartRecoveryWriter()) {
        m_writingRevision = m_revision;
        if (!m_recovery->startWriting(m_trees.records())) {
            m_failedRevision = m_revision;
        }
    }
}

void Workspace::keepRecoveryDataNow() {
    keepRecoveryData();
    if (needsRecoveryData() && m_recovery->writeNow(m_trees.records())) {
        m_keptRevision = m_revision;
    }
}

bool Workspace::isKeepingRecoveryData() {
    keepRecoveryData();
    return m_recovery && m_recovery->hasWriter();
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

void Workspace::openDatabase(const std::string& path) {
    saveUnlessProtected();
    openChosen(path);
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
    takeCurrentFile();
    save();
    noteRecentDatabase(m_fullPath);
}

void Workspace::close() {
    saveUnlessProtected();
    writeSettings();
    // The window is done with the file: another may take it now.
    if (m_lock != nullptr) {
        m_lock->release();
    }
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
