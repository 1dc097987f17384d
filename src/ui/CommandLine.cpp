#include "ui/CommandLine.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>

#include "platform/Error.h"
#include "platform/Paths.h"
#include "ui/Text.h"

namespace quorvia::ui {

namespace {

constexpr const char* kProgram = "quorvia";

// One line saying what is wrong, then the usage line.
CommandLine usageError(const QString& message, const QString& help) {
    CommandLine ended;
    ended.exitCode = kUsageExitCode;
    ended.errors =
        QStringLiteral("%1: %2\n%3\nTry '%1 --help' for more information.\n")
            .arg(QLatin1String(kProgram), message, help.section(QLatin1Char('\n'), 0, 0));
    return ended;
}

}  // namespace

CommandLine readCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Teslund Quorvia: edits the object and attribute database of a phone "
                       "application and exports it as an install package."));
    // Not addHelpOption(): its --help-all would list Qt's own options, which are not taken.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays this help and exits."));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption codePageOption(
        QStringLiteral("codepage"),
        QStringLiteral("The code page texts are shown and typed in (default %1).")
            .arg(QLatin1String(kDefaultCodePage)),
        QStringLiteral("name"));
    parser.addOption(codePageOption);
    const QCommandLineOption desktopOption(
        QStringLiteral("desktop"),
        QStringLiteral("Starts in the folder ~/%1 (made when missing) instead of the current "
                       "directory, as the desktop menu does.")
            .arg(QLatin1String(kDesktopFolder)));
    parser.addOption(desktopOption);
    parser.addPositionalArgument(
        QStringLiteral("file"),
        QStringLiteral("The database to open instead of the one named in Quorvia.ini."),
        QStringLiteral("[file]"));

    // The parser names the program after the running executable, or not at all before the
    // application object exists: the help names it as it is installed.
    QString helpText = parser.helpText();
    helpText.replace(0, helpText.indexOf(QLatin1Char('\n')),
                     QStringLiteral("Usage: %1 [options] [file]").arg(QLatin1String(kProgram)));
    if (!parser.parse(arguments)) {
        return usageError(parser.errorText(), helpText);
    }
    CommandLine read;
    if (parser.isSet(help)) {
        read.output = helpText;
        return read;
    }
    if (parser.isSet(version)) {
        read.output =
            QStringLiteral("%1 %2\n").arg(QLatin1String(kProgram), QLatin1String(QUORVIA_VERSION));
        return read;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        return usageError(QStringLiteral("Only one file can be opened."), helpText);
    }
    StartOptions start;
    if (parser.isSet(codePageOption)) {
        start.codePage = parser.value(codePageOption);
        if (!isKnownCodePage(start.codePage)) {
            return usageError(QStringLiteral("Unknown code page '%1'.").arg(start.codePage),
                              helpText);
        }
    }
    if (!files.isEmpty()) {
        start.databasePath = QFile::encodeName(files.constFirst()).toStdString();
    }
    start.desktop = parser.isSet(desktopOption);
    read.start = start;
    return read;
}

std::optional<std::string> enterDesktopFolder(const std::optional<std::string>& databasePath) {
    std::optional<std::string> absolute = databasePath;
    if (databasePath && !databasePath->empty() && databasePath->front() != '/') {
        try {
            absolute = platform::joinPath(platform::currentDirectory(), *databasePath);
        } catch (const Error&) {
            // Staying here, the start-up reports the current directory that cannot be read.
            return databasePath;
        }
    }
    const QDir home = QDir::home();
    const QString folder = home.filePath(QLatin1String(kDesktopFolder));
    if (home.mkpath(QLatin1String(kDesktopFolder))) {
        QDir::setCurrent(folder);
    }
    return absolute;
}

}  // namespace quorvia::ui
