#include "platform/Error.h"

#include <cerrno>
#include <cstring>

namespace filmarch {

QString systemReason(int error)
{
    switch (error) {
    case ENOSPC: return QStringLiteral("le disque est plein");
    case EDQUOT: return QStringLiteral("le quota de place sur le disque est atteint");
    case EFBIG: return QStringLiteral("fichier trop grand pour le disque");
    case EACCES:
    case EPERM: return QStringLiteral("permission refusée");
    case EROFS: return QStringLiteral("le disque est en lecture seule");
    case EIO: return QStringLiteral("erreur de lecture ou d'écriture sur le disque");
    case ENOENT: return QStringLiteral("fichier ou dossier introuvable");
    case ENOTDIR: return QStringLiteral("un élément du chemin n'est pas un dossier");
    case EISDIR: return QStringLiteral("c'est un dossier");
    case ENAMETOOLONG: return QStringLiteral("nom trop long");
    case ELOOP: return QStringLiteral("trop de liens symboliques");
    case EEXIST: return QStringLiteral("le fichier existe déjà");
    case EBUSY:
    case ETXTBSY: return QStringLiteral("fichier en cours d'utilisation");
    case EMFILE:
    case ENFILE: return QStringLiteral("trop de fichiers ouverts");
    case ENOMEM: return QStringLiteral("mémoire insuffisante");
    case EXDEV: return QStringLiteral("les deux fichiers ne sont pas sur le même disque");
    default: return QString::fromLocal8Bit(std::strerror(error));
    }
}

} // namespace filmarch
