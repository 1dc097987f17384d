// What one window keeps of its unsaved changes to its database: told of every change, of each
// save and of each tick of the window's timer, it decides alone when to write them, in a child
// process that works on its own copy of the memory, so the window goes on at once.
#pragma once

#include <ctime>
#include <optional>
#include <string>

#include "model/Tree.h"
#include "platform/Process.h"
#include "workspace/RecoveryFile.h"
#include "workspace/StateFiles.h"

namespace quorvia::workspace {

class RecoveryData final {
public:
    explicit RecoveryData(WindowName window) : m_window(std::move(window)) {}
    RecoveryData(const RecoveryData&) = delete;
    RecoveryData& operator=(const RecoveryData&) = delete;

    // The window works on the database `key` (named `path`) from now on. Until it is loaded or
    // written, the tree counts as holding changes the file does not.
    void attach(const FileKey& key);
    void noteChange();
    // The file holds the tree, as `source` shows it: after a load, and after a write, which
    // also removes this window's data.
    void noteLoaded(const std::optional<platform::FileIdentity>& source);
    void noteSaved(const std::optional<platform::FileIdentity>& source);
    // The tree now holds the changes `left` kept, which become this window's own data.
    void noteRecovered(const LeftChanges& left);

    // Each tick of the window: starts writing the changes when neither the file nor the data
    // holds them, unless a writer is still at work. Returns 0 when a write ended well, the
    // errno when one failed, nothing otherwise.
    std::optional<int> tick(const model::Tree& records);
    // Writes them at once. Returns 0, or the errno of the failure.
    int keepNow(const model::Tree& records);
    // The window leaves the database, or sets its changes aside: its data goes to whichever
    // window opens the file next. Returns the file that holds it, empty when there was none.
    std::string leave();

    bool hasUnsavedChanges() const { return m_savedAt != m_changes; }
    // Whether the data on disk holds every unsaved change.
    bool holdsEveryChange() const { return !hasUnsavedChanges() || m_keptAt == m_changes; }
    bool isWriting() const { return m_writer.isRunning(); }
    // This window's data for the database, whether or not it exists now.
    const std::string& file() const { return m_file; }
    const WindowName& window() const { return m_window; }

private:
    bool needsWriting() const;
    int write(const model::Tree& records) const;
    // Tells of the writer's end, if it ended: 0, or its errno.
    std::optional<int> collectWriter(bool wait);
    void failed(unsigned long long at);

    WindowName m_window;
    FileKey m_key;
    std::string m_file;
    SourceFile m_source;
    platform::ChildProcess m_writer;
    // Every change counts one; what the file and the data hold is told by the count they were
    // written at (none: nothing).
    unsigned long long m_changes = 0;
    std::optional<unsigned long long> m_savedAt;
    std::optional<unsigned long long> m_keptAt;
    unsigned long long m_writingAt = 0;
    std::optional<unsigned long long> m_failedAt;
    std::time_t m_lastChangeAt = 0;
    std::time_t m_markedStaleAt = 0;
};

// The date and time the data was kept, as the question shows it.
std::string describeTime(std::time_t time);

}  // namespace quorvia::workspace
