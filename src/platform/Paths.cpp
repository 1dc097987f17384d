#include "platform/Paths.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/FileErrors.h"

namespace quorvia::platform {

std::string_view fileNamePart(std::string_view path) {
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool holdsLineBreak(std::string_view path) {
    return path.find_first_of("\r\n") != std::string_view::npos;
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

std::string folderPart(std::string_view path) {
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? "."
           : slash == 0                    ? "/"
                                           : std::string(path.substr(0, slash));
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
    // As many links as the system itself follows in one path.
    for (int link = 0; link < 40; ++link) {
        char resolved[PATH_MAX];
        if (::realpath(absolute.c_str(), resolved) != nullptr) {
            return resolved;
        }
        // A file not made yet, or a link to one: the folder resolved, the name followed by hand.
        if (::realpath(folderPart(absolute).c_str(), resolved) == nullptr) {
            return absolute;
        }
        const std::string folder(resolved);
        const std::string file =
            (folder == "/" ? "" : folder) + "/" + std::string(fileNamePart(absolute));
        const ssize_t length = ::readlink(file.c_str(), resolved, sizeof resolved - 1);
        if (length <= 0) {
            return file;
        }
        const std::string target(resolved, static_cast<size_t>(length));
        absolute = isAbsolutePath(target) ? target : folder + "/" + target;
    }
    return absolute;
}

std::string hexHash(std::string_view text) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char byte : text) {
        hash = (hash ^ static_cast<unsigned char>(byte)) * 1099511628211ULL;
    }
    char digits[17];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(hash));
    return digits;
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
