#pragma once
#include <QString>

namespace zoka {

// The words the user sees for a failed file operation, from the system's error
// number: "Fichier introuvable", "Nom de fichier incorrect", "Trop de fichiers
// ouverts", "Accès au fichier refusé", "Disque plein", else "Erreur E/S n".
QString fileErrorText(int errnoValue);

} // namespace zoka
