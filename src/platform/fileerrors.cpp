// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/fileerrors.h"

#include <cerrno>

namespace zoka {

QString fileErrorText(int err)
{
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("Fichier introuvable");
    case EINVAL:
    case ENAMETOOLONG:
    case EILSEQ:
        return QStringLiteral("Nom de fichier incorrect");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("Trop de fichiers ouverts");
    case EACCES:
    case EPERM:
    case EISDIR:
    case ETXTBSY:
        return QStringLiteral("Accès au fichier refusé");
    case EROFS:
        return QStringLiteral("Système de fichiers en lecture seule");
    case ELOOP:
        return QStringLiteral("Lien symbolique refusé");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("Disque plein");
    case EEXIST:
        return QStringLiteral("Un fichier de ce nom existe déjà");
    default:
        return QStringLiteral("Erreur E/S %1").arg(err);
    }
}

QString fileErrorPhrase(int err)
{
    QString text = fileErrorText(err);
    text[0] = text.at(0).toLower();
    return text;
}

} // namespace zoka
