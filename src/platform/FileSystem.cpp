#include "platform/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string_view>

namespace quorvia::platform {

namespace {

PosixFileSystem g_posixFileSystem;
FileSystem* g_current = &g_posixFileSystem;

template <typename Call>
auto retryOnInterrupt(Call call) {
    auto result = call();
    while (result < 0 && errno == EINTR) {
        result = call();
    }
    return result < 0 ? -errno : result;
}

}  // namespace

int PosixFileSystem::open(const std::string& path, int flags, mode_t mode) {
    return retryOnInterrupt([&] { return ::open(path.c_str(), flags | O_CLOEXEC, mode); });
}

ssize_t PosixFileSystem::read(int fd, char* buffer, size_t size) {
    return retryOnInterrupt([&] { return ::read(fd, buffer, size); });
}

ssize_t PosixFileSystem::write(int fd, const char* data, size_t size) {
    return retryOnInterrupt([&] { return ::write(fd, data, size); });
}

int PosixFileSystem::sync(int fd) {
    const int result = ::fdatasync(fd);
    // Devices and pipes cannot be synced; that is no failure of the data written to them.
    if (result < 0 && (errno == EINVAL || errno == EROFS)) {
        return 0;
    }
    return result < 0 ? -errno : 0;
}

int PosixFileSystem::allocate(int fd, off_t size) {
    if (size <= 0 || ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, size) == 0) {
        return 0;
    }
    // Where space cannot be reserved ahead (some file systems, devices), the writes will tell.
    return errno == EOPNOTSUPP || errno == EINVAL || errno == ENODEV || errno == ESPIPE ? 0
                                                                                        : -errno;
}

int PosixFileSystem::close(int fd) {
    // close() must not be retried on EINTR: the descriptor is gone either way.
    return ::close(fd) < 0 && errno != EINTR ? -errno : 0;
}

int PosixFileSystem::rename(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) < 0 ? -errno : 0;
}

int PosixFileSystem::remove(const std::string& path) {
    return ::unlink(path.c_str()) < 0 ? -errno : 0;
}

int PosixFileSystem::status(const std::string& path, struct stat& info, bool followLinks) {
    const int result = followLinks ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info);
    return result < 0 ? -errno : 0;
}

int PosixFileSystem::statusOf(int fd, struct stat& info) {
    return ::fstat(fd, &info) < 0 ? -errno : 0;
}

int PosixFileSystem::truncate(int fd, off_t size) {
    return retryOnInterrupt([&] { return ::ftruncate(fd, size); });
}

int PosixFileSystem::linkUnnamed(int fd, const std::string& path) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) < 0 ? -errno
                                                                                           : 0;
}

int PosixFileSystem::syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return -errno;
    }
    int result = ::fsync(fd) < 0 ? -errno : 0;
    ::close(fd);
    // Some file systems cannot sync a folder; they give no better guarantee to ask for.
    return result == -EINVAL || result == -EROFS ? 0 : result;
}

int PosixFileSystem::listFolder(const std::string& folder, std::vector<std::string>& names) {
    names.clear();
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return -errno;
    }
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..") {
            names.emplace_back(name);
        }
    }
    const int result = -errno;
    ::closedir(dir);
    return result;
}

int PosixFileSystem::access(const std::string& path, int mode) {
    return ::faccessat(AT_FDCWD, path.c_str(), mode, AT_EACCESS) < 0 ? -errno : 0;
}

off_t PosixFileSystem::seekData(int fd, off_t from) {
    const off_t result = ::lseek(fd, from, SEEK_DATA);
    return result < 0 ? -errno : result;
}

int PosixFileSystem::makeFolder(const std::string& path, mode_t mode) {
    return ::mkdir(path.c_str(), mode) < 0 ? -errno : 0;
}

void clearNonBlocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) {
        (void)::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    }
}

FileSystem& fileSystem() {
    return *g_current;
}

ScopedFileSystem::ScopedFileSystem(FileSystem& replacement) : m_previous(g_current) {
    g_current = &replacement;
}

ScopedFileSystem::~ScopedFileSystem() {
    g_current = m_previous;
}

}  // namespace quorvia::platform
