#include "platform/Files.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <utility>

#include "platform/FileSystem.h"

namespace quorvia::platform {

namespace {

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

std::string temporarySibling(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    const auto slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    return folder + "." + name + ".qv-" + std::to_string(::getpid()) + "-" +
           std::to_string(counter++);
}

}  // namespace

bool fileExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && fileSystem().status(path, info, true) == 0 && !S_ISDIR(info.st_mode);
}

void deleteFile(const std::string& path) {
    (void)fileSystem().remove(path);
}

int readWholeFile(const std::string& path, std::string& content) {
    FileSystem& files = fileSystem();
    content.clear();
    const int fd = files.open(path, O_RDONLY, 0);
    if (fd < 0) {
        return -fd;
    }
    struct stat info {};
    int result = 0;
    if (files.status(path, info, true) == 0) {
        if (S_ISDIR(info.st_mode)) {
            result = -EISDIR;
        } else if (S_ISREG(info.st_mode)) {
            content.reserve(static_cast<size_t>(info.st_size));
        }
    }
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
    (void)files.close(fd);
    if (result != 0) {
        content.clear();
    }
    return -result;
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
        // A device or pipe cannot be replaced; it is written as it is.
        m_fd = files.open(m_path, O_WRONLY | O_TRUNC, 0);
        return m_fd < 0 ? -std::exchange(m_fd, -1) : 0;
    }
    m_target = exists ? resolveLinks(m_path) : m_path;
    m_temporary = temporarySibling(m_target);
    const mode_t mode = exists ? (info.st_mode & 07777) : 0666;
    m_fd = files.open(m_temporary, O_WRONLY | O_CREAT | O_EXCL, mode);
    if (m_fd < 0) {
        m_temporary.clear();
        return -std::exchange(m_fd, -1);
    }
    if (exists) {
        // open() applies the umask; the replaced file's own permissions win.
        (void)::fchmod(m_fd, mode);
    }
    return 0;
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
    }
    return -result;
}

int FileReplacement::commit() {
    FileSystem& files = fileSystem();
    int result = files.sync(m_fd);
    const int closed = files.close(m_fd);
    m_fd = -1;
    if (result == 0) {
        result = closed;
    }
    if (result == 0 && !m_temporary.empty()) {
        result = files.rename(m_temporary, m_target);
    }
    if (result != 0) {
        abandon();
        return -result;
    }
    m_temporary.clear();
    m_committed = true;
    return 0;
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
    if (const int written = replacement.write(content); written != 0) {
        return written;
    }
    return replacement.commit();
}

}  // namespace quorvia::platform
