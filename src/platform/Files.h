// Whole-file reading and safe replacement of files, on top of the file-system seam.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvia::platform {

// What tells one state of a file from another: a write changes its size or times, a
// replacement its inode. Times are kept to the nanosecond the file system records.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long modifiedSeconds = 0;
    long modifiedNanoseconds = 0;
    long long changedSeconds = 0;
    long changedNanoseconds = 0;

    bool operator==(const FileIdentity& other) const;
    bool operator!=(const FileIdentity& other) const { return !(*this == other); }
};

// The identity of the file a path names now (links followed); none when there is none, or
// when the path names a folder.
std::optional<FileIdentity> fileIdentity(const std::string& path);

// Makes the folder and any missing folder above it; the last one gets `mode` even when it
// existed. Returns 0, or the errno of the failing call (ENOTDIR when a file stands in its place).
[[nodiscard]] int makeFolders(const std::string& path, mode_t mode);

// An existing entry that is not a folder (what the program calls "the file exists").
bool fileExists(const std::string& path);

// Removes the file; the result is ignored, as every caller ignores it.
void deleteFile(const std::string& path);

// Backs the reserved room of a large buffer with huge pages where the system offers them: a
// buffer of tens of MB then costs a few dozen page faults instead of thousands.
void preferHugePages(std::string& buffer);

// Reads the whole file into `content`. Returns 0, or the errno of the failing call. Only a
// regular file is read: a folder gives EISDIR, a pipe, device or socket EACCES, at once.
[[nodiscard]] int readWholeFile(const std::string& path, std::string& content);

// Reads at most the first `most` bytes of a regular file. Returns 0, or the errno of the failing
// call (EISDIR, EACCES as readWholeFile).
[[nodiscard]] int readFileStart(const std::string& path, size_t most, std::string& content);

// What a file's bytes were: their number and a hash of them, so that a later look can tell
// whether they are still the same.
struct FileDigest {
    off_t size = 0;
    std::uint64_t hash = 0;

    bool operator==(const FileDigest& other) const {
        return size == other.size && hash == other.hash;
    }
};

// Reads a regular file in pieces and digests its bytes. Returns 0, or the errno of the failing
// call.
[[nodiscard]] int digestFile(const std::string& path, FileDigest& digest);

// Reads a regular file up to its first NUL, and no further into memory: `content` holds the
// bytes before the NUL, `textAfterNul` tells whether any byte other than NUL, CR or LF follows
// it. Finding that out reads the rest of the file in fixed-size pieces, skipping the holes of a
// sparse file, and stops at the first such byte. Returns 0, or the errno of the failing call
// (EISDIR, EACCES as readWholeFile).
[[nodiscard]] int readTextBeforeNul(const std::string& path, std::string& content,
                                    bool& textAfterNul);

// A file replaced in one safe step: the bytes go to a temporary file in the same folder, which
// commit() flushes, renames over the target and makes durable by syncing the folder. Until then
// the target is as it was; a replacement that is not committed leaves no temporary file.
// The temporary file is unnamed where the file system allows (so not even a killed process
// leaves it behind), else it has a short random name; every commit removes the temporaries
// that earlier, unfinished saves of the same target left. When no file can be made beside the
// target (a folder that refuses new entries, a name too long for it), the target is written in
// place: it keeps its old bytes until the new ones are written over them, and is then cut to
// their length, so reserve() can fail on a full disk before anything changed.
// A device (such as /dev/full) is written in place; a link is followed; an existing file keeps
// its permissions unless `mode` is given, which the file then gets whatever it had.
class FileReplacement final {
public:
    explicit FileReplacement(std::string path, std::optional<mode_t> mode = std::nullopt);
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Each returns 0, or the errno of the failing call.
    [[nodiscard]] int create();
    // Reserves the disk space of a file of `size` bytes, so that a file too large for the disk
    // fails at once rather than after filling it.
    [[nodiscard]] int reserve(off_t size);
    [[nodiscard]] int write(std::string_view data);
    [[nodiscard]] int commit();

private:
    enum class Way { Replace, InPlace, Device };

    // Each returns 0 or -errno.
    int createTemporary(mode_t mode);
    int openInPlace(mode_t mode, bool exists);
    int nameUnnamedFile();
    void removeLeftovers();
    void abandon();

    std::string m_path;
    std::optional<mode_t> m_mode;
    std::string m_target;        // the file finally replaced
    std::string m_folder;        // its folder, "." for a bare name
    std::string m_folderPrefix;  // what goes in front of a name in that folder
    std::string m_temporary;     // empty while unnamed and when writing in place
    Way m_way = Way::Replace;
    int m_fd = -1;
    off_t m_written = 0;
    bool m_createdInPlace = false;  // removed again unless committed
    bool m_committed = false;
};

// Replaces the file at `path` with `content` through a FileReplacement, reserving the space
// first. On failure no temporary file is left behind and, unless the target had to be written
// in place and the disk failed midway, the old file is as it was.
// Returns 0, or the errno of the failing call; `failedAtCreate` tells whether the file could
// not even be created. `mode`: as for FileReplacement.
[[nodiscard]] int replaceFile(const std::string& path, std::string_view content,
                              bool* failedAtCreate = nullptr,
                              std::optional<mode_t> mode = std::nullopt);

}  // namespace quorvia::platform
