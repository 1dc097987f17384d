#include "platform/Files.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

// Reads are made in pieces of this size, so that memory follows the text actually kept.
constexpr size_t kReadPiece = size_t{1} << 20;
// A file's size is only a hint: a sparse file may claim far more than it holds.
constexpr size_t kLargestSizeHint = size_t{64} << 20;

// Closes a descriptor through the seam however the reading ends, an exception included.
class ReadDescriptor final {
public:
    ReadDescriptor(FileSystem& files, int fd) : m_files(files), m_fd(fd) {}
    ~ReadDescriptor() {
        if (m_fd >= 0) {
            (void)m_files.close(m_fd);
        }
    }
    ReadDescriptor(const ReadDescriptor&) = delete;
    ReadDescriptor& operator=(const ReadDescriptor&) = delete;
    int fd() const { return m_fd; }

private:
    FileSystem& m_files;
    int m_fd;
};

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

void clearNonBlocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) {
        (void)::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    }
}

// Opens a file for reading; anything but a regular file is refused, since a pipe or a device
// may never end. Returns the descriptor and the file's size, or -errno.
int openRegularFile(FileSystem& files, const std::string& path, off_t& size) {
    // Without O_NONBLOCK, opening a pipe waits for a writer that may never come.
    const int fd = files.open(path, O_RDONLY | O_NONBLOCK, 0);
    if (fd < 0) {
        return fd;
    }
    struct stat info {};
    int result = files.statusOf(fd, info);
    if (result == 0 && !S_ISREG(info.st_mode)) {
        result = S_ISDIR(info.st_mode) ? -EISDIR : -EACCES;
    }
    if (result != 0) {
        (void)files.close(fd);
        return result;
    }
    clearNonBlocking(fd);
    size = info.st_size;
    return fd;
}

bool onlyLineEndsAndNuls(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return c == '\0' || c == '\r' || c == '\n'; });
}

// Reads on from `offset` until a byte other than NUL, CR or LF, or the end. Holes of a sparse
// file are skipped unread, and only one piece is held at a time. Returns 0 or -errno.
int findTextBehind(FileSystem& files, int fd, off_t offset, bool& found) {
    std::vector<char> piece(size_t{64} << 10);
    for (;;) {
        const off_t data = files.seekData(fd, offset);
        if (data == -ENXIO) {
            return 0;  // nothing but a hole up to the end
        }
        if (data >= 0) {
            offset = data;
        }
        const ssize_t got = files.read(fd, piece.data(), piece.size());
        if (got <= 0) {
            return static_cast<int>(got);
        }
        if (!onlyLineEndsAndNuls(std::string_view(piece.data(), static_cast<size_t>(got)))) {
            found = true;
            return 0;
        }
        offset += got;
    }
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

int readWholeFile(const std::string& path, std::string& content) {
    FileSystem& files = fileSystem();
    content.clear();
    off_t size = 0;
    const ReadDescriptor file(files, openRegularFile(files, path, size));
    if (file.fd() < 0) {
        return -file.fd();
    }
    const int fd = file.fd();
    content.reserve(static_cast<size_t>(size));
    preferHugePages(content);
    int result = 0;
    char chunk[1 << 16];
    while (result == 0) {
        // Large files are read straight into the string's spare capacity.
        const size_t spare = content.capacity() - content.size();
        if (spare >= sizeof chunk) {
            const size_t oldSize = content.size();
            content.resize(content.capacity());
            const ssize_t got = files.read(fd, content.data() + oldSize, spare);
            content.resize(oldSize + (got > 0 ? static_cast<size_t>(got) : 0));
            if (got <= 0) {
                result = static_cast<int>(got);
                break;
            }
        } else {
            const ssize_t got = files.read(fd, chunk, sizeof chunk);
            if (got <= 0) {
                result = static_cast<int>(got);
                break;
            }
            content.append(chunk, static_cast<size_t>(got));
        }
    }
    if (result != 0) {
        content.clear();
    }
    return -result;
}

int readTextBeforeNul(const std::string& path, std::string& content, bool& textAfterNul) {
    FileSystem& files = fileSystem();
    content.clear();
    textAfterNul = false;
    off_t size = 0;
    const ReadDescriptor file(files, openRegularFile(files, path, size));
    if (file.fd() < 0) {
        return -file.fd();
    }
    content.reserve(std::min(static_cast<size_t>(size), kLargestSizeHint));
    preferHugePages(content);
    char chunk[1 << 16];
    for (;;) {
        // Read into the string's spare capacity while there is some, so that a size hint that
        // was right costs no reallocation.
        const size_t before = content.size();
        const size_t spare = content.capacity() - before;
        ssize_t got = 0;
        if (spare >= sizeof chunk) {
            const size_t piece = std::min(spare, kReadPiece);
            content.resize(before + piece);
            got = files.read(file.fd(), content.data() + before, piece);
            content.resize(before + (got > 0 ? static_cast<size_t>(got) : 0));
        } else {
            got = files.read(file.fd(), chunk, sizeof chunk);
            if (got > 0) {
                content.append(chunk, static_cast<size_t>(got));
            }
        }
        if (got <= 0) {
            if (got < 0) {
                content.clear();
            }
            return static_cast<int>(-got);
        }
        const char* nul = static_cast<const char*>(
            std::memchr(content.data() + before, '\0', static_cast<size_t>(got)));
        if (nul == nullptr) {
            continue;
        }
        const auto kept = static_cast<size_t>(nul - content.data());
        textAfterNul = !onlyLineEndsAndNuls(std::string_view(nul, content.size() - kept));
        const auto readSoFar = static_cast<off_t>(content.size());
        content.resize(kept);
        if (content.capacity() > 2 * kept + kReadPiece) {
            content.shrink_to_fit();
        }
        const int result =
            textAfterNul ? 0 : findTextBehind(files, file.fd(), readSoFar, textAfterNul);
        if (result != 0) {
            content.clear();
        }
        return -result;
    }
}

FileReplacement::FileReplacement(std::string path) : m_path(std::move(path)) {}

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
    m_folder = slash == std::string::npos ? "." : slash == 0 ? "/" : m_target.substr(0, slash);
    const mode_t mode = exists ? (info.st_mode & 07777) : 0666;
    int result = createTemporary(mode);
    // Writing in place is the riskier way, taken only when nothing can be made beside the
    // target for certain: the name does not fit, or the folder refuses us new entries.
    const bool refused = result == -EACCES || result == -EPERM;
    if (result == -ENAMETOOLONG || (refused && files.access(m_folder, W_OK) != 0)) {
        result = openInPlace(mode, exists);
    } else if (result == 0 && exists) {
        // open() applies the umask; the replaced file's own permissions win.
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

int replaceFile(const std::string& path, std::string_view content, bool* failedAtCreate) {
    FileReplacement replacement(path);
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
