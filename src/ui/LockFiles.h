// The window's database lock: a lock file that names this process, counted as free once that
// process is gone, so a crash never keeps the next window from the file.
#pragma once

#include <QLockFile>
#include <memory>

#include "platform/DatabaseLock.h"

namespace quorvia::ui {

class LockFiles final : public platform::DatabaseLock {
public:
    bool take(const std::string& lockPath, long long& holder) override;
    void release() override { m_held.reset(); }

private:
    std::unique_ptr<QLockFile> m_held;
};

}  // namespace quorvia::ui
