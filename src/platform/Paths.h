// Paths as this platform spells them.
#pragma once

#include <string>
#include <string_view>

namespace quorvia::platform {

// The text behind the last "/" of a path, or the whole path when it has none.
std::string_view fileNamePart(std::string_view path);

// folder + "/" + name, used unchanged (a folder "/" gives "//name").
std::string joinPath(const std::string& folder, const std::string& name);

// The process's current directory as the system reports it (no trailing "/" except for "/").
// Throws the text-file error when it cannot be read (for example when it was deleted).
std::string currentDirectory();

}  // namespace quorvia::platform
