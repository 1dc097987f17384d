#include "workspace/LoadAhead.h"

#include <utility>

#include "model/LoadSequence.h"

namespace quorvia::workspace {

LoadAhead::LoadAhead(std::string path)
    : m_path(std::move(path)), m_thread([this] {
          // The identity first: a file changed while it is read is then seen as changed.
          m_identity = platform::fileIdentity(m_path);
          try {
              m_failure = model::loadDatabase(m_trees, m_path);
          } catch (...) {
              m_raised = std::current_exception();
          }
      }) {}

LoadAhead::~LoadAhead() {
    wait();
}

void LoadAhead::wait() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

bool LoadAhead::takeInto(model::PairedTrees& trees, const std::string& path,
                         const std::optional<platform::FileIdentity>& identity,
                         std::optional<Error>& failure) {
    wait();
    if (m_taken || path != m_path || identity != m_identity) {
        return false;
    }
    m_taken = true;
    trees.takeTreesOf(m_trees);
    if (m_raised) {
        std::rethrow_exception(m_raised);
    }
    failure = std::move(m_failure);
    return true;
}

}  // namespace quorvia::workspace
