// The file-system calls of the program. Everything that touches a file goes through the current
// FileSystem, so that tests can install one that fails a chosen call.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <string>
#include <vector>

namespace quorvia::platform {

// Thin wrappers over the POSIX calls; every result is either the POSIX result or -errno.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    virtual int open(const std::string& path, int flags, mode_t mode) = 0;
    virtual ssize_t read(int fd, char* buffer, size_t size) = 0;
    virtual ssize_t write(int fd, const char* data, size_t size) = 0;
    virtual int sync(int fd) = 0;
    // Reserves disk space for `size` bytes without changing the file's size.
    virtual int allocate(int fd, off_t size) = 0;
    virtual int close(int fd) = 0;
    virtual int rename(const std::string& from, const std::string& to) = 0;
    virtual int remove(const std::string& path) = 0;
    // stat() when followLinks, lstat() otherwise.
    virtual int status(const std::string& path, struct stat& info, bool followLinks) = 0;
    // fstat(): what an open descriptor really is, whatever its path names by now.
    virtual int statusOf(int fd, struct stat& info) = 0;
    // ftruncate().
    virtual int truncate(int fd, off_t size) = 0;
    // Gives a file opened with O_TMPFILE the name `path` (linkat through /proc/self/fd).
    virtual int linkUnnamed(int fd, const std::string& path) = 0;
    // Flushes a folder's entries, so that a rename in it survives a power loss.
    virtual int syncFolder(const std::string& folder) = 0;
    // The names in a folder, "." and ".." left out.
    virtual int listFolder(const std::string& folder, std::vector<std::string>& names) = 0;
    // faccessat() with the effective ids: whether the process may `mode` (R_OK, W_OK...) the path.
    virtual int access(const std::string& path, int mode) = 0;
    // lseek(SEEK_DATA): the offset of the next byte at or after `from` that is not in a hole.
    virtual off_t seekData(int fd, off_t from) = 0;
    // mkdir().
    virtual int makeFolder(const std::string& path, mode_t mode) = 0;
};

// The operating system's own calls.
class PosixFileSystem : public FileSystem {
public:
    int open(const std::string& path, int flags, mode_t mode) override;
    ssize_t read(int fd, char* buffer, size_t size) override;
    ssize_t write(int fd, const char* data, size_t size) override;
    int sync(int fd) override;
    int allocate(int fd, off_t size) override;
    int close(int fd) override;
    int rename(const std::string& from, const std::string& to) override;
    int remove(const std::string& path) override;
    int status(const std::string& path, struct stat& info, bool followLinks) override;
    int statusOf(int fd, struct stat& info) override;
    int truncate(int fd, off_t size) override;
    int linkUnnamed(int fd, const std::string& path) override;
    int syncFolder(const std::string& folder) override;
    int listFolder(const std::string& folder, std::vector<std::string>& names) override;
    int access(const std::string& path, int mode) override;
    off_t seekData(int fd, off_t from) override;
    int makeFolder(const std::string& path, mode_t mode) override;
};

// Makes a descriptor opened with O_NONBLOCK (so that opening a pipe cannot wait for its other
// end) block again for its reads and writes.
void clearNonBlocking(int fd);

// The file system in use: the POSIX one unless a test has installed another.
FileSystem& fileSystem();

// Installs another file system for the lifetime of the guard (tests only).
class ScopedFileSystem final {
public:
    explicit ScopedFileSystem(FileSystem& replacement);
    ~ScopedFileSystem();
    ScopedFileSystem(const ScopedFileSystem&) = delete;
    ScopedFileSystem& operator=(const ScopedFileSystem&) = delete;

private:
    FileSystem* m_previous;
};

}  // namespace quorvia::platform
