#include "platform/Paths.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "platform/FileErrors.h"

namespace quorvia::platform {

std::string_view fileNamePart(std::string_view path) {
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string joinPath(const std::string& folder, const std::string& name) {
    return folder + "/" + name;
}

std::string currentDirectory() {
    std::vector<char> buffer(4096);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) {
            throw textFileError(errno, FileAction::Read);
        }
        buffer.resize(buffer.size() * 2);
    }
    return std::string(buffer.data());
}

bool isAbsolutePath(const std::string& path) {
    return !path.empty() && path.front() == '/';
}

std::string absolutePath(const std::string& path, const std::string& from) {
    return isAbsolutePath(path) ? path : joinPath(from, path);
}

std::string fullPath(const std::string& path) {
    if (path.empty()) {
        return path;
    }
    std::string absolute = path;
    if (!isAbsolutePath(path)) {
        try {
            absolute = absolutePath(path, currentDirectory());
        } catch (const Error&) {
            return path;
        }
    }
    const auto slash = absolute.rfind('/');
    const std::string folder = slash == 0 ? "/" : absolute.substr(0, slash);
    char resolved[PATH_MAX];
    if (::realpath(folder.c_str(), resolved) == nullptr) {
        return absolute;
    }
    const std::string name = absolute.substr(slash + 1);
    const std::string resolvedFolder(resolved);
    return resolvedFolder == "/" ? "/" + name : resolvedFolder + "/" + name;
}

std::string stateFolder() {
    // Only an absolute XDG_STATE_HOME counts; a relative one is to be ignored.
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/') {
        return std::string(state) + "/quorvia";
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') {
        return std::string(home) + "/.local/state/quorvia";
    }
    return {};
}

}  // namespace quorvia::platform
