#include "ui/LockFiles.h"

#include <QFile>
#include <QString>
#include <QSysInfo>

namespace quorvia::ui {

namespace {

enum class Attempt { Taken, Impossible, Held };

// Tries the lock file once; `holder` names the live process that holds it.
Attempt tryToTake(QLockFile& lock, long long& holder) {
    // A window holds its file for hours: only a process that is gone frees the lock.
    lock.setStaleLockTime(0);
    if (lock.tryLock(0)) {
        return Attempt::Taken;
    }
    if (lock.error() != QLockFile::LockFailedError) {
        // No lock can be made here (no folder, no room): the window keeps saving its work.
        return Attempt::Impossible;
    }
    qint64 pid = 0;
    QString host;
    QString application;
    const bool known = lock.getLockInfo(&pid, &host, &application);
    holder = known ? pid : 0;
    // The lock of a process of this machine that is gone, which the toolkit could not replace
    // (a full disk): no lock can be made.
    const bool gone =
        known && host == QSysInfo::machineHostName() && !platform::processRuns(holder, "");
    return gone ? Attempt::Impossible : Attempt::Held;
}

std::unique_ptr<QLockFile> lockFile(const std::string& path) {
    return std::make_unique<QLockFile>(QFile::decodeName(path.c_str()));
}

}  // namespace

bool LockFiles::take(const std::vector<std::string>& lockPaths, long long& holder) {
    std::map<std::string, std::unique_ptr<QLockFile>> taken;
    for (const std::string& path : lockPaths) {
        if (m_held.count(path) != 0 || taken.count(path) != 0) {
            continue;
        }
        auto lock = lockFile(path);
        const Attempt attempt = tryToTake(*lock, holder);
        if (attempt == Attempt::Held) {
            return false;  // what was taken here goes again with `taken`
        }
        if (attempt == Attempt::Taken) {
            taken.emplace(path, std::move(lock));
        }
    }
    for (const std::string& path : lockPaths) {
        if (auto kept = m_held.find(path); kept != m_held.end()) {
            taken.emplace(path, std::move(kept->second));
        }
    }
    m_held = std::move(taken);
    return true;
}

bool LockFiles::isHeldElsewhere(const std::vector<std::string>& lockPaths, long long& holder) {
    for (const std::string& path : lockPaths) {
        if (m_held.count(path) == 0 && tryToTake(*lockFile(path), holder) == Attempt::Held) {
            return true;
        }
    }
    return false;
}

}  // namespace quorvia::ui
