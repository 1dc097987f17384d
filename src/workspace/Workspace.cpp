#include "workspace/Workspace.h"

#include <utility>

#include "import/PhoneImport.h"
#include "model/DatabaseFile.h"
#include "model/LoadSequence.h"
#include "platform/FileErrors.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/TextFiles.h"
#include "workspace/LoadAhead.h"
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

std::string recoverQuestion(const std::string& path, const RecoveryHeader& kept, bool changed,
                            bool setAside) {
    std::string question = "Quorvia ended on " + describeTime(kept.keptAt) +
                           " without saving the changes to " + quoted(path) + ".";
    if (kept.stale) {
        question += " They are older than the last change, made on " +
                    describeTime(kept.lastChangeAt) + ", which could not be kept.";
    }
    if (changed) {
        question += " " + quoted(path) + " was changed after these changes were made.";
    }
    if (setAside) {
        question += " The changes this window has not saved are kept in " +
                    quoted(platform::stateFolder()) + " and offered when the file is next opened.";
    }
    return question + " Recover them?";
}

std::string keptNotice(const std::string& path, const std::string& kept) {
    return "The changes to " + quoted(path) + " are not saved. They are kept in " + quoted(kept) +
           " and offered when " + quoted(path) + " is next opened.";
}

std::string notKeptMessage(const std::string& path, int error) {
    return "The changes to " + quoted(path) + " are not saved and cannot be kept in " +
           quoted(platform::stateFolder()) + " (" + platform::systemErrorText(error) +
           "). Save them with Save as, or leave with Exit to drop them";
}

std::string stateFolderWarning(int error) {
    const std::string folder = platform::stateFolder();
    return "Quorvia cannot keep recovery data and locks in " +
           quoted(folder.empty() ? "$XDG_STATE_HOME/quorvia" : folder) + " (" +
           platform::systemErrorText(error) +
           "). Until that folder works, your changes are not protected against a crash or "
           "another Quorvia window.";
}

}  // namespace

Workspace::Workspace(model::PairedTrees& trees, platform::UserPrompts& prompts,
                     platform::DatabaseLock* lock)
    : m_trees(trees),
      m_prompts(prompts),
      m_lock(lock != nullptr ? lock : &m_noLock),
      m_recovery(windowOf(m_lock->process(), platform::processStart(m_lock->process()))) {
    m_trees.records().addObserver(this);
}

Workspace::~Workspace() {
    m_trees.records().removeObserver(this);
}

std::string Workspace::settingsPath() const {
    return platform::joinPath(m_startDirectory, kSettingsFileName);
}

namespace {

std::string defaultDatabasePath(const std::string& directory) {
    return platform::joinPath(directory, kDefaultDatabaseName);
}

// The settings file holds the database's path as its one line.
void refuseUnkeepablePath(const std::string& path) {
    if (platform::holdsLineBreak(path)) {
        throw Error(platform::textFileMessage(platform::kBadFileName));
    }
}

}  // namespace

std::optional<std::string> settingsDatabasePath(const std::string& directory) {
    const std::string settings = platform::joinPath(directory, kSettingsFileName);
    if (!platform::fileExists(settings)) {
        return std::nullopt;
    }
    return std::string(platform::openTextFile(settings).readLine());
}

std::string databasePathAtStart(const std::optional<std::string>& given) {
    const std::string directory = platform::currentDirectory();
    if (given) {
        return platform::absolutePath(*given, directory);
    }
    return settingsDatabasePath(directory).value_or(defaultDatabasePath(directory));
}

void Workspace::start() {
    m_startDirectory = platform::currentDirectory();
    m_currentDatabasePath = defaultDatabasePath(m_startDirectory);
    readSettings();
}

void Workspace::start(const std::string& databasePath) {
    m_startDirectory = platform::currentDirectory();
    m_currentDatabasePath = databasePathAtStart(databasePath);
    writeSettings();
}

void Workspace::readSettings() {
    if (std::optional<std::string> named = settingsDatabasePath(m_startDirectory)) {
        m_currentDatabasePath = std::move(*named);
    } else {
        writeSettings();
    }
}

void Workspace::writeSettings() {
    // The settings file holds the path as its one line. A chosen path with a line break is
    // refused, so only the default database of a start directory whose name holds one gets
    // here: written, it would name another file to the next start, and unwritten, the next start
    // opens that database anyway.
    if (platform::holdsLineBreak(m_currentDatabasePath)) {
        return;
    }
    platform::TextFileWriter settings(settingsPath());
    settings.writeLine(m_currentDatabasePath);
    settings.commit();
}

void Workspace::tellStateFolderFailure(int error) {
    // Told once until the folder works again, however often it fails meanwhile.
    if (error == 0) {
        m_stateFolderTold = false;
    } else if (!m_stateFolderTold) {
        m_stateFolderTold = true;
        m_prompts.warn(stateFolderWarning(error));
    }
}

void Workspace::tellWhereKept(const std::string& kept) {
    if (!kept.empty()) {
        m_prompts.warn(keptNotice(m_filePath, kept));
    }
}

void Workspace::takeCurrentFile() {
    // Unsaved changes of the file left behind stay in its recovery data, for the next window.
    tellWhereKept(m_recovery.leave());
    m_setAside.clear();
    m_heldElsewhere = false;
    m_filePath = m_currentDatabasePath;
    m_file = fileKey(m_currentDatabasePath);
    m_identity = platform::fileIdentity(m_currentDatabasePath);
    m_recovery.attach(m_file);
    if (m_file.path.empty()) {
        m_lock->release();
        return;
    }
    if (const int error = prepareStateFolder(); error != 0) {
        tellStateFolderFailure(error);
    }
    if (!m_lock->take(lockFiles(m_file), m_holder)) {
        m_lock->release();
        m_heldElsewhere = true;
    }
}

void Workspace::loadCurrentDatabase() {
    // Nothing runs beside the window once its first load begins: a fork of the recovery writer
    // must not copy a thread in the middle of an allocation.
    LoadAhead* ahead = std::exchange(m_loadAhead, nullptr);
    if (ahead != nullptr) {
        ahead->wait();
    }
    takeCurrentFile();
    noteRecentDatabase(m_file.path);
    if (m_heldElsewhere) {
        m_prompts.warn(heldWarning(m_currentDatabasePath, m_holder));
    }
    m_protected = false;
    std::optional<Error> failure;
    try {
        const AtScopeEnd loaded([this] { m_recovery.noteLoaded(m_identity); });
        failure = readCurrentDatabase(ahead);
    } catch (...) {
        // A load that stops at a short record has filled the trees all the same.
        (void)offerLeftChanges(false);
        throw;
    }
    if (failure) {
        m_protected = true;
        m_prompts.warn(failure->message());
    }
    (void)offerLeftChanges(false);
}

std::optional<Error> Workspace::readCurrentDatabase(LoadAhead* ahead) {
    std::optional<Error> failure;
    if (ahead != nullptr && ahead->takeInto(m_trees, m_currentDatabasePath, m_identity, failure)) {
        return failure;
    }
    return model::loadDatabase(m_trees, m_currentDatabasePath);
}

bool Workspace::offerLeftChanges(bool beforeWrite) {
    const auto isGone = [this](const WindowName& window) {
        return window.process == 0 || !m_lock->runs(window.process, window.start);
    };
    std::vector<std::string> skipped{m_recovery.file()};
    if (beforeWrite) {
        skipped.insert(skipped.end(), m_setAside.begin(), m_setAside.end());
    }
    for (LeftChanges& left : findLeftChanges(m_file, isGone, skipped)) {
        if (!claimLeftChanges(left, m_file, m_recovery.window())) {
            continue;
        }
        const bool changed =
            left.header.source && changedSince(*left.header.source, m_currentDatabasePath);
        const bool setAside = m_recovery.hasUnsavedChanges();
        if (!m_prompts.confirm(
                recoverQuestion(m_currentDatabasePath, left.header, changed, setAside))) {
            platform::deleteFile(left.file);
            continue;
        }
        takeLeftChanges(left, changed);
        return true;
    }
    return false;
}

void Workspace::takeLeftChanges(const LeftChanges& left, bool changed) {
    const auto content = readRecoveredDatabase(left.file);
    if (!content) {
        throw model::openError(left.file);
    }
    if (m_recovery.hasUnsavedChanges()) {
        // This window's own changes wait for the next open of the file, as the question said.
        (void)m_recovery.keepNow(m_trees.records());
        const std::string aside = m_recovery.leave();
        if (!aside.empty()) {
            m_setAside.push_back(aside);
        }
    }
    {
        // The recovered tree is an unsaved change, which the data taken over already holds.
        const AtScopeEnd recovered([&] {
            m_protected = false;
            m_recovery.noteRecovered(left);
        });
        (void)model::loadDatabaseContent(m_trees, content,
                                         platform::fileNamePart(m_currentDatabasePath));
    }
    if (changed) {
        // As after a change by another program: the next write asks first.
        m_identity = left.header.source->identity;
    }
}

bool Workspace::changedBehind() const {
    // A file that is gone holds nothing to lose.
    const auto now = platform::fileIdentity(m_currentDatabasePath);
    return now && now != m_identity;
}

bool Workspace::mayWrite(Write how) {
    if (m_heldElsewhere && how != Write::Allowed) {
        // The other window may have closed since.
        if (m_lock->take(lockFiles(m_file), m_holder)) {
            m_heldElsewhere = false;
        } else if (!m_prompts.confirmOverwrite(heldQuestion(m_currentDatabasePath))) {
            keepRecoveryDataNow();
            return false;
        }
    }
    if (!changedBehind() || m_prompts.confirmOverwrite(changedQuestion(m_currentDatabasePath))) {
        return true;
    }
    keepRecoveryDataNow();
    return false;
}

Workspace::Written Workspace::writeDatabase(Write how) {
    // A second window writes the file only when asked, and at its close when it would else drop
    // changes.
    const bool closingWithChanges = how == Write::Closing && hasUnsavedChanges();
    if (m_heldElsewhere && how == Write::Own) {
        return Written::No;
    }
    if (m_heldElsewhere && how == Write::Closing && !closingWithChanges) {
        return Written::No;
    }
    if (offerLeftChanges(true)) {
        return Written::Recovered;
    }
    if (!mayWrite(how)) {
        return Written::No;
    }
    model::writeDatabaseFile(m_trees.records(), m_currentDatabasePath);
    m_identity = platform::fileIdentity(m_currentDatabasePath);
    m_protected = false;
    m_recovery.noteSaved(m_identity);
    // A write makes a new file: the window now holds that one too.
    m_file = fileKey(m_currentDatabasePath);
    if (!m_heldElsewhere) {
        long long holder = 0;
        (void)m_lock->take(lockFiles(m_file), holder);
    }
    return Written::Yes;
}

void Workspace::save() {
    (void)writeDatabase(Write::Asked);
}

Workspace::Written Workspace::saveUnlessProtected(Write how) {
    return m_protected ? Written::No : writeDatabase(how);
}

void Workspace::keepBeforeLeaving() {
    if (const int error = m_recovery.keepNow(m_trees.records()); error != 0) {
        tellStateFolderFailure(error);
        throw Error(notKeptMessage(m_currentDatabasePath, error));
    }
}

void Workspace::keepRecoveryData() {
    if (m_ticking) {
        return;  // the warning of an earlier tick is still open
    }
    m_ticking = true;
    const AtScopeEnd ticked([this] { m_ticking = false; });
    if (const auto result = m_recovery.tick(m_trees.records())) {
        tellStateFolderFailure(*result);
    }
}

void Workspace::keepRecoveryDataNow() {
    if (const int error = m_recovery.keepNow(m_trees.records()); error != 0) {
        tellStateFolderFailure(error);
    }
}

bool Workspace::isKeepingRecoveryData() {
    keepRecoveryData();
    return m_recovery.isWriting();
}

void Workspace::changeDatabasePath(const std::string& path) {
    refuseUnkeepablePath(path);
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
    keepBeforeLeaving();
    changeDatabasePath(*chosen);
    loadCurrentDatabase();
}

void Workspace::newDatabase() {
    if (saveUnlessProtected() != Written::Recovered) {
        openChosen(m_prompts.chooseFileToSave());
    }
}

void Workspace::openDatabase() {
    if (saveUnlessProtected() != Written::Recovered) {
        openChosen(m_prompts.chooseFileToOpen());
    }
}

void Workspace::openDatabase(const std::string& path) {
    if (saveUnlessProtected() != Written::Recovered) {
        openChosen(path);
    }
}

void Workspace::saveAs() {
    if (saveUnlessProtected() == Written::Recovered) {
        return;
    }
    const auto chosen = m_prompts.chooseFileToSave();
    if (!chosen) {
        return;
    }
    // Over a file another window holds only when the user says so; No changes nothing.
    long long holder = 0;
    const bool held = m_lock->isHeldElsewhere(lockFiles(fileKey(*chosen)), holder);
    if (held && !m_prompts.confirmOverwrite(heldQuestion(*chosen))) {
        return;
    }
    // The tree goes to the new file, so a failure to keep it for the old one loses nothing.
    keepRecoveryDataNow();
    changeDatabasePath(*chosen);
    // Another file from here on: its history starts now, as for New and Open.
    m_trees.clearHistory();
    takeCurrentFile();
    noteRecentDatabase(m_file.path);
    if (writeDatabase(Write::Allowed) == Written::Yes && m_heldElsewhere) {
        // From here on a second window on it, with every guard of one.
        m_prompts.warn(heldWarning(m_currentDatabasePath, m_holder));
    }
}

bool Workspace::close() {
    if (saveUnlessProtected(Write::Closing) == Written::Recovered) {
        return false;
    }
    // Changes no write took never end with the window unnoticed.
    keepBeforeLeaving();
    writeSettings();
    const std::string kept = m_recovery.leave();
    tellWhereKept(kept);
    m_setAside.push_back(kept);
    // The window is done with the file: another may take it now.
    m_lock->release();
    return true;
}

void Workspace::adoptDatabase(const std::string& path) {
    // The converted file replaces the current one unsaved, as it always did; what the changes
    // were stays in the recovery data when it can.
    keepRecoveryDataNow();
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
    // Refused before the conversion writes it, as its adoption would refuse it after.
    refuseUnkeepablePath(*target);
    if (importing::convertPhoneDatabase(*source, *target) ==
        importing::PhoneConversion::Converted) {
        adoptDatabase(*target);
    }
}

}  // namespace quorvia::workspace
