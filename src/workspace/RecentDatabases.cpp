#include "workspace/RecentDatabases.h"

#include <algorithm>
#include <new>
#include <optional>
#include <string_view>

#include "platform/Files.h"
#include "platform/Paths.h"
#include "workspace/StateFiles.h"

namespace quorvia::workspace {

namespace {

// Far more than eight paths of the longest length the system allows: anything larger is not
// the program's list, and is not read into memory.
constexpr off_t kLargestList = 64 * 1024;

bool isListablePath(std::string_view path) {
    return !path.empty() && path.front() == '/' && path.find('\n') == std::string_view::npos &&
           path.find('\0') == std::string_view::npos;
}

std::vector<std::string> readList() {
    const std::string path = recentListFile();
    const std::optional<platform::FileIdentity> file =
        path.empty() ? std::nullopt : platform::fileIdentity(path);
    std::string bytes;
    if (!file || file->size > kLargestList || platform::readWholeFile(path, bytes) != 0 ||
        (!bytes.empty() && bytes.back() != '\n')) {
        return {};
    }
    std::vector<std::string> paths;
    for (size_t start = 0; start < bytes.size();) {
        const size_t end = bytes.find('\n', start);
        const std::string_view line = std::string_view(bytes).substr(start, end - start);
        if (!isListablePath(line)) {
            return {};
        }
        if (paths.size() < kMostRecentDatabases &&
            std::find(paths.begin(), paths.end(), line) == paths.end()) {
            paths.emplace_back(line);
        }
        start = end + 1;
    }
    return paths;
}

void writeList(const std::vector<std::string>& paths) {
    if (prepareStateFolder() != 0) {
        return;
    }
    std::string bytes;
    for (const std::string& path : paths) {
        bytes.append(path).push_back('\n');
    }
    (void)platform::replaceFile(recentListFile(), bytes);
}

void noteInList(const std::string& fullPath) {
    if (!isListablePath(fullPath)) {
        return;
    }
    std::vector<std::string> paths = readList();
    if (!paths.empty() && paths.front() == fullPath) {
        return;  // already first: nothing to write
    }
    paths.erase(std::remove(paths.begin(), paths.end(), fullPath), paths.end());
    paths.insert(paths.begin(), fullPath);
    if (paths.size() > kMostRecentDatabases) {
        paths.resize(kMostRecentDatabases);
    }
    writeList(paths);
}

}  // namespace

std::vector<std::string> readRecentDatabases() {
    try {
        return readList();
    } catch (const std::bad_alloc&) {
        return {};
    }
}

void noteRecentDatabase(const std::string& fullPath) {
    try {
        noteInList(fullPath);
    } catch (const std::bad_alloc&) {
        // The list stays as it was.
    }
}

void clearRecentDatabases() {
    if (platform::fileExists(recentListFile())) {
        writeList({});
    }
}

}  // namespace quorvia::workspace
