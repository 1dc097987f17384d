#include "export/PhoneExport.h"

#include <optional>

#include "export/InstallPackage.h"
#include "model/PhoneDatabase.h"
#include "platform/FileErrors.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/TextFiles.h"

namespace quorvia::exporting {

namespace {

// Where the phone puts the installed file.
constexpr const char* kPhoneFolder = "!:\\teslund\\QV\\";

std::string builderWarning(const std::string& why, const std::string& package,
                           const std::string& exported) {
    std::string warning = why + " No install package was made at \"" + package + "\".";
    if (platform::fileExists(exported)) {
        warning += " The phone database file \"" + exported + "\" is kept.";
    }
    return warning;
}

// Runs the outside builder; a warning when it gave no package, else nothing.
std::optional<std::string> runBuilder(const std::string& builder, const std::string& package,
                                      const std::string& exported,
                                      platform::UserPrompts& prompts) {
    platform::ProgramRun run;
    prompts.whileBusy([&] { run = platform::runProgram({builder, kPackageScript, package}); });
    if (!run.started) {
        return builderWarning("The package builder " + builder + " could not be started.", package,
                              exported);
    }
    if (!run.exited || run.exitCode != 0) {
        const std::string ending = run.exited
                                       ? "ended with exit code " + std::to_string(run.exitCode)
                                       : "did not end normally";
        return builderWarning("The package builder " + builder + " " + ending + ".", package,
                              exported);
    }
    if (!platform::fileExists(package)) {
        return builderWarning("The package builder " + builder + " left no file.", package,
                              exported);
    }
    return std::nullopt;
}

}  // namespace

std::string packageScript(const std::string& exported) {
    std::string script;
    script.append("&EN\r\n");
    script.append("#{\"Quorvia Database\"},(0x10B7E5A3),1,0,0,TYPE=SISUPGRADE\r\n");
    script.append("(0x10B7E5A3), 1, 0, 0, {\"Quorvia\"}\r\n");
    script.append("\"").append(exported).append("\"-\"").append(kPhoneFolder);
    script.append(platform::fileNamePart(exported)).append("\"\r\n");
    return script;
}

std::string installPackagePath(const std::string& exported) {
    const std::string_view name = platform::fileNamePart(exported);
    const auto dot = name.rfind('.');
    const size_t kept =
        dot == std::string_view::npos ? exported.size() : exported.size() - (name.size() - dot);
    return exported.substr(0, kept) + ".sis";
}

std::string writeExportFiles(const model::Tree& records, const std::string& exported) {
    std::string phoneDatabase = model::formatPhoneDatabase(records);
    platform::writeTextFile(exported, phoneDatabase);
    platform::writeTextFile(kPackageScript, packageScript(exported));
    return phoneDatabase;
}

void exportPhoneDatabase(const model::Tree& records, platform::UserPrompts& prompts) {
    const auto chosen = prompts.chooseFileToSave();
    if (!chosen) {
        return;
    }
    const std::string& exported = *chosen;
    // The install script names the file in one quoted line, and the phone keeps its name,
    // where neither a line break nor a quote has a place.
    if (platform::holdsLineBreak(exported) || exported.find('"') != std::string::npos) {
        throw Error(platform::textFileMessage(platform::kBadFileName));
    }
    const std::string phoneDatabase = writeExportFiles(records, exported);

    const std::string package = installPackagePath(exported);
    if (platform::fileExists(package)) {
        platform::deleteFile(package);
    }

    std::optional<std::string> warning;
    if (platform::findProgram(kBuilder)) {
        warning = runBuilder(kBuilder, package, exported, prompts);
    } else if (platform::findProgram(kBuilderWithoutExtension)) {
        warning = runBuilder(kBuilderWithoutExtension, package, exported, prompts);
    } else {
        try {
            writeInstallPackage(package, platform::fileNamePart(exported), phoneDatabase);
        } catch (...) {
            // As with an outside builder: the exported file stays, the script goes.
            platform::deleteFile(kPackageScript);
            throw;
        }
    }

    platform::deleteFile(kPackageScript);
    if (warning) {
        prompts.warn(*warning);
    } else if (exported != package) {
        // A phone database file chosen under the package's own name now holds the package.
        platform::deleteFile(exported);
    }
}

}  // namespace quorvia::exporting
