#include "errno_text.h"

#include <cerrno>
#include <cstring>

namespace quenbrix_cli {

std::string ErrnoText::Reason(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return "permission refusée";
        case ENOENT:
            return "dossier ou fichier introuvable";
        case ENOTDIR:
            return "un élément du chemin n'est pas un dossier";
        case EISDIR:
            return "c'est un dossier";
        case ENOSPC:
            return "plus de place sur le disque";
        case EDQUOT:
            return "quota de disque dépassé";
        case EROFS:
            return "système de fichiers en lecture seule";
        case ENAMETOOLONG:
            return "nom trop long";
        case ELOOP:
            return "trop de liens symboliques";
        case EBUSY:
            return "fichier occupé";
        case EIO:
            return "erreur d'entrée-sortie";
        default:
            return std::string("erreur système ") + std::to_string(error) + " (" +
                   std::strerror(error) + ")";
    }
}

}  // namespace quenbrix_cli
