// The text-file error messages by number, and the mapping of this platform's error codes
// onto those numbers.
#pragma once

#include <string>

#include "platform/Error.h"

namespace quorvia::platform {

// What the program was doing when the error came: creating a file turns a missing folder into
// the "bad file name" number, as a missing path does for the other system.
enum class FileAction { Read, Create };

// The number of a bad file name: "Nom de fichier incorrect".
inline constexpr int kBadFileName = 3;

// The system's error number for an errno value that has an equivalent, else 0.
int fileErrorNumber(int errnoValue, FileAction action);

// "Fichier introuvable" and friends; any other number gives "Erreur E/S <n>".
std::string textFileMessage(int errorNumber);

// The error a failed text-file operation raises: the message of the equivalent number, or
// "Erreur E/S <errno>".
Error textFileError(int errnoValue, FileAction action);

// The system's own description of an errno value ("No space left on device").
std::string systemErrorText(int errnoValue);

// Raises the text-file error of a failed file operation (errno value not 0).
void raiseOnFailure(int errnoValue, FileAction action);

}  // namespace quorvia::platform
