#include "platform/FileErrors.h"

#include <cerrno>
#include <cstring>

namespace quorvia::platform {

int fileErrorNumber(int errnoValue, FileAction action) {
    switch (errnoValue) {
        case ENOENT:
            return action == FileAction::Create ? 3 : 2;
        case ENOTDIR:
        case ENAMETOOLONG:
            return 3;
        case EMFILE:
        case ENFILE:
            return 4;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
            return 5;
        case EBUSY:
        case ETXTBSY:
            return 32;
        case ENOSPC:
            return 112;
        default:
            return 0;
    }
}

std::string textFileMessage(int errorNumber) {
    switch (errorNumber) {
        case 2:
            return "Fichier introuvable";
        case 3:
            return "Nom de fichier incorrect";
        case 4:
            return "Trop de fichiers ouverts";
        case 5:
            return "Accès au fichier refusé";
        case 100:
            return "Lecture au-delà de la fin de fichier";
        case 101:
            return "Disque plein";
        case 106:
            return "Saisie numérique incorrecte";
        default:
            return "Erreur E/S " + std::to_string(errorNumber);
    }
}

Error textFileError(int errnoValue, FileAction action) {
    const int number = fileErrorNumber(errnoValue, action);
    return Error(number != 0 ? textFileMessage(number)
                             : "Erreur E/S " + std::to_string(errnoValue));
}

std::string systemErrorText(int errnoValue) {
    return std::strerror(errnoValue);
}

void raiseOnFailure(int errnoValue, FileAction action) {
    if (errnoValue != 0) {
        throw textFileError(errnoValue, action);
    }
}

}  // namespace quorvia::platform
