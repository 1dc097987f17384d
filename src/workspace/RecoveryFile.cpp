#include "workspace/RecoveryFile.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "model/DatabaseFile.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

namespace quorvia::workspace {

namespace {

// The first line of every recovery file. The second has a fixed width, so that it can be
// rewritten in place: "C" (current) or "S" (stale), the time the data was kept and the time of
// the window's last change. Then the path's length and the path, the source file's identity
// and digest ("-" when not known), and the database file's bytes.
constexpr std::string_view kMagic = "Quorvia recovery data 2\n";
// What the version before wrote: the time, the path's length and the path, then the bytes.
constexpr std::string_view kFirstMagic = "Quorvia recovery data 1\n";
constexpr size_t kStateLine = 44;
// Enough for the header of any file whose path is of a usual length.
constexpr size_t kHeaderGuess = 8192;

std::string stateLine(bool stale, std::time_t keptAt, std::time_t lastChangeAt) {
    char line[kStateLine + 1];
    std::snprintf(line, sizeof line, "%c %020lld %020lld\n", stale ? 'S' : 'C',
                  static_cast<long long>(keptAt), static_cast<long long>(lastChangeAt));
    return line;
}

// A field of the header: negative values (a time before 1970) go through as their unsigned
// twins and come back whole.
template <typename Value>
std::string field(Value value, char end) {
    return std::to_string(static_cast<std::uint64_t>(value)) + end;
}

std::string sourceLines(const std::optional<SourceFile>& source) {
    std::string lines = "-\n";
    if (const auto& identity = source ? source->identity : std::nullopt) {
        lines = field(identity->device, ' ') + field(identity->inode, ' ') +
                field(identity->size, ' ') + field(identity->modifiedSeconds, ' ') +
                field(identity->modifiedNanoseconds, ' ') + field(identity->changedSeconds, ' ') +
                field(identity->changedNanoseconds, '\n');
    }
    const auto& digest = source ? source->digest : std::nullopt;
    return lines + (digest ? field(digest->size, ' ') + field(digest->hash, '\n') : "-\n");
}

// Reads the header's fields one by one; any field that is not as written fails the whole.
class HeaderReader final {
public:
    explicit HeaderReader(std::string_view text) : m_text(text) {}

    bool skip(std::string_view expected) {
        m_ok = m_ok && m_text.substr(0, expected.size()) == expected;
        m_text.remove_prefix(m_ok ? expected.size() : 0);
        return m_ok;
    }
    // A decimal number ended by `end`.
    std::uint64_t number(char end) {
        const auto stop = m_text.find(end);
        m_ok = m_ok && stop != 0 && stop != std::string_view::npos && stop <= 20 &&
               m_text.substr(0, stop).find_first_not_of("0123456789") == std::string_view::npos;
        if (!m_ok) {
            return 0;
        }
        const std::uint64_t value = std::stoull(std::string(m_text.substr(0, stop)));
        m_text.remove_prefix(stop + 1);
        return value;
    }
    std::string text(size_t length) {
        m_ok = m_ok && m_text.size() > length && m_text[length] == '\n';
        std::string taken = m_ok ? std::string(m_text.substr(0, length)) : std::string();
        m_text.remove_prefix(m_ok ? length + 1 : 0);
        return taken;
    }
    bool absent() { return m_ok && m_text.substr(0, 2) == "-\n" && skip("-\n"); }
    bool ok() const { return m_ok; }
    size_t left() const { return m_text.size(); }

private:
    std::string_view m_text;
    bool m_ok = true;
};

std::optional<SourceFile> readSource(HeaderReader& reader) {
    SourceFile source;
    if (!reader.absent()) {
        platform::FileIdentity identity;
        identity.device = static_cast<dev_t>(reader.number(' '));
        identity.inode = static_cast<ino_t>(reader.number(' '));
        identity.size = static_cast<off_t>(reader.number(' '));
        identity.modifiedSeconds = static_cast<long long>(reader.number(' '));
        identity.modifiedNanoseconds = static_cast<long>(reader.number(' '));
        identity.changedSeconds = static_cast<long long>(reader.number(' '));
        identity.changedNanoseconds = static_cast<long>(reader.number('\n'));
        source.identity = identity;
    }
    if (!reader.absent()) {
        const auto size = static_cast<off_t>(reader.number(' '));
        source.digest = platform::FileDigest{size, reader.number('\n')};
    }
    return source;
}

// The header of `bytes` (the whole file or its start); `length` tells how much of `bytes` it
// took, or, when `bytes` ended too soon, how much more to read is needed at least.
std::optional<RecoveryHeader> parseHeader(std::string_view bytes, size_t& length) {
    const bool current = bytes.substr(0, kMagic.size()) == kMagic;
    if (!current && bytes.substr(0, kFirstMagic.size()) != kFirstMagic) {
        return std::nullopt;
    }
    HeaderReader reader(bytes);
    reader.skip(current ? kMagic : kFirstMagic);
    RecoveryHeader header;
    if (current) {
        header.stale = bytes.substr(kMagic.size(), 2) == "S ";
        reader.skip(header.stale ? "S " : "C ");
        header.keptAt = static_cast<std::time_t>(reader.number(' '));
        header.lastChangeAt = static_cast<std::time_t>(reader.number('\n'));
    } else {
        header.keptAt = header.lastChangeAt = static_cast<std::time_t>(reader.number('\n'));
    }
    const size_t pathLength = reader.number('\n');
    header.path = reader.text(pathLength);
    if (current) {
        header.source = readSource(reader);
    }
    length = reader.ok() ? bytes.size() - reader.left() : pathLength + kHeaderGuess;
    return reader.ok() ? std::optional<RecoveryHeader>(header) : std::nullopt;
}

}  // namespace

std::string formatRecoveryFile(const RecoveryHeader& header, const model::Tree& records) {
    std::string content = std::string(kMagic) +
                          stateLine(header.stale, header.keptAt, header.lastChangeAt) +
                          std::to_string(header.path.size()) + "\n" + header.path + "\n" +
                          sourceLines(header.source);
    content += model::formatDatabase(records);
    return content;
}

int markStale(const std::string& file, std::time_t lastChangeAt) {
    const auto header = readRecoveryHeader(file);
    if (!header || !header->source) {
        return EINVAL;
    }
    const std::string start = std::string(kMagic) + stateLine(true, header->keptAt, lastChangeAt);
    platform::FileSystem& files = platform::fileSystem();
    const int fd = files.open(file, O_WRONLY, 0);
    if (fd < 0) {
        return -fd;
    }
    // The bytes written over are as many as those there: the file needs no room it has not.
    const ssize_t written = files.write(fd, start.data(), start.size());
    const int closed = files.close(fd);
    if (written < 0) {
        return static_cast<int>(-written);
    }
    return static_cast<size_t>(written) != start.size() ? EIO : -closed;
}

std::optional<RecoveryHeader> readRecoveryHeader(const std::string& file) {
    std::string bytes;
    size_t length = 0;
    for (size_t most = kHeaderGuess; platform::readFileStart(file, most, bytes) == 0;) {
        const auto header = parseHeader(bytes, length);
        if (header || bytes.size() < most || length <= most) {
            return header;
        }
        most = length;
    }
    return std::nullopt;
}

std::shared_ptr<const std::string> readRecoveredDatabase(const std::string& file) {
    std::string bytes;
    size_t length = 0;
    if (platform::readWholeFile(file, bytes) != 0 || !parseHeader(bytes, length)) {
        return nullptr;
    }
    bytes.erase(0, length);
    return std::make_shared<const std::string>(std::move(bytes));
}

bool changedSince(const SourceFile& source, const std::string& path) {
    const auto now = platform::fileIdentity(path);
    if (!now) {
        return false;
    }
    if (!source.identity) {
        return true;
    }
    if (*now == *source.identity) {
        return false;
    }
    // Touched, copied back or written by another window with the same bytes: unchanged.
    platform::FileDigest digest;
    return !source.digest || now->size != source.digest->size ||
           platform::digestFile(path, digest) != 0 || !(digest == *source.digest);
}

bool claimLeftChanges(LeftChanges& left, const FileKey& key, const WindowName& by) {
    std::string claimed = recoveryFile(key, windowOf(by.process, by.start));
    // A rename is the one step only one window can win.
    if (platform::fileSystem().rename(left.file, claimed) != 0) {
        return false;
    }
    left.file = std::move(claimed);
    return true;
}

std::vector<LeftChanges> findLeftChanges(const FileKey& key,
                                         const std::function<bool(const WindowName&)>& isGone,
                                         const std::vector<std::string>& skipped) {
    std::vector<LeftChanges> found;
    const std::string folder = platform::stateFolder();
    std::vector<std::string> names;
    if (folder.empty() || platform::fileSystem().listFolder(folder, names) != 0) {
        return found;
    }
    for (const std::string& name : names) {
        const auto window = recoveryFileWindow(name);
        const std::string file = platform::joinPath(folder, name);
        if (!window || !isGone(*window) ||
            std::find(skipped.begin(), skipped.end(), file) != skipped.end()) {
            continue;
        }
        auto header = readRecoveryHeader(file);
        if (!header) {
            continue;
        }
        // Another name of the same file, as long as the file is the one the data was made from.
        const auto& source = header->source;
        const bool sameNode = key.node && source && source->identity &&
                              source->identity->device == key.node->first &&
                              source->identity->inode == key.node->second &&
                              !changedSince(*source, key.path);
        if (header->path == key.path || sameNode) {
            found.push_back(LeftChanges{file, *window, std::move(*header)});
        }
    }
    std::sort(found.begin(), found.end(), [](const LeftChanges& a, const LeftChanges& b) {
        return a.header.keptAt > b.header.keptAt;
    });
    return found;
}

}  // namespace quorvia::workspace
