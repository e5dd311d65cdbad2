// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Texts of the main window and its messages, exactly as the user sees them
// (leading and trailing blanks are part of them).
#include <QString>

namespace zoka::maintext {

inline const QString NameBadChars = QStringLiteral("     Le nom du patient ne peut contenir les caractères _ ou .      ");
// Characters refused in a patient name besides "_" and ".": a name is part of a file name.
inline const QString NameForbiddenChars = QStringLiteral(
    "     Le nom du patient ne peut contenir les caractères / \\ : * ? \" < > | "
    "ni de caractère de contrôle (il sert à nommer les fichiers de résultats)      ");
inline const QString NameTooLong = QStringLiteral("     Le nom du patient est trop long (20 caractères maximum)      ");
inline const QString AskEndless = QStringLiteral("     Les séries de stimuli doivent-elles se répéter sans fin?      ");
inline const QString NotEncoded = QStringLiteral("Le nom du patient n'est pas encodé!");
inline const QString CountNotSet = QStringLiteral("Le nombre d'items n'a pas été fixé");
inline const QString ExistsHead = QStringLiteral("Ce nom existe déjà ! Cliquez sur:");
inline const QString ExistsYes = QStringLiteral("   Oui pour continuer avec ");
inline const QString ExistsYesTail = QStringLiteral(" et créer de nouveaux résultats");
inline const QString ExistsNo = QStringLiteral("   Non pour changer le nom ou conserver les résultats antérieurs");
inline const QString ExistsWarn = QStringLiteral("Warning:   This name already exists");
inline const QString ExistsPress = QStringLiteral("   Press YES to overwrite, NO to change the name");
inline const QString NotAnalysedTail = QStringLiteral(" n'a pas été analysé! Continuer?");
inline const QString LeFichier = QStringLiteral("Le fichier ");
inline const QString Introuvable = QStringLiteral(" est introuvable!");
inline const QString CloseAsk = QStringLiteral("Fermer l'application ZOKA ?");
inline const QString InternalHead = QStringLiteral("                   Erreur interne n° ");
inline const QString InternalPersist = QStringLiteral("Si l'erreur persite après redémarrage du programme, ");
inline const QString Consultez = QStringLiteral("consultez ");
inline const QString DirHead = QStringLiteral("Le répertoire <");
inline const QString DirTail = QStringLiteral("> des résultats des épreuves n'existe plus.");
inline const QString DirActivate = QStringLiteral("Activez la fenêtre [Options] pour un autre choix et");
inline const QString DirRestart = QStringLiteral("Redémarrez l'application ZOKA");
inline const QString ExtUnknown = QStringLiteral("Le nom du fichier ne correspond pas à une épreuve");
inline const QString CountBad = QStringLiteral("Le nom du fichier est incorrect (nbre d'items)");
inline const QString AsHead = QStringLiteral("Le nom du fichier '.AS' n'est pas correct:");
inline const QString AsWhy = QStringLiteral("(l'indication de vitesse de présentation manque ou diffère de 0,1 ou 2)");
inline const QString AsPress = QStringLiteral("Pressez le bouton ");
inline const QString AsWord = QStringLiteral("Analyse");
inline const QString AsTail = QStringLiteral(" pour continuer (la vitesse est de 1 présentation/sec.)");
inline const QString NotFoundTail = QStringLiteral(" n'est pas trouvé");
inline const QString AskDelete = QStringLiteral("Supprimer le fichier d'épreuve ");
inline const QString SelectPatient = QStringLiteral("Sélectionnez un patient pour avoir accès à tous ses fichiers");
inline const QString Caption = QStringLiteral("Zoka v");
inline const QString NomInit = QStringLiteral("Inconnu");
inline const QString PatientNameGroup = QStringLiteral("Nom du patient");
inline const QString TaskGroup = QStringLiteral("Tâche à réaliser:");
inline const QString Passation = QStringLiteral("Passation");
inline const QString Analyses = QStringLiteral("Analyse");
inline const QString Suivi = QStringLiteral("Suivi");
inline const QString Gestion = QStringLiteral("Suppression");
inline const QString ListsGroup = QStringLiteral("Liste des Patients et des Epreuves passées");
inline const QString Quitter = QStringLiteral("Quitter");
inline const QString Options = QStringLiteral("Options");
inline const QString Epreuves = QStringLiteral("Epreuves");
inline const QString NbItemsCaption = QStringLiteral("Nbre d'items");
inline const QString Items16 = QStringLiteral("     ->  16 items");
inline const QString Items32 = QStringLiteral("     ->  32 items");
inline const QString Items36 = QStringLiteral("     ->  36 items");
inline const QString Items64 = QStringLiteral("     ->  64 items");
inline const QString Vitesse = QStringLiteral("Vitesse présentation");
inline const QString Lente = QStringLiteral("   ->  lente");
inline const QString Moyenne = QStringLiteral("   ->  moyenne");
inline const QString Rapide = QStringLiteral("   ->  rapide");
inline const QString CountGroupItems = QStringLiteral("# items");
inline const QString CountGroupMsec = QStringLiteral("msec:");
inline const QString Endless = QStringLiteral("- - -");
inline const QString CountHint = QStringLiteral("DoubleClick pour illimité si permis; Dbl click for unlimited # if enabled");

// Twenty blanks, around the deletion and overwrite questions.
inline const QString Blanks20 = QString(20, QLatin1Char(' '));

} // namespace zoka::maintext
