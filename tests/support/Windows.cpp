#include "support/Windows.h"

#include <unistd.h>

#include "support/TreeHelpers.h"

namespace quorvia::testing {

bool FakeLock::isHeldElsewhere(const std::vector<std::string>& lockPaths, long long& holder) {
    for (const std::string& path : lockPaths) {
        const auto held = m_all.held.find(path);
        if (held != m_all.held.end() && held->second != m_process && runs(held->second, "")) {
            holder = held->second;
            return true;
        }
    }
    return false;
}

bool FakeLock::take(const std::vector<std::string>& lockPaths, long long& holder) {
    if (isHeldElsewhere(lockPaths, holder)) {
        return false;
    }
    release();
    for (const std::string& path : lockPaths) {
        m_all.held[path] = m_process;
    }
    return true;
}

void FakeLock::release() {
    for (auto held = m_all.held.begin(); held != m_all.held.end();) {
        held = held->second == m_process ? m_all.held.erase(held) : std::next(held);
    }
}

Window::Window(Processes& processes, long long process, std::deque<bool> answers,
               const std::optional<std::string>& path)
    : lock(processes, process), workspace(trees, prompts, &lock) {
    prompts.confirmAnswers = std::move(answers);
    path ? workspace.start(*path) : workspace.start();
    try {
        workspace.loadCurrentDatabase();
    } catch (const Error& error) {
        prompts.showError(error.message());
    }
}

void Window::remove(const std::string& text) {
    for (int i = 0; i < trees.display().count(); ++i) {
        if (trees.display().nodeAt(i)->shownText() == text) {
            model::PairedTrees::Step step(trees);
            trees.removePair(trees.pairOf(trees.display().nodeAt(i)));
            return;
        }
    }
    ADD_FAILURE() << "no node " << text << " in " << records();
}

void Window::keepRecoveryData() {
    workspace.keepRecoveryData();
    while (workspace.isKeepingRecoveryData()) {
        ::usleep(1000);
    }
}

std::string Window::records() const {
    return outline(trees.records());
}

}  // namespace quorvia::testing
