// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

namespace zoka {

// The words the user sees for a failed file operation, from the system's error
// number: "Fichier introuvable", "Nom de fichier incorrect", "Trop de fichiers
// ouverts", "Accès au fichier refusé", "Système de fichiers en lecture seule", "Lien
// symbolique refusé" (a final name that is a symbolic link: the program never writes
// through one), "Disque plein", "Un fichier de ce nom existe déjà", else "Erreur E/S n"
// where n is that error number. Every file error the program shows takes its words
// from here.
QString fileErrorText(int errnoValue);

// The same words to stand inside a sentence: "fichier introuvable", "accès au fichier
// refusé", "erreur E/S n", ...
QString fileErrorPhrase(int errnoValue);

} // namespace zoka
