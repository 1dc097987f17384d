#include "platform/Files.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>

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

int writeInPlace(FileSystem& files, const std::string& path, std::string_view content,
                 bool* failedAtCreate) {
    const int fd = files.open(path, O_WRONLY | O_TRUNC, 0);
    if (fd < 0) {
        if (failedAtCreate != nullptr) {
            *failedAtCreate = true;
        }
        return -fd;
    }
    int result = writeAll(files, fd, content);
    if (result == 0) {
        result = files.sync(fd);
    }
    const int closed = files.close(fd);
    return -(result != 0 ? result : closed);
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

int replaceFile(const std::string& path, std::string_view content, bool* failedAtCreate) {
    FileSystem& files = fileSystem();
    if (failedAtCreate != nullptr) {
        *failedAtCreate = false;
    }
    if (path.empty()) {
        if (failedAtCreate != nullptr) {
            *failedAtCreate = true;
        }
        return ENOENT;
    }
    struct stat info {};
    const bool exists = files.status(path, info, true) == 0;
    if (exists && S_ISDIR(info.st_mode)) {
        if (failedAtCreate != nullptr) {
            *failedAtCreate = true;
        }
        return EISDIR;
    }
    if (exists && !S_ISREG(info.st_mode)) {
        return writeInPlace(files, path, content, failedAtCreate);
    }

    const std::string target = exists ? resolveLinks(path) : path;
    const std::string temporary = temporarySibling(target);
    const mode_t mode = exists ? (info.st_mode & 07777) : 0666;
    const int fd = files.open(temporary, O_WRONLY | O_CREAT | O_EXCL, mode);
    if (fd < 0) {
        if (failedAtCreate != nullptr) {
            *failedAtCreate = true;
        }
        return -fd;
    }
    if (exists) {
        // open() applies the umask; the replaced file's own permissions win.
        (void)::fchmod(fd, mode);
    }
    int result = writeAll(files, fd, content);
    if (result == 0) {
        result = files.sync(fd);
    }
    const int closed = files.close(fd);
    if (result == 0) {
        result = closed;
    }
    if (result == 0) {
        result = files.rename(temporary, target);
    }
    if (result != 0) {
        (void)files.remove(temporary);
    }
    return -result;
}

}  // namespace quorvia::platform
