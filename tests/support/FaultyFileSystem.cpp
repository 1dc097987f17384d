#include "support/FaultyFileSystem.h"

#include <fcntl.h>

#include <new>

namespace quorvia::testing {

FaultyFileSystem::FaultyFileSystem() : m_installed(*this) {}
FaultyFileSystem::~FaultyFileSystem() = default;

void FaultyFileSystem::failAt(FileCall kind, int nth, int error) {
    m_faults.clear();
    m_fired = false;
    m_calls.fill(0);
    alsoFailAt(kind, nth, error);
}

void FaultyFileSystem::alsoFailAt(FileCall kind, int nth, int error) {
    m_faults.push_back(Fault{kind, nth, error, false});
}

void FaultyFileSystem::runOutOfMemoryAt(FileCall kind, int nth) {
    failAt(kind, nth);
    m_faults.back().outOfMemory = true;
}

bool FaultyFileSystem::shouldFail(FileCall kind) {
    const int call = ++m_calls[static_cast<size_t>(kind)];
    for (const Fault& fault : m_faults) {
        if (fault.kind == kind && fault.nth == call) {
            m_fired = true;
            if (fault.outOfMemory) {
                throw std::bad_alloc();
            }
            m_error = fault.error;
            return true;
        }
    }
    return false;
}

int FaultyFileSystem::open(const std::string& path, int flags, mode_t mode) {
    const bool writing = (flags & (O_WRONLY | O_RDWR | O_CREAT)) != 0;
    if (shouldFail(writing ? FileCall::Create : FileCall::OpenToRead)) {
        return -m_error;
    }
    const int fd = m_real.open(path, flags, mode);
    if (writing && fd >= 0) {
        m_writing.insert(fd);
    }
    return fd;
}

ssize_t FaultyFileSystem::read(int fd, char* buffer, size_t size) {
    return shouldFail(FileCall::Read) ? -m_error : m_real.read(fd, buffer, size);
}

ssize_t FaultyFileSystem::write(int fd, const char* data, size_t size) {
    return shouldFail(FileCall::Write) ? -m_error : m_real.write(fd, data, size);
}

int FaultyFileSystem::sync(int fd) {
    return shouldFail(FileCall::Sync) ? -m_error : m_real.sync(fd);
}

int FaultyFileSystem::allocate(int fd, off_t size) {
    return shouldFail(FileCall::Allocate) ? -m_error : m_real.allocate(fd, size);
}

int FaultyFileSystem::close(int fd) {
    const int result = m_real.close(fd);
    // Only the close of a written file can lose data; a read file's close is not counted.
    if (m_writing.erase(fd) == 0) {
        return result;
    }
    return shouldFail(FileCall::Close) ? -m_error : result;
}

int FaultyFileSystem::rename(const std::string& from, const std::string& to) {
    return shouldFail(FileCall::Rename) ? -m_error : m_real.rename(from, to);
}

int FaultyFileSystem::remove(const std::string& path) {
    m_removed.push_back(path);
    return shouldFail(FileCall::Remove) ? -m_error : m_real.remove(path);
}

int FaultyFileSystem::status(const std::string& path, struct stat& info, bool followLinks) {
    return m_real.status(path, info, followLinks);
}

int FaultyFileSystem::statusOf(int fd, struct stat& info) {
    return m_real.statusOf(fd, info);
}

int FaultyFileSystem::truncate(int fd, off_t size) {
    return shouldFail(FileCall::Truncate) ? -m_error : m_real.truncate(fd, size);
}

int FaultyFileSystem::linkUnnamed(int fd, const std::string& path) {
    return shouldFail(FileCall::Link) ? -m_error : m_real.linkUnnamed(fd, path);
}

int FaultyFileSystem::syncFolder(const std::string& folder) {
    return shouldFail(FileCall::SyncFolder) ? -m_error : m_real.syncFolder(folder);
}

int FaultyFileSystem::listFolder(const std::string& folder, std::vector<std::string>& names) {
    return m_real.listFolder(folder, names);
}

int FaultyFileSystem::access(const std::string& path, int mode) {
    return shouldFail(FileCall::Access) ? -m_error : m_real.access(path, mode);
}

off_t FaultyFileSystem::seekData(int fd, off_t from) {
    return m_real.seekData(fd, from);
}

int FaultyFileSystem::makeFolder(const std::string& path, mode_t mode) {
    return shouldFail(FileCall::MakeFolder) ? -m_error : m_real.makeFolder(path, mode);
}

}  // namespace quorvia::testing
