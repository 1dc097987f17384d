#include <gtest/gtest.h>

#include <cerrno>

#include "platform/FileErrors.h"

namespace quorvia::platform {
namespace {

TEST(FileErrors, MessagesByNumber) {
    EXPECT_EQ(textFileMessage(2), "Fichier introuvable");
    EXPECT_EQ(textFileMessage(3), "Nom de fichier incorrect");
    EXPECT_EQ(textFileMessage(4), "Trop de fichiers ouverts");
    EXPECT_EQ(textFileMessage(5), "Accès au fichier refusé");
    EXPECT_EQ(textFileMessage(100), "Lecture au-delà de la fin de fichier");
    EXPECT_EQ(textFileMessage(101), "Disque plein");
    EXPECT_EQ(textFileMessage(106), "Saisie numérique incorrecte");
    EXPECT_EQ(textFileMessage(32), "Erreur E/S 32");
    EXPECT_EQ(textFileMessage(112), "Erreur E/S 112");
}

TEST(FileErrors, PlatformCodesMapOntoTheSystemNumbers) {
    EXPECT_EQ(fileErrorNumber(ENOENT, FileAction::Read), 2);
    // Creating in a folder that does not exist is a bad name, not a missing file.
    EXPECT_EQ(fileErrorNumber(ENOENT, FileAction::Create), 3);
    EXPECT_EQ(fileErrorNumber(ENOTDIR, FileAction::Read), 3);
    EXPECT_EQ(fileErrorNumber(ENAMETOOLONG, FileAction::Create), 3);
    EXPECT_EQ(fileErrorNumber(EMFILE, FileAction::Read), 4);
    EXPECT_EQ(fileErrorNumber(ENFILE, FileAction::Read), 4);
    for (int code : {EACCES, EPERM, EROFS, EISDIR}) {
        EXPECT_EQ(fileErrorNumber(code, FileAction::Create), 5) << code;
    }
    EXPECT_EQ(fileErrorNumber(EBUSY, FileAction::Create), 32);
    EXPECT_EQ(fileErrorNumber(ETXTBSY, FileAction::Create), 32);
    EXPECT_EQ(fileErrorNumber(ENOSPC, FileAction::Create), 112);
    EXPECT_EQ(fileErrorNumber(EIO, FileAction::Read), 0);
    // Other codes show their own number, even where it equals one of the system's numbers.
    EXPECT_EQ(textFileError(EIO, FileAction::Read).message(), "Erreur E/S " + std::to_string(EIO));
    EXPECT_EQ(textFileError(EACCES, FileAction::Read).message(), "Accès au fichier refusé");
}

}  // namespace
}  // namespace quorvia::platform
