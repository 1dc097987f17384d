// A file system that passes every call to the real one but can make the Nth call of one kind
// fail with a chosen error (or throw std::bad_alloc), and counts the calls of each kind.
#pragma once

#include <array>
#include <cerrno>
#include <set>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace quorvia::testing {

enum class FileCall {
    OpenToRead,
    Read,
    Create,
    Allocate,
    Write,
    Sync,
    Close,
    Rename,
    Remove,
    Truncate,
    Link,
    SyncFolder,
    Access,
    MakeFolder,
    Count
};

class FaultyFileSystem final : public platform::FileSystem {
public:
    FaultyFileSystem();
    ~FaultyFileSystem() override;

    // Makes call number `nth` (from 1) of `kind` fail with `error`; 0 disarms. Closes count only
    // for files opened for writing.
    void failAt(FileCall kind, int nth, int error = EIO);
    // One more failing call beside those of failAt().
    void alsoFailAt(FileCall kind, int nth, int error = EIO);
    // Makes call number `nth` of `kind` throw std::bad_alloc, as an allocation made while
    // serving it would.
    void runOutOfMemoryAt(FileCall kind, int nth);
    int calls(FileCall kind) const { return m_calls[static_cast<size_t>(kind)]; }
    bool fired() const { return m_fired; }
    // The paths of every remove, in order.
    const std::vector<std::string>& removed() const { return m_removed; }

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

private:
    bool shouldFail(FileCall kind);

    platform::PosixFileSystem m_real;
    platform::ScopedFileSystem m_installed;
    std::array<int, static_cast<size_t>(FileCall::Count)> m_calls{};
    struct Fault {
        FileCall kind;
        int nth;
        int error;
        bool outOfMemory;
    };
    std::vector<Fault> m_faults;
    int m_error = EIO;  // that of the fault that fired last
    bool m_fired = false;
    std::vector<std::string> m_removed;
    std::set<int> m_writing;  // descriptors of files opened for writing
};

}  // namespace quorvia::testing
