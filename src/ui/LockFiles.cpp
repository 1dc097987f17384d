#include "ui/LockFiles.h"

#include <QFile>
#include <QString>

namespace quorvia::ui {

bool LockFiles::take(const std::string& lockPath, long long& holder) {
    release();
    auto lock = std::make_unique<QLockFile>(QFile::decodeName(lockPath.c_str()));
    // A window holds its file for hours: only a process that is gone frees the lock.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        m_held = std::move(lock);
        return true;
    }
    if (lock->error() != QLockFile::LockFailedError) {
        // No lock can be made here (no folder, no room): the window keeps saving its work.
        return true;
    }
    qint64 pid = 0;
    QString host;
    QString application;
    holder = lock->getLockInfo(&pid, &host, &application) ? pid : 0;
    return false;
}

}  // namespace quorvia::ui
