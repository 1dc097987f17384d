// The export for the phone: the phone database file ("level;record" per node below the root),
// the package script "qv.pkg" and the install package built from them.
#pragma once

#include <string>
#include <string_view>

#include "model/Tree.h"
#include "platform/UserPrompts.h"

namespace quorvia::exporting {

inline constexpr const char* kPackageScript = "qv.pkg";
// The outside package builder, and the name it goes by where there is no ".exe".
inline constexpr const char* kBuilder = "makesis.exe";
inline constexpr const char* kBuilderWithoutExtension = "makesis";

// The four lines of the package script for the phone database file at `exported`.
std::string packageScript(const std::string& exported);

// The install package's path: `exported` with its extension (if its file name has one) replaced
// by ".sis".
std::string installPackagePath(const std::string& exported);

// Export steps before the package is built: the phone database file at `exported` and the
// package script in the current directory. Returns the phone database file's bytes.
std::string writeExportFiles(const model::Tree& records, const std::string& exported);

// The export command: asks for the phone database file's path, writes it and the package script,
// builds the install package beside it (with the outside builder when one is installed, else
// with the built-in one) and deletes the script and the phone database file. When no package
// comes of it, a warning says why and the phone database file is kept.
void exportPhoneDatabase(const model::Tree& records, platform::UserPrompts& prompts);

}  // namespace quorvia::exporting
