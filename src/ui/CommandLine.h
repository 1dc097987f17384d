// The program's command line, read before any window exists: quorvia [--codepage NAME]
// [--desktop] [FILE], --help and --version. Reading it needs no display.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <string_view>

namespace quorvia::ui {

// What the program starts with.
struct StartOptions {
    // The database to open instead of the settings file's, as given (the workspace makes it
    // absolute).
    std::optional<std::string> databasePath;
    // Empty for the default code page.
    QString codePage;
    // Started from the desktop menu: start in the program's own folder (enterDesktopFolder).
    bool desktop = false;
};

struct CommandLine {
    // Nothing when the program ends at once with `exitCode`, after printing the texts.
    std::optional<StartOptions> start;
    int exitCode = 0;
    QString output;  // for standard output
    QString errors;  // for standard error
};

inline constexpr int kUsageExitCode = 2;

// `arguments` as main() received them, the program's name first, each read with
// argumentFromBytes so that a file name keeps its exact bytes.
CommandLine readCommandLine(const QStringList& arguments);

// An argument as text that gives back its very bytes: valid UTF-8 as such, every other byte as
// a lone surrogate of its own (a file name need not be UTF-8).
QString argumentFromBytes(std::string_view bytes);
std::string argumentBytes(const QString& argument);

// The folder, in the home folder, that a start from the desktop menu starts in.
inline constexpr const char* kDesktopFolder = "Quorvia";

// Makes ~/Quorvia when missing and makes it the current directory, so the settings file and the
// default database land there and not at the top of the home folder. Returns the database to
// open, made absolute from where it was given. When the folder cannot be made or entered (a
// file of that name, an older default database perhaps), the current directory stays.
std::optional<std::string> enterDesktopFolder(const std::optional<std::string>& databasePath);

}  // namespace quorvia::ui
