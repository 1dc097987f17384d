// The window's database locks: lock files that name this process, counted as free once that
// process is gone, so a crash never keeps the next window from the file.
#pragma once

#include <QLockFile>
#include <map>
#include <memory>

#include "platform/DatabaseLock.h"

namespace quorvia::ui {

class LockFiles final : public platform::DatabaseLock {
public:
    bool take(const std::vector<std::string>& lockPaths, long long& holder) override;
    bool isHeldElsewhere(const std::vector<std::string>& lockPaths, long long& holder) override;
    void release() override { m_held.clear(); }

private:
    // Owned: each lock file held, by its path.
    std::map<std::string, std::unique_ptr<QLockFile>> m_held;
};

}  // namespace quorvia::ui
