// The locks that keep a database file to one window: lock files in the state folder, held while
// the window has that database open. The window implements them with the toolkit's lock files,
// which count as free once the process that took them is gone; tests with a fake, which also
// decides which processes still run.
#pragma once

#include <string>
#include <vector>

#include "platform/Process.h"

namespace quorvia::platform {

class DatabaseLock {
public:
    virtual ~DatabaseLock() = default;

    // Holds exactly the lock files `lockPaths`: those held already stay held, the others are
    // taken, any other held so far is given up. True when all are held, or when no lock file
    // can be made at all (a window that cannot lock still saves its work). False when a live
    // process holds one, `holder` then being its process id; the locks held before stay held.
    virtual bool take(const std::vector<std::string>& lockPaths, long long& holder) = 0;
    // Whether a live process other than this one holds one of the lock files (`holder`: its
    // id). Nothing is taken or given up.
    virtual bool isHeldElsewhere(const std::vector<std::string>& lockPaths, long long& holder) = 0;
    virtual void release() = 0;

    // The process this window's recovery data is named for, and whether the process another
    // window's data names still runs (`start` as processStart() gave it).
    virtual long long process() const { return currentProcessId(); }
    virtual bool runs(long long process, const std::string& start) const {
        return processRuns(process, start);
    }
};

// No lock at all: every file is the window's own.
class NoLock final : public DatabaseLock {
public:
    bool take(const std::vector<std::string>&, long long&) override { return true; }
    bool isHeldElsewhere(const std::vector<std::string>&, long long&) override { return false; }
    void release() override {}
};

}  // namespace quorvia::platform
