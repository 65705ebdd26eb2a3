#include "cli/CommandLine.h"

namespace filmarch {

namespace {

// Paragraphs are wrapped to the terminal's usual 80 columns when --help is
// written; a line break here ends a paragraph or a line of the exit statuses.
const char* const kSynopsis = "Utilisation : filmarch-cli [-r | -R] [-j N] [-q] DOSSIER CATALOGUE\n"
                              "       filmarch-cli --comparer [-r | -R] [-0] REFERENCE SAUVEGARDE\n"
                              "       filmarch-cli --copier [-r | -R] [--vrac] REFERENCE SAUVEGARDE\n"
                              "       filmarch-cli --exporter html|tellico|csv [--remplacer] [--csv-brut]\n"
                              "                    CATALOGUE SORTIE\n"
                              "       filmarch-cli --verifier [--appliquer] [--retirer-absents] [-0] CATALOGUE\n"
                              "                    [DOSSIER]\n"
                              "       filmarch-cli --lire-nom NOM...\n"
                              "\n"
                              "Analyse les fichiers du dossier DOSSIER et ajoute une entrée par film au\n"
                              "catalogue CATALOGUE (\".xml\" ou \".amc\"). Le catalogue est complété s'il existe\n"
                              "et créé sinon. Les autres options sont celles du fichier options.ini de la\n"
                              "fenêtre : à côté du programme, ou dans ~/.config/filmarch/ quand le programme\n"
                              "est installé.\n"
                              "\n"
                              "--comparer et --copier synchronisent un répertoire de référence et un\n"
                              "répertoire de sauvegarde, fichiers comparés par leur nom ; rien n'est jamais\n"
                              "supprimé.\n"
                              "\n"
                              "--exporter écrit le catalogue CATALOGUE (\".amc\" 3.1 à 4.1 ou \".xml\") sous une\n"
                              "autre forme, sans jamais le modifier. Une SORTIE existante n'est remplacée que\n"
                              "par un résultat complet. Un fichier existant ne l'est que s'il est, inchangé,\n"
                              "un export précédent du même catalogue, ou avec --remplacer. Un dossier\n"
                              "existant ne l'est que s'il est vide ou s'il contient un export web précédent ;\n"
                              "les fichiers que vous y avez ajoutés restent. Une SORTIE qui est un lien\n"
                              "symbolique est refusée.\n"
                              "\n"
                              "--verifier compare CATALOGUE avec les fichiers de DOSSIER et de ses\n"
                              "sous-répertoires (par défaut : les dossiers où se trouvent les fichiers des\n"
                              "entrées) et écrit une ligne par constat : \"absent \" et le fichier d'une entrée\n"
                              "qui n'existe plus ; \"deplace \", l'ancien chemin, une tabulation et le nouveau,\n"
                              "pour un film renommé ou déplacé (même taille, même durée) ; \"nouveau \" et un\n"
                              "film qu'aucune entrée ne nomme. Une entrée dont le dossier ne peut pas être lu\n"
                              "n'est jamais dite absente. Le catalogue n'est modifié qu'avec --appliquer ou\n"
                              "--retirer-absents, après une copie de sauvegarde (.bak).\n"
                              "\n"
                              "Options :\n";

const char* const kEpilogue = "  --                            termine les options (pour un DOSSIER qui\n"
                              "                                commence par \"-\")\n"
                              "\n"
                              "Ctrl-C arrête le scan après le fichier en cours ; le catalogue écrit jusque-là\n"
                              "est conservé. Un second Ctrl-C arrête tout de suite ; le catalogue garde son\n"
                              "dernier enregistrement. Pendant --copier, Ctrl-C abandonne le fichier en\n"
                              "cours ; aucun fichier partiel ne reste.\n"
                              "Les lignes du journal vont dans le journal du jour\n"
                              "(~/.local/state/filmarch/Logs_Filmarch/ quand le programme est installé) et\n"
                              "sur la sortie de la commande.\n"
                              "\n"
                              "Code de sortie :\n"
                              "  0    le scan, la comparaison, la copie ou l'export a eu lieu jusqu'au bout\n"
                              "  1    le scan n'a pas pu commencer, le catalogue à exporter ou à vérifier ne\n"
                              "       peut pas être lu, un répertoire manque, n'en est pas un ou se trouve\n"
                              "       dans l'autre, ou --comparer ou --verifier n'a pas pu lire tous les\n"
                              "       répertoires\n"
                              "  2    ligne de commande incorrecte\n"
                              "  3    le catalogue n'a pas pu être enregistré, le scan s'est arrêté sur une\n"
                              "       erreur, l'export n'a pas pu être écrit, une copie a échoué, --copier\n"
                              "       n'a pas pu lire tous les répertoires, ou la sortie standard n'a pas pu\n"
                              "       être écrite (disque plein)\n"
                              "  130  arrêté par Ctrl-C (scan, copie ou export ; un export laisse alors SORTIE\n"
                              "       telle quelle)\n"
                              "Une sortie fermée par son lecteur (filmarch-cli ... | head) arrête le\n"
                              "programme sans message, comme find : le shell voit le code 141 (128 + SIGPIPE)\n"
                              "pour filmarch-cli, et le code de head pour la ligne entière sans\n"
                              "\"set -o pipefail\". Un scan s'arrête alors après le fichier en cours.\n";

constexpr int kHelpColumn = 32;
constexpr int kTerminalWidth = 80;

// `text` in lines of at most `width` characters, cut between words.
QStringList wrapped(const QString& text, int width)
{
    QStringList lines;
    QString line;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && line.size() + 1 + word.size() > width) {
            lines << line;
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    if (!line.isEmpty())
        lines << line;
    return lines;
}

QString namesOf(const CliOption& option)
{
    QStringList shown;
    for (const QString& name : option.names)
        shown << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
    QString text = shown.join(QStringLiteral(", "));
    if (!option.valueName.isEmpty())
        text += QLatin1Char(' ') + option.valueName;
    // A long option alone lines up with the long names of the others.
    return option.names.first().size() == 1 ? text : QStringLiteral("    ") + text;
}

} // namespace

const std::vector<CliOption>& cliOptions()
{
    static const std::vector<CliOption> options = {
        {{QStringLiteral("r"), QStringLiteral("sous-repertoires")}, {},
            QStringLiteral("explore aussi les sous-répertoires")},
        {{QStringLiteral("R"), QStringLiteral("sans-sous-repertoires")}, {},
            QStringLiteral("n'explore pas les sous-répertoires")},
        {{QStringLiteral("j"), QStringLiteral("taches")}, QStringLiteral("N"),
            QStringLiteral("analyse N fichiers à la fois (par défaut : deux par cœur) ; le catalogue écrit est le "
                           "même quel que soit N")},
        {{QStringLiteral("comparer")}, {},
            QStringLiteral("écrit \"+ \" et le chemin de chaque fichier de REFERENCE absent de\n"
                           "SAUVEGARDE, puis \"- \" et le chemin de chaque fichier de SAUVEGARDE absent\n"
                           "de REFERENCE ; rien d'autre ne va sur la sortie standard ; les caractères\n"
                           "de contrôle des noms sont écrits échappés (\\n, \\e, \\x01...)")},
        {{QStringLiteral("copier")}, {},
            QStringLiteral("copie dans SAUVEGARDE chaque fichier de REFERENCE qui y manque, en\n"
                           "respectant l'arborescence de REFERENCE")},
        {{QStringLiteral("0"), QStringLiteral("nul")}, {},
            QStringLiteral("avec --comparer ou --verifier : chaque ligne se termine par un octet nul\n"
                           "au lieu d'un saut de ligne et porte les octets du nom tels quels (comme\n"
                           "find -print0) ; avec --verifier, le nouveau chemin d'une entrée déplacée\n"
                           "suit l'ancien après un octet nul")},
        {{QStringLiteral("vrac")}, {}, QStringLiteral("avec --copier : copie les fichiers à la base de SAUVEGARDE")},
        {{QStringLiteral("exporter")}, QStringLiteral("FORME"),
            QStringLiteral("exporte CATALOGUE dans SORTIE : html (une page web dans un dossier,\n"
                           "lisible hors ligne), tellico (une collection Tellico .tc avec les\n"
                           "affiches) ou csv (UTF-8, une ligne d'en-tête avec les noms des champs ;\n"
                           "une valeur qui commence par =, +, -, @ est écrite précédée de ' pour\n"
                           "qu'un tableur ne la prenne pas pour une formule)")},
        {{QStringLiteral("remplacer")}, {},
            QStringLiteral("avec --exporter : remplace une SORTIE existante qui n'est pas un export\n"
                           "précédent du même catalogue (un fichier modifié depuis, ou un autre)")},
        {{QStringLiteral("csv-brut")}, {},
            QStringLiteral("avec --exporter csv : écrit les valeurs telles quelles, et les étiquettes\n"
                           "des champs sur une seconde ligne d'en-tête (pour les programmes qui lisent le\n"
                           "CSV comme des données)")},
        {{QStringLiteral("verifier")}, {},
            QStringLiteral("compare CATALOGUE avec le disque : entrées absentes, déplacées, films\n"
                           "nouveaux")},
        {{QStringLiteral("appliquer")}, {},
            QStringLiteral("avec --verifier : les entrées déplacées prennent leur nouveau chemin")},
        {{QStringLiteral("retirer-absents")}, {},
            QStringLiteral("avec --verifier : les entrées dont le fichier n'existe plus (et n'a pas\n"
                           "été retrouvé) sont retirées du catalogue")},
        {{QStringLiteral("lire-nom")}, {},
            QStringLiteral("écrit ce que le programme lit dans chaque NOM de fichier (titre cherché, autre\n"
                           "titre, année, partie, identifiants, mots écartés), une ligne par NOM")},
        {{QStringLiteral("q"), QStringLiteral("quiet")}, {},
            QStringLiteral("n'affiche que les erreurs (ni progression, ni lignes du journal)")},
        {{QStringLiteral("h"), QStringLiteral("help")}, {}, QStringLiteral("affiche cette aide")},
        {{QStringLiteral("V"), QStringLiteral("version")}, {},
            QStringLiteral("affiche la version, le copyright et la licence")},
    };
    return options;
}

bool CommandLine::parse(const QStringList& arguments)
{
    for (const CliOption& option : cliOptions())
        parser.addOption(QCommandLineOption(option.names, option.help, option.valueName));
    if (parser.parse(arguments))
        return true;
    const QStringList unknown = parser.unknownOptionNames();
    // Qt's own text is French once its translations are loaded.
    problem = unknown.isEmpty()
        ? parser.errorText() + QStringLiteral(" Voir filmarch-cli --help.")
        : QStringLiteral("option inconnue « %1%2 ». Voir filmarch-cli --help.")
              .arg(unknown.first().size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), unknown.first());
    return false;
}

QString cliHelp()
{
    QString help = QString::fromUtf8(kSynopsis);
    for (const CliOption& option : cliOptions()) {
        const QString names = QStringLiteral("  ") + namesOf(option);
        const QStringList lines =
            wrapped(QString(option.help).replace(QLatin1Char('\n'), QLatin1Char(' ')), kTerminalWidth - kHelpColumn);
        help += names.leftJustified(kHelpColumn - 1) + QLatin1Char(' ') + lines.first() + QLatin1Char('\n');
        for (qsizetype i = 1; i < lines.size(); ++i)
            help += QString(kHelpColumn, QLatin1Char(' ')) + lines[i] + QLatin1Char('\n');
    }
    return help + QString::fromUtf8(kEpilogue);
}

} // namespace filmarch
