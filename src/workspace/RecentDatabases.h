// The databases this user opened, created by Save as or started with, newest first: one list in
// the state folder that every window shares. Nothing about it is ever worth an error box: a list
// that cannot be read is an empty one, and one that cannot be written stays as it was.
#pragma once

#include <string>
#include <vector>

namespace quorvia::workspace {

// How many databases the list keeps.
inline constexpr size_t kMostRecentDatabases = 8;

// The list's file (StateFiles' recentListFile): one full path per line as its bytes, each line
// ended by LF.
// The list as the file holds it now, at most kMostRecentDatabases paths; empty when the file is
// missing, unreadable or malformed (a line that is not a full path, or no LF at its end).
std::vector<std::string> readRecentDatabases();

// Puts `fullPath` first, drops it further down and drops what passes the limit. A path that no
// line can hold (empty, relative, with a LF or a NUL) is not noted.
void noteRecentDatabase(const std::string& fullPath);

// Empties the list.
void clearRecentDatabases();

}  // namespace quorvia::workspace
