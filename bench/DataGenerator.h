// Databases of realistic shape for the benchmark: a root, objects nested up to depth 4, and
// attributes whose names and values have 5 to 30 bytes.
#pragma once

#include <cstddef>
#include <string>

namespace quorvia::bench {

// The database file (TAB levels, CR LF) of exactly `nodes` nodes, the same for the same count.
std::string generateDatabase(size_t nodes);

}  // namespace quorvia::bench
