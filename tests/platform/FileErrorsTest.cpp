#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <string>

#include "platform/FileErrors.h"
#include "platform/TextFiles.h"
#include "support/TempDir.h"

namespace quorvia::platform {
namespace {

std::string messageOf(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const Error& error) {
        return error.message();
    }
    return "no error";
}

// What the user reads when a real file operation fails.
TEST(FileErrors, RealFailuresShowTheSystemMessages) {
    testing::TempDir dir;
    EXPECT_EQ(messageOf([&] { openTextFile(dir.path("missing.txt")); }), "Fichier introuvable");
    EXPECT_EQ(messageOf([&] { writeTextFile(dir.path("no folder/file.txt"), "x\r\n"); }),
              "Nom de fichier incorrect")
        << "creating in a folder that does not exist is a bad name, not a missing file";
    EXPECT_EQ(messageOf([&] { openTextFile(dir.path("missing/inside.txt")); }),
              "Fichier introuvable");
    dir.write("file", "");
    EXPECT_EQ(messageOf([&] { openTextFile(dir.path("file/inside.txt")); }),
              "Nom de fichier incorrect");
    EXPECT_EQ(messageOf([&] { writeTextFile(dir.path(), "x\r\n"); }), "Accès au fichier refusé")
        << "a folder cannot be replaced by a file";
    EXPECT_EQ(messageOf([&] { writeTextFile("/dev/full", "x\r\n"); }), "Erreur E/S 112");
    EXPECT_EQ(messageOf([&] { writeTextFile(dir.path(std::string(300, 'n')), "x\r\n"); }),
              "Nom de fichier incorrect");
}

TEST(FileErrors, CodesWithoutASystemNumberShowTheirOwn) {
    EXPECT_EQ(textFileError(EIO, FileAction::Read).message(), "Erreur E/S " + std::to_string(EIO));
    EXPECT_EQ(textFileError(EMFILE, FileAction::Read).message(), "Trop de fichiers ouverts");
    EXPECT_EQ(textFileError(ETXTBSY, FileAction::Create).message(), "Erreur E/S 32");
}

}  // namespace
}  // namespace quorvia::platform
