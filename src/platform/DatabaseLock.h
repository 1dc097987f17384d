// The lock that keeps a database file to one window: a lock file per database, held while the
// window has that database open. The window implements it with the toolkit's lock files, which
// count as free once the process that took them is gone; tests with a fake.
#pragma once

#include <string>

namespace quorvia::platform {

class DatabaseLock {
public:
    virtual ~DatabaseLock() = default;

    // Gives up the lock held so far and takes the lock file `lockPath`. True when taken, or
    // when no lock file can be made at all (a window that cannot lock still saves its work);
    // false when a live process holds it, `holder` then being its process id.
    virtual bool take(const std::string& lockPath, long long& holder) = 0;
    virtual void release() = 0;
};

}  // namespace quorvia::platform
