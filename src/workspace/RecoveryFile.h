// The recovery file: a header that says when the changes were kept, whether later ones could
// not be, and which database file, as it was then, they were made from; then the record tree as
// the database file would hold it. Also the search for the data kept for one database.
#pragma once

#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/Tree.h"
#include "platform/Files.h"
#include "workspace/StateFiles.h"

namespace quorvia::workspace {

// The database file the changes were made from: the file as the guard last saw it (none when
// there was no file) and, when known, what its bytes were.
struct SourceFile {
    std::optional<platform::FileIdentity> identity;
    std::optional<platform::FileDigest> digest;
};

struct RecoveryHeader {
    std::time_t keptAt = 0;
    // The window's last change; a later one than the data holds when `stale`.
    std::time_t lastChangeAt = 0;
    bool stale = false;
    std::string path;  // the database's full path
    // None for data of an older version of the program, which did not record it.
    std::optional<SourceFile> source;
};

// Data kept for a database by a window that is gone or left it.
struct LeftChanges {
    std::string file;
    WindowName window;
    RecoveryHeader header;
};

// The whole file for a tree.
std::string formatRecoveryFile(const RecoveryHeader& header, const model::Tree& records);
// Marks the data as older than the window's last change, rewriting only the header's first
// bytes, so that even a full disk takes it. Returns 0, or the errno of the failure.
int markStale(const std::string& file, std::time_t lastChangeAt);

std::optional<RecoveryHeader> readRecoveryHeader(const std::string& file);
// The database file's bytes the recovery file holds; none when it cannot be read.
std::shared_ptr<const std::string> readRecoveredDatabase(const std::string& file);

// Whether the database file at `path` is no longer the one the changes were made from: it
// changed, or came into being, since. A file that is gone holds nothing to lose.
bool changedSince(const SourceFile& source, const std::string& path);

// Makes the data the window `by`'s before its question is asked, so that no other window offers
// it meanwhile (a window that ends before the answer leaves it to the next). False when another
// window took it first.
bool claimLeftChanges(LeftChanges& left, const FileKey& key, const WindowName& by);

// Every recovery file kept for the database `key` whose window `isGone` says is gone, newest
// first; `skipped` files are left out.
std::vector<LeftChanges> findLeftChanges(const FileKey& key,
                                         const std::function<bool(const WindowName&)>& isGone,
                                         const std::vector<std::string>& skipped);

}  // namespace quorvia::workspace
