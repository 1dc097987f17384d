#include "platform/Paths.h"

#include <unistd.h>

#include <cerrno>
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

}  // namespace quorvia::platform
