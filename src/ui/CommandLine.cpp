#include "ui/CommandLine.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <filesystem>
#include <optional>
#include <system_error>

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

// Stands for a byte that is no part of a UTF-8 character: lone surrogates U+DC80..U+DCFF.
constexpr char16_t kEscapedByte = 0xDC00;

// The length of the UTF-8 character `bytes` starts with, or 0 when it starts with none.
size_t utf8CharacterLength(std::string_view bytes) {
    const auto byte = [&](size_t at) { return static_cast<unsigned char>(bytes[at]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        return 1;
    }
    size_t length = 0;
    unsigned char low = 0x80;  // the range of the second byte, narrowed for some leads
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : low;
        high = lead == 0xED ? 0x9F : high;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : low;
        high = lead == 0xF4 ? 0x8F : high;
    }
    if (length == 0 || bytes.size() < length || byte(1) < low || byte(1) > high) {
        return 0;
    }
    for (size_t at = 2; at < length; ++at) {
        if ((byte(at) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

// Why FILE cannot be the database, or nothing: an empty name, a folder, which the close could
// never write, or a name with a line break, which the one line of Quorvia.ini cannot hold.
std::optional<QString> unfitDatabaseName(const std::string& path) {
    if (path.empty()) {
        return QStringLiteral("The file name is empty.");
    }
    if (platform::holdsLineBreak(path)) {
        return QStringLiteral("The file name holds a line break, which Quorvia.ini cannot keep.");
    }
    std::error_code ignored;
    if (path.back() == '/' || std::filesystem::is_directory(path, ignored)) {
        return QStringLiteral("'%1' is a folder, not a database file.")
            .arg(QFile::decodeName(QByteArray::fromStdString(path)));
    }
    return std::nullopt;
}

}  // namespace

QString argumentFromBytes(std::string_view bytes) {
    QString argument;
    while (!bytes.empty()) {
        const size_t length = utf8CharacterLength(bytes);
        if (length == 0) {
            argument += QChar(char16_t(kEscapedByte + static_cast<unsigned char>(bytes[0])));
            bytes.remove_prefix(1);
        } else {
            argument += QString::fromUtf8(bytes.data(), static_cast<qsizetype>(length));
            bytes.remove_prefix(length);
        }
    }
    return argument;
}

std::string argumentBytes(const QString& argument) {
    std::string bytes;
    qsizetype runStart = 0;
    const auto flushRun = [&](qsizetype end) {
        bytes += argument.sliced(runStart, end - runStart).toStdString();
    };
    for (qsizetype at = 0; at < argument.size(); ++at) {
        const char16_t unit = argument[at].unicode();
        const bool lone =
            argument[at].isLowSurrogate() && (at == 0 || !argument[at - 1].isHighSurrogate());
        if (lone && unit >= kEscapedByte + 0x80 && unit <= kEscapedByte + 0xFF) {
            flushRun(at);
            bytes.push_back(static_cast<char>(unit - kEscapedByte));
            runStart = at + 1;
        }
    }
    flushRun(argument.size());
    return bytes;
}

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
        if (!keepsAsciiAsItself(start.codePage)) {
            return usageError(QStringLiteral("The code page '%1' does not write ASCII as itself, "
                                             "which the database file needs.")
                                  .arg(start.codePage),
                              helpText);
        }
    }
    if (!files.isEmpty()) {
        start.databasePath = argumentBytes(files.constFirst());
        if (const auto unfit = unfitDatabaseName(*start.databasePath)) {
            return usageError(*unfit, helpText);
        }
    }
    start.desktop = parser.isSet(desktopOption);
    read.start = start;
    return read;
}

std::optional<std::string> enterDesktopFolder(const std::optional<std::string>& databasePath) {
    std::optional<std::string> absolute = databasePath;
    if (databasePath && !platform::isAbsolutePath(*databasePath)) {
        try {
            absolute = platform::absolutePath(*databasePath, platform::currentDirectory());
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
