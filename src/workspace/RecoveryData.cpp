#include "workspace/RecoveryData.h"

#include <cerrno>
#include <new>

#include "platform/FileSystem.h"

namespace quorvia::workspace {

void RecoveryData::attach(const FileKey& key) {
    (void)collectWriter(true);
    m_key = key;
    m_file = key.path.empty() ? std::string() : recoveryFile(key, m_window);
    m_source = SourceFile{};
    m_savedAt.reset();
    m_keptAt.reset();
    m_failedAt.reset();
    m_markedStaleAt = 0;
}

void RecoveryData::noteChange() {
    ++m_changes;
    m_lastChangeAt = std::time(nullptr);
}

void RecoveryData::noteLoaded(const std::optional<platform::FileIdentity>& source) {
    m_savedAt = m_changes;
    m_source = SourceFile{source, std::nullopt};
}

void RecoveryData::noteSaved(const std::optional<platform::FileIdentity>& source) {
    // A writer still at work would bring back what the file now holds.
    m_writer.end();
    platform::deleteFile(m_file);
    m_keptAt.reset();
    m_failedAt.reset();
    noteLoaded(source);
}

void RecoveryData::noteRecovered(const LeftChanges& left) {
    m_writer.end();
    m_savedAt.reset();
    m_keptAt.reset();
    if (platform::fileSystem().rename(left.file, m_file) == 0) {
        m_keptAt = m_changes;
    }
    if (left.header.source) {
        m_source = *left.header.source;
    }
}

bool RecoveryData::needsWriting() const {
    return !m_file.empty() && !holdsEveryChange();
}

int RecoveryData::write(const model::Tree& records) const {
    SourceFile source = m_source;
    if (!source.digest && source.identity &&
        platform::fileIdentity(m_key.path) == source.identity) {
        platform::FileDigest digest;
        if (platform::digestFile(m_key.path, digest) == 0) {
            source.digest = digest;
        }
    }
    try {
        const RecoveryHeader header{std::time(nullptr), m_lastChangeAt, false, m_key.path, source};
        return platform::replaceFile(m_file, formatRecoveryFile(header, records), nullptr, 0600);
    } catch (const std::bad_alloc&) {
        return ENOMEM;
    }
}

std::optional<int> RecoveryData::collectWriter(bool wait) {
    std::optional<platform::ProgramRun> end = m_writer.poll();
    if (!end && wait && m_writer.isRunning()) {
        end = m_writer.wait();
    }
    if (!end) {
        return std::nullopt;
    }
    if (end->exited && end->exitCode == 0) {
        m_keptAt = m_writingAt;
        m_failedAt.reset();
        return 0;
    }
    failed(m_writingAt);
    return end->exited ? end->exitCode : EIO;
}

void RecoveryData::failed(unsigned long long at) {
    // A full disk fails again at once: the next change tries again.
    m_failedAt = at;
    // The data kept before stays, and says that it misses what came later.
    if (m_keptAt && m_markedStaleAt != m_lastChangeAt && platform::fileExists(m_file) &&
        markStale(m_file, m_lastChangeAt) == 0) {
        m_markedStaleAt = m_lastChangeAt;
    }
}

std::optional<int> RecoveryData::tick(const model::Tree& records) {
    const std::optional<int> ended = collectWriter(false);
    if (m_writer.isRunning() || !needsWriting() || m_failedAt == m_changes) {
        return ended;
    }
    if (const int error = prepareStateFolder(); error != 0) {
        failed(m_changes);
        return error;
    }
    m_writingAt = m_changes;
    m_writer = platform::ChildProcess::startCopy([this, &records] { return write(records); });
    if (!m_writer.isRunning()) {
        failed(m_changes);
        return EAGAIN;
    }
    return ended;
}

int RecoveryData::keepNow(const model::Tree& records) {
    (void)collectWriter(true);
    if (!needsWriting()) {
        return 0;
    }
    int error = prepareStateFolder();
    if (error == 0) {
        error = write(records);
    }
    if (error == 0) {
        m_keptAt = m_changes;
        m_failedAt.reset();
    } else {
        failed(m_changes);
    }
    return error;
}

std::string RecoveryData::leave() {
    (void)collectWriter(true);
    std::string left;
    if (m_keptAt && hasUnsavedChanges() && platform::fileExists(m_file)) {
        left = recoveryFile(m_key, leftBehind());
        // Where the name cannot change, the data waits for this process to end.
        if (platform::fileSystem().rename(m_file, left) != 0) {
            left = m_file;
        }
    }
    // What the data held is handed over; only a later change is this window's to keep again.
    m_failedAt.reset();
    return left;
}

std::string describeTime(std::time_t time) {
    std::tm local{};
    char text[32] = "";
    if (::localtime_r(&time, &local) != nullptr) {
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    }
    return text;
}

}  // namespace quorvia::workspace
