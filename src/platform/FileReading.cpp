// Reading files through the file-system seam: whole, up to a NUL, their start, or only as a
// digest of their bytes.
#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Files.h"

namespace quorvia::platform {

namespace {

// Reads are made in pieces of this size, so that memory follows the text actually kept.
constexpr size_t kReadPiece = size_t{1} << 20;
// A file's size is only a hint: a sparse file may claim far more than it holds.
constexpr size_t kLargestSizeHint = size_t{64} << 20;

// A regular file open for reading through the seam, closed however the reading ends, an
// exception included. Anything but a regular file is refused, since a pipe or a device may
// never end.
class RegularFile final {
public:
    explicit RegularFile(const std::string& path) : m_files(fileSystem()) {
        // Without O_NONBLOCK, opening a pipe waits for a writer that may never come.
        m_fd = m_files.open(path, O_RDONLY | O_NONBLOCK, 0);
        struct stat info {};
        int result = m_fd < 0 ? m_fd : m_files.statusOf(m_fd, info);
        if (result == 0 && !S_ISREG(info.st_mode)) {
            result = S_ISDIR(info.st_mode) ? -EISDIR : -EACCES;
        }
        if (result != 0 && m_fd >= 0) {
            (void)m_files.close(m_fd);
        }
        if (result != 0) {
            m_fd = result;
            return;
        }
        clearNonBlocking(m_fd);
        m_size = info.st_size;
    }
    ~RegularFile() {
        if (m_fd >= 0) {
            (void)m_files.close(m_fd);
        }
    }
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    // 0, or the errno of the failed opening.
    int error() const { return m_fd < 0 ? -m_fd : 0; }
    int fd() const { return m_fd; }
    off_t size() const { return m_size; }

private:
    FileSystem& m_files;
    int m_fd = -1;
    off_t m_size = 0;
};

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

}  // namespace

int readWholeFile(const std::string& path, std::string& content) {
    FileSystem& files = fileSystem();
    content.clear();
    const RegularFile file(path);
    if (file.error() != 0) {
        return file.error();
    }
    const int fd = file.fd();
    content.reserve(static_cast<size_t>(file.size()));
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
    const RegularFile file(path);
    if (file.error() != 0) {
        return file.error();
    }
    content.reserve(std::min(static_cast<size_t>(file.size()), kLargestSizeHint));
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

int readFileStart(const std::string& path, size_t most, std::string& content) {
    FileSystem& files = fileSystem();
    content.clear();
    const RegularFile file(path);
    if (file.error() != 0) {
        return file.error();
    }
    content.resize(std::min(most, static_cast<size_t>(file.size())));
    size_t filled = 0;
    while (filled < content.size()) {
        const ssize_t got =
            files.read(file.fd(), content.data() + filled, content.size() - filled);
        if (got < 0) {
            content.clear();
            return static_cast<int>(-got);
        }
        if (got == 0) {
            break;
        }
        filled += static_cast<size_t>(got);
    }
    content.resize(filled);
    return 0;
}

int digestFile(const std::string& path, FileDigest& digest) {
    FileSystem& files = fileSystem();
    const RegularFile file(path);
    if (file.error() != 0) {
        return file.error();
    }
    // Eight bytes at a time, each word mixed in by a multiplication: a change anywhere moves the
    // whole hash. It tells versions of one file apart; it is no defence against forgery.
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;
    std::uint64_t hash = 0x243F6A8885A308D3ULL;
    std::uint64_t length = 0;
    std::vector<char> piece(kReadPiece);
    size_t kept = 0;  // bytes of an unfinished word at the piece's start
    for (;;) {
        const ssize_t got = files.read(file.fd(), piece.data() + kept, piece.size() - kept);
        if (got < 0) {
            return static_cast<int>(-got);
        }
        const size_t filled = kept + static_cast<size_t>(got);
        const size_t words = got == 0 ? (filled + 7) / 8 : filled / 8;
        for (size_t i = 0; i < words; ++i) {
            std::uint64_t word = 0;
            std::memcpy(&word, piece.data() + 8 * i, std::min<size_t>(8, filled - 8 * i));
            hash = (hash ^ word) * kMultiplier;
            hash ^= hash >> 29;
        }
        length += static_cast<std::uint64_t>(got);
        if (got == 0) {
            break;
        }
        kept = filled - 8 * words;
        std::memmove(piece.data(), piece.data() + 8 * words, kept);
    }
    digest = FileDigest{static_cast<off_t>(length), hash ^ length};
    return 0;
}

}  // namespace quorvia::platform
