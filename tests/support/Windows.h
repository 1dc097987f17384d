// Several windows of the program inside one test: each a workspace with its own trees and
// prompts, its locks taken among fake processes that the test can end as a kill would.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "model/PairedTrees.h"
#include "platform/DatabaseLock.h"
#include "support/FakePrompts.h"
#include "workspace/Workspace.h"

namespace quorvia::testing {

// The processes of the fake windows: which lock file each holds and which have ended.
struct Processes {
    std::map<std::string, long long> held;
    std::set<long long> ended;
};

class FakeLock final : public platform::DatabaseLock {
public:
    FakeLock(Processes& processes, long long process) : m_all(processes), m_process(process) {}
    // A window dropped without a kill closed: its locks go with it.
    ~FakeLock() override { release(); }
    bool take(const std::vector<std::string>& lockPaths, long long& holder) override;
    bool isHeldElsewhere(const std::vector<std::string>& lockPaths, long long& holder) override;
    void release() override;
    void ended() { m_all.ended.insert(m_process); }
    long long process() const override { return m_process; }
    bool runs(long long process, const std::string&) const override {
        return m_all.ended.count(process) == 0;
    }

private:
    Processes& m_all;
    long long m_process;
};

// A window started in the current directory on the settings' database or on `path`, with
// `answers` scripted for its questions. An error of the load is shown as the window shows it.
struct Window {
    Window(Processes& processes, long long process, std::deque<bool> answers = {},
           const std::optional<std::string>& path = std::nullopt);
    // Removes the first node of that display text.
    void remove(const std::string& text);
    // The recovery data caught up, as the timer would bring it.
    void keepRecoveryData();
    // Ends as a kill does: nothing more is written, the locks are free for others.
    void kill() {
        keepRecoveryData();
        lock.ended();
    }
    std::string records() const;

    model::PairedTrees trees;
    FakePrompts prompts;
    FakeLock lock;
    workspace::Workspace workspace;
};

}  // namespace quorvia::testing
