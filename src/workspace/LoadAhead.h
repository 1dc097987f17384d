// The database a start opens, loaded on a second thread while the window is being made: the
// load and Qt's own start then share the machine's cores. The window takes the trees only when
// they are of the very file it opens, as the file is then; otherwise it loads as always.
#pragma once

#include <exception>
#include <optional>
#include <string>
#include <thread>

#include "model/PairedTrees.h"
#include "platform/Error.h"
#include "platform/Files.h"

namespace quorvia::workspace {

class LoadAhead final {
public:
    // Starts loading `path` into trees of its own, which nothing else sees until they are taken.
    explicit LoadAhead(std::string path);
    // Waits for the load, whose trees are dropped when nobody took them.
    ~LoadAhead();
    // Waits for the load to end.
    void wait();
    LoadAhead(const LoadAhead&) = delete;
    LoadAhead& operator=(const LoadAhead&) = delete;

    // Waits for the load; when it read `path` while the file was `identity`, moves its trees into
    // `trees` and ends as model::loadDatabase would have: `failure` set to what it returned, or
    // what it raised raised again. False, with nothing changed, when the load is of another
    // file or the file changed since; the trees are taken at most once.
    bool takeInto(model::PairedTrees& trees, const std::string& path,
                  const std::optional<platform::FileIdentity>& identity,
                  std::optional<Error>& failure);

private:
    const std::string m_path;
    model::PairedTrees m_trees;
    std::optional<platform::FileIdentity> m_identity;  // of the file before it was read
    std::optional<Error> m_failure;
    std::exception_ptr m_raised;
    bool m_taken = false;
    std::thread m_thread;  // last: it starts once everything it fills exists
};

}  // namespace quorvia::workspace
