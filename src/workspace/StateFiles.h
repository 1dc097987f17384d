// The files the program keeps in its state folder: the locks and the recovery data of each
// database, named after the file as the guards know it, and the list of recent databases.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quorvia::workspace {

// A database file as the guards know it, whichever path names it: a link, "..", or another
// hard link of the same file.
struct FileKey {
    std::string path;                             // from the root, every link resolved
    std::optional<std::pair<dev_t, ino_t>> node;  // the file itself, while it exists
};
FileKey fileKey(const std::string& path);

// The window a recovery file belongs to: its process, that process's start (so that a later
// process given the same id is not taken for it) and the window's own number. Process 0: a
// window that left the data to whichever window opens the file next.
struct WindowName {
    long long process = 0;
    std::string start;
    std::string instance;
};
WindowName windowOf(long long process, const std::string& start);
WindowName leftBehind();

// Where each state file is; empty where no state folder is known.
// The lock files of a database: one for its path and, while it exists, one for the file
// itself, so that every spelling meets the others, also before the file's first save.
std::vector<std::string> lockFiles(const FileKey& key);
std::string recoveryFile(const FileKey& key, const WindowName& window);
// The databases last opened, newest first.
std::string recentListFile();

// The window a name in the state folder says a recovery file belongs to; none for another file.
std::optional<WindowName> recoveryFileWindow(std::string_view name);

// Makes the state folder, readable by the user alone. Returns 0, or the errno of the failure.
int prepareStateFolder();

}  // namespace quorvia::workspace
