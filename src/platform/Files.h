// Whole-file reading and safe replacement of files, on top of the file-system seam.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

namespace quorvia::platform {

// An existing entry that is not a folder (what the program calls "the file exists").
bool fileExists(const std::string& path);

// Removes the file; the result is ignored, as every caller ignores it.
void deleteFile(const std::string& path);

// Reads the whole file into `content`. Returns 0, or the errno of the failing call.
[[nodiscard]] int readWholeFile(const std::string& path, std::string& content);

// A file replaced in one safe step: the bytes go to a temporary file in the same folder, which
// commit() flushes and renames over the target. Until then the target is as it was; a
// replacement that is not committed removes its temporary file. A device (such as /dev/full) is
// written in place; a link is followed; an existing file keeps its permissions.
class FileReplacement final {
public:
    explicit FileReplacement(std::string path);
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
    void abandon();

    std::string m_path;
    std::string m_target;     // the file finally replaced
    std::string m_temporary;  // empty when writing in place
    int m_fd = -1;
    bool m_committed = false;
};

// Replaces the file at `path` with `content` so that a failure never leaves a half-written file:
// the bytes go to a temporary file in the same folder, which is flushed and renamed over the
// target. An existing file keeps its permissions; a link is followed; a device (such as
// /dev/full) is written in place. On failure no temporary file is left behind.
// Returns 0, or the errno of the failing call; `failedAtCreate` tells whether the file could
// not even be created.
[[nodiscard]] int replaceFile(const std::string& path, std::string_view content,
                              bool* failedAtCreate = nullptr);

}  // namespace quorvia::platform
