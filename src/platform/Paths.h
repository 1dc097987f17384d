// Paths as this platform spells them.
#pragma once

#include <string>
#include <string_view>

namespace quorvia::platform {

// The text behind the last "/" of a path, or the whole path when it has none.
std::string_view fileNamePart(std::string_view path);
// The folder a path names a file in: the text before the last "/", "/" for a file in the root,
// "." for a bare name.
std::string folderPart(std::string_view path);

// folder + "/" + name, used unchanged (a folder "/" gives "//name").
std::string joinPath(const std::string& folder, const std::string& name);

// The process's current directory as the system reports it (no trailing "/" except for "/").
// Throws the text-file error when it cannot be read (for example when it was deleted).
std::string currentDirectory();

// Whether the path holds a line break, which no one-line record of it (a settings file, an
// install script) can keep.
bool holdsLineBreak(std::string_view path);

// Whether the path begins at the root.
bool isAbsolutePath(const std::string& path);
// `path` as it stands when it is absolute, else taken from the folder `from`.
std::string absolutePath(const std::string& path, const std::string& from);

// The path from the root with every link resolved, the file's own too (also a link to a file
// not made yet), so that two spellings of one file give the same text; the path as it is when
// it cannot be resolved.
std::string fullPath(const std::string& path);

// Sixteen hex digits that tell texts apart, for names made from them (FNV-1a).
std::string hexHash(std::string_view text);

// Where the program keeps what lives between its runs but is no user's document:
// $XDG_STATE_HOME/quorvia, by default ~/.local/state/quorvia. Empty when neither is known.
std::string stateFolder();

}  // namespace quorvia::platform
