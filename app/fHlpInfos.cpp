#include "fHlpInfos.h"

TfrmHlpInfos::TfrmHlpInfos(QWidget* parent)
    : gui::THelpWindow(parent, "frmHlpInfos", "Lexorama v4.2 - Aide de la fenêtre d'information aux non-voyants", 579,
                       354, HelpText()) {}

QStringList TfrmHlpInfos::HelpText() {
    return gui::ComposeHelpText(
        {}, {
                "",
                "Cette fenêtre est composée de trois panneaux :",
                "",
                "- le premier panneau montre la page de présentation de Lexorama en HTML,",
                "  le même texte que l'explication de la fenêtre principale.",
                "  Lisez-la avec les flèches ; appuyez quatre fois sur tabulation pour en sortir.",
                "",
                "- le deuxième panneau contient un seul bouton, qui vérifie auprès du serveur de Lexorama",
                "  si une nouvelle version du dictionnaire est disponible. Trois réponses sont possibles :",
                "  une erreur de connexion, ou une réponse du serveur qui n'est pas une version :",
                "  le bouton Ok vous ramène au début ;",
                "  Dictionnaire à jour, vous disposez de la dernière version : le bouton Ok vous ramène au début ;",
                "  une nouvelle version, qui donne la version téléchargeable et la vôtre,",
                "  avec les boutons OUI et NON.",
                "  NON vous ramène au début ; OUI ferme Lexorama et lance le programme de mise à jour,",
                "  qui a sa propre aide sur F1.",
                "",
                "- le troisième panneau contient cinq boutons, dans l'ordre de la touche tabulation :",
                "  - tabulation : la fenêtre des autres logiciels de l'auteur ;",
                "  - tabulation : la page de Lexorama sur le site www.lexorama.fr, dans votre navigateur ;",
                "  - tabulation : la page des fonctions utilisées par le programme, dans votre navigateur ;",
                "  - tabulation : un nouveau message dans votre logiciel de courrier, adressé à l'auteur,",
                "    contact@lexorama.fr, avec pour sujet le nom et la version du programme ;",
                "  - tabulation : le bouton Fermer, qui ferme cette fenêtre ; la touche escape la ferme aussi.",
                "",
                "Chaque bouton s'actionne avec la touche retour.",
                "Si aucun navigateur ou logiciel de courrier ne peut ouvrir l'adresse, un message le dit.",
                "",
            });
}
