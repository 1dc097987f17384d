// The file-system calls of the program. Everything that touches a file goes through the current
// FileSystem, so that tests can install one that fails a chosen call.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <string>

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
};

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
