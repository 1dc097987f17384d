#include "platform/Files.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <random>
#include <utility>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Paths.h"

namespace quorvia::platform {

namespace {

// A temporary name is this prefix, a short part of the target's name, a hash of the whole name
// and random digits: short enough for any folder, never taken from a process id that a killed
// run may have used before, and recognisable as a leftover of that target.
constexpr size_t kNameShown = 24;
constexpr size_t kRandomDigits = 8;
constexpr int kNameAttempts = 16;

// Writes all of `data`; returns 0 or -errno.
int writeAll(FileSystem& files, int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = files.write(fd, data.data(), data.size());
        if (written < 0) {
            return static_cast<int>(written);
        }
        if (written == 0) {
            return -ENOSPC;
        }
        data.remove_prefix(static_cast<size_t>(written));
    }
    return 0;
}

// The file a path finally names, so that replacing it through a link keeps the link.
std::string resolveLinks(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

std::string hexDigits(uint32_t value) {
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08x", value);
    return digits;
}

std::string temporaryPrefix(std::string_view name) {
    uint32_t hash = 2166136261u;  // FNV-1a
    for (const char c : name) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    }
    return "." + std::string(name.substr(0, kNameShown)) + ".qv-" + hexDigits(hash) + "-";
}

std::string randomDigits() {
    std::random_device device;
    return hexDigits(device());
}

// A temporary of `name` (whose prefix is `prefix`) left by a save that never finished: the
// names made now, and those made by earlier versions ("." name ".qv-" process id "-" counter).
bool isLeftoverOf(std::string_view entry, std::string_view name, const std::string& prefix) {
    if (entry.size() == prefix.size() + kRandomDigits &&
        entry.substr(0, prefix.size()) == prefix &&
        entry.find_first_not_of("0123456789abcdef", prefix.size()) == std::string_view::npos) {
        return true;
    }
    const std::string oldPrefix = "." + std::string(name) + ".qv-";
    if (entry.substr(0, oldPrefix.size()) != oldPrefix) {
        return false;
    }
    const std::string_view numbers = entry.substr(oldPrefix.size());
    const auto dash = numbers.find('-');
    const auto isNumber = [](std::string_view text) {
        return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
    };
    return dash != std::string_view::npos && isNumber(numbers.substr(0, dash)) &&
           isNumber(numbers.substr(dash + 1));
}

// Whether a name of `length` bytes can be made in the folder.
bool nameFits(const std::string& folder, size_t length) {
    const long nameMax = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    return (nameMax < 0 || length <= static_cast<size_t>(nameMax)) &&
           folder.size() + 1 + length < PATH_MAX;
}

}  // namespace

bool FileIdentity::operator==(const FileIdentity& other) const {
    return device == other.device && inode == other.inode && size == other.size &&
           modifiedSeconds == other.modifiedSeconds &&
           modifiedNanoseconds == other.modifiedNanoseconds &&
           changedSeconds == other.changedSeconds &&
           changedNanoseconds == other.changedNanoseconds;
}

std::optional<FileIdentity> fileIdentity(const std::string& path) {
    struct stat info {};
    if (path.empty() || fileSystem().status(path, info, true) != 0 || S_ISDIR(info.st_mode)) {
        return std::nullopt;
    }
    return FileIdentity{info.st_dev,         info.st_ino,          info.st_size,
                        info.st_mtim.tv_sec, info.st_mtim.tv_nsec, info.st_ctim.tv_sec,
                        info.st_ctim.tv_nsec};
}

int makeFolders(const std::string& path, mode_t mode) {
    FileSystem& files = fileSystem();
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        const int result = files.makeFolder(path.substr(0, slash), 0755);
        if (result != 0 && result != -EEXIST) {
            return -result;
        }
    }
    const int result = files.makeFolder(path, mode);
    if (result != 0 && result != -EEXIST) {
        return -result;
    }
    struct stat info {};
    if (result == -EEXIST && (files.status(path, info, true) != 0 || !S_ISDIR(info.st_mode))) {
        return ENOTDIR;
    }
    return ::chmod(path.c_str(), mode) < 0 ? errno : 0;
}

bool fileExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && fileSystem().status(path, info, true) == 0 && !S_ISDIR(info.st_mode);
}

void deleteFile(const std::string& path) {
    (void)fileSystem().remove(path);
}

// A 43 MB database read into 4 KB pages costs ten thousand page faults, which dominate reading it.
void preferHugePages(std::string& buffer) {
    constexpr std::uintptr_t kHugePage = 2 << 20;
    const auto start = reinterpret_cast<std::uintptr_t>(buffer.data());
    const std::uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t end = (start + buffer.capacity()) & ~(kHugePage - 1);
    if (end > first) {
        ::madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
    }
}

FileReplacement::FileReplacement(std::string path, std::optional<mode_t> mode)
    : m_path(std::move(path)), m_mode(mode) {}

FileReplacement::~FileReplacement() {
    if (!m_committed) {
        abandon();
    }
}

void FileReplacement::abandon() {
    FileSystem& files = fileSystem();
    if (m_fd >= 0) {
        (void)files.close(m_fd);
        m_fd = -1;
    }
    if (!m_temporary.empty()) {
        (void)files.remove(m_temporary);
        m_temporary.clear();
    }
    if (m_createdInPlace) {
        (void)files.remove(m_target);
        m_createdInPlace = false;
    }
}

int FileReplacement::create() {
    FileSystem& files = fileSystem();
    if (m_path.empty()) {
        return ENOENT;
    }
    struct stat info {};
    const bool exists = files.status(m_path, info, true) == 0;
    if (exists && S_ISDIR(info.st_mode)) {
        return EISDIR;
    }
    if (exists && !S_ISREG(info.st_mode)) {
        // A device or pipe cannot be replaced; it is written as it is. A pipe nobody reads
        // fails at once instead of holding the program forever.
        m_way = Way::Device;
        m_fd = files.open(m_path, O_WRONLY | O_TRUNC | O_NONBLOCK, 0);
        if (m_fd < 0) {
            return -std::exchange(m_fd, -1);
        }
        clearNonBlocking(m_fd);
        return 0;
    }
    m_target = exists ? resolveLinks(m_path) : m_path;
    const auto slash = m_target.rfind('/');
    m_folderPrefix = slash == std::string::npos ? "" : m_target.substr(0, slash + 1);
    m_folder = folderPart(m_target);
    const mode_t mode = m_mode ? *m_mode : exists ? (info.st_mode & 07777) : 0666;
    int result = createTemporary(mode);
    // Writing in place is the riskier way, taken only when nothing can be made beside the
    // target for certain: the name does not fit, or the folder refuses us new entries.
    const bool refused = result == -EACCES || result == -EPERM;
    if (result == -ENAMETOOLONG || (refused && files.access(m_folder, W_OK) != 0)) {
        result = openInPlace(mode, exists);
    } else if (result == 0 && (exists || m_mode)) {
        // open() applies the umask; the replaced file's own permissions, or those asked for, win.
        (void)::fchmod(m_fd, mode);
    }
    return -result;
}

int FileReplacement::createTemporary(mode_t mode) {
    FileSystem& files = fileSystem();
    m_way = Way::Replace;
    const std::string prefix = temporaryPrefix(fileNamePart(m_target));
    if (!nameFits(m_folder, prefix.size() + kRandomDigits)) {
        return -ENAMETOOLONG;
    }
    // An unnamed file vanishes with the process, whenever that ends.
    m_fd = files.open(m_folder, O_WRONLY | O_TMPFILE, mode);
    if (m_fd >= 0 || (m_fd != -EOPNOTSUPP && m_fd != -EISDIR && m_fd != -EINVAL)) {
        return m_fd < 0 ? std::exchange(m_fd, -1) : 0;
    }
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string name = m_folderPrefix + prefix + randomDigits();
        m_fd = files.open(name, O_WRONLY | O_CREAT | O_EXCL, mode);
        if (m_fd >= 0) {
            m_temporary = std::move(name);
            return 0;
        }
        if (m_fd != -EEXIST) {
            break;
        }
    }
    return std::exchange(m_fd, -1);
}

int FileReplacement::openInPlace(mode_t mode, bool exists) {
    m_way = Way::InPlace;
    // Not truncated here: the old bytes stay until the new ones are written over them.
    m_fd = fileSystem().open(m_target, exists ? O_WRONLY : O_WRONLY | O_CREAT | O_EXCL, mode);
    if (m_fd < 0) {
        return std::exchange(m_fd, -1);
    }
    m_createdInPlace = !exists;
    return 0;
}

int FileReplacement::nameUnnamedFile() {
    const std::string prefix = m_folderPrefix + temporaryPrefix(fileNamePart(m_target));
    int result = -EEXIST;
    for (int attempt = 0; attempt < kNameAttempts && result == -EEXIST; ++attempt) {
        std::string name = prefix + randomDigits();
        result = fileSystem().linkUnnamed(m_fd, name);
        if (result == 0) {
            m_temporary = std::move(name);
        }
    }
    return result;
}

void FileReplacement::removeLeftovers() {
    FileSystem& files = fileSystem();
    std::vector<std::string> names;
    if (files.listFolder(m_folder, names) != 0) {
        return;
    }
    const std::string_view name = fileNamePart(m_target);
    const std::string prefix = temporaryPrefix(name);
    for (const std::string& entry : names) {
        if (isLeftoverOf(entry, name, prefix)) {
            (void)files.remove(m_folderPrefix + entry);
        }
    }
}

int FileReplacement::reserve(off_t size) {
    const int result = fileSystem().allocate(m_fd, size);
    if (result != 0) {
        abandon();
    }
    return -result;
}

int FileReplacement::write(std::string_view data) {
    const int result = writeAll(fileSystem(), m_fd, data);
    if (result != 0) {
        abandon();
        return -result;
    }
    m_written += static_cast<off_t>(data.size());
    return 0;
}

int FileReplacement::commit() {
    FileSystem& files = fileSystem();
    int result = 0;
    if (m_way == Way::InPlace) {
        // The old content may have been longer than the new.
        result = files.truncate(m_fd, m_written);
    }
    if (result == 0) {
        result = files.sync(m_fd);
    }
    if (result == 0 && m_way == Way::Replace && m_temporary.empty()) {
        result = nameUnnamedFile();
    }
    const int closed = files.close(m_fd);
    m_fd = -1;
    if (result == 0) {
        result = closed;
    }
    if (result == 0 && m_way == Way::Replace) {
        result = files.rename(m_temporary, m_target);
    }
    if (result != 0) {
        abandon();
        return -result;
    }
    m_temporary.clear();
    m_committed = true;
    if (m_way == Way::Device) {
        return 0;
    }
    const bool folderChanged = m_way == Way::Replace || m_createdInPlace;
    m_createdInPlace = false;
    // The file is replaced either way; a failed folder sync still tells the user that a power
    // loss now could undo it.
    result = folderChanged ? files.syncFolder(m_folder) : 0;
    removeLeftovers();
    return -result;
}

int replaceFile(const std::string& path, std::string_view content, bool* failedAtCreate,
                std::optional<mode_t> mode) {
    FileReplacement replacement(path, mode);
    const int created = replacement.create();
    if (failedAtCreate != nullptr) {
        *failedAtCreate = created != 0;
    }
    if (created != 0) {
        return created;
    }
    // A disk too full for the file fails here, before a file written in place is touched.
    if (const int reserved = replacement.reserve(static_cast<off_t>(content.size()));
        reserved != 0) {
        return reserved;
    }
    if (const int written = replacement.write(content); written != 0) {
        return written;
    }
    return replacement.commit();
}

}  // namespace quorvia::platform
