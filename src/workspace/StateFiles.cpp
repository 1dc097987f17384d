#include "workspace/StateFiles.h"

#include <cerrno>
#include <random>

#include "platform/Files.h"
#include "platform/Paths.h"

namespace quorvia::workspace {

namespace {

constexpr std::string_view kRecoveryEnd = ".recovery";

// The one place that puts a name in the state folder.
std::string stateFile(const std::string& name) {
    const std::string folder = platform::stateFolder();
    return folder.empty() ? folder : platform::joinPath(folder, name);
}

std::string randomInstance() {
    std::random_device device;
    return platform::hexHash(std::to_string(device()) + std::to_string(device())).substr(0, 8);
}

bool isHexNumber(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

}  // namespace

FileKey fileKey(const std::string& path) {
    FileKey key{platform::fullPath(path), std::nullopt};
    if (const auto identity = platform::fileIdentity(key.path)) {
        key.node = std::make_pair(identity->device, identity->inode);
    }
    return key;
}

WindowName windowOf(long long process, const std::string& start) {
    return WindowName{process, start.empty() ? "0" : start, randomInstance()};
}

WindowName leftBehind() {
    return windowOf(0, "0");
}

std::vector<std::string> lockFiles(const FileKey& key) {
    std::vector<std::string> files{stateFile(platform::hexHash(key.path) + ".lock")};
    if (key.node) {
        files.push_back(stateFile(platform::hexHash(std::to_string(key.node->first) + ":" +
                                                    std::to_string(key.node->second)) +
                                  ".lock"));
    }
    if (files.front().empty()) {
        files.clear();
    }
    return files;
}

std::string recoveryFile(const FileKey& key, const WindowName& window) {
    return stateFile(platform::hexHash(key.path) + "." + std::to_string(window.process) + "-" +
                     window.start + "-" + window.instance + std::string(kRecoveryEnd));
}

std::string recentListFile() {
    return stateFile("recent");
}

std::optional<WindowName> recoveryFileWindow(std::string_view name) {
    // <hash of the path>.<process>-<start>-<instance>.recovery
    if (name.size() <= kRecoveryEnd.size() ||
        name.substr(name.size() - kRecoveryEnd.size()) != kRecoveryEnd) {
        return std::nullopt;
    }
    name.remove_suffix(kRecoveryEnd.size());
    const auto dot = name.find('.');
    const auto firstDash = name.find('-');
    const auto lastDash = name.rfind('-');
    if (dot == std::string_view::npos || firstDash == lastDash || firstDash < dot) {
        // The older form, <hash>.recovery, named no window: its window is long gone.
        return isHexNumber(name) ? std::optional<WindowName>(WindowName{}) : std::nullopt;
    }
    const std::string_view process = name.substr(dot + 1, firstDash - dot - 1);
    if (process.empty() || process.find_first_not_of("0123456789") != std::string_view::npos ||
        process.size() > 18) {
        return std::nullopt;
    }
    return WindowName{std::stoll(std::string(process)),
                      std::string(name.substr(firstDash + 1, lastDash - firstDash - 1)),
                      std::string(name.substr(lastDash + 1))};
}

int prepareStateFolder() {
    const std::string folder = platform::stateFolder();
    return folder.empty() ? ENOENT : platform::makeFolders(folder, 0700);
}

}  // namespace quorvia::workspace
