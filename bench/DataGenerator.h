// Inputs of realistic shape for the benchmark: databases (a root, objects nested up to depth 4,
// attributes whose names and values have 5 to 30 bytes), text files to import and phone
// database files. The same arguments always give the same bytes.
#pragma once

#include <cstddef>
#include <string>

namespace quorvia::bench {

// A database file of exactly `nodes` nodes.
std::string generateDatabase(size_t nodes);
// The same tree as a phone database file: a header line, then "level;record" per node below the
// root (`nodes` - 1 lines after the header).
std::string generatePhoneDatabase(size_t nodes);
// A database of exactly `nodes` nodes whose first object below the root holds `children`
// attributes, each value starting with "+33 " (a text no other node holds); the rest as
// generateDatabase().
std::string generateDatabaseWithWideObject(size_t nodes, size_t children);
// A database whose one object holds `children` attributes.
std::string generateWideDatabase(size_t children);
// A root holding (`nodes` - 1) / 100 objects of 99 attributes each, named Column1 to Column99:
// a table of that many rows.
std::string generateTableDatabase(size_t nodes);
// `lines` lines of "name;value".
std::string generateAttributeFile(size_t lines);
// A header of `columns` names, then `rows` rows of as many fields.
std::string generateObjectFile(size_t rows, size_t columns);

}  // namespace quorvia::bench
