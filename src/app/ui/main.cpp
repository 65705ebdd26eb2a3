// Filmarch: catalogues a folder of film files.
#include "app/Startup.h"
#include "app/ui/MainWindow.h"
#include "app/ui/QtUserDialogs.h"
#include "app/ui/StartupWindows.h"
#include "core/AppPaths.h"
#include "media/MediaInfoDll.h"
#include "platform/ToolLocator.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QIcon>
#include <QUrl>
#include <cstdio>
#include <cstring>

namespace {

const char* const kHelp =
    "Utilisation : filmarch [CATALOGUE]\n"
    "\n"
    "Ouvre la fenêtre de Filmarch. Un CATALOGUE (\".amc\" ou \".xml\") donné est pris comme catalogue\n"
    "à compléter, comme un fichier déposé sur le cadre \"Compléter un catalogue existant\".\n"
    "\n"
    "Options :\n"
    "  -h, --help       affiche cette aide\n"
    "  -V, --version    affiche la version\n"
    "Les options de Qt (-platform, -style, -display…) sont aussi acceptées.\n"
    "Sans fenêtre, filmarch-cli fait le scan et la synchronisation.\n"
    "\n"
    "Code de sortie :\n"
    "  0    la fenêtre a été fermée\n"
    "  1    le programme n'a pas pu démarrer (bibliothèque MediaInfo introuvable…)\n"
    "  2    ligne de commande incorrecte\n";

// --help and --version answer before Qt looks for a display.
bool answeredWithoutDisplay(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strcmp(a, "--") == 0)
            return false;
        if (std::strcmp(a, "-h") == 0 || std::strcmp(a, "--help") == 0) {
            std::fputs(kHelp, stdout);
            return true;
        }
        if (std::strcmp(a, "-V") == 0 || std::strcmp(a, "--version") == 0) {
            std::fputs("filmarch " FILMARCH_VERSION "\n", stdout);
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (answeredWithoutDisplay(argc, argv))
        return 0;
    QApplication app(argc, argv);
    // After QApplication, which sets the locale from the environment.
    filmarch::useUtf8FileNames();
    // What Qt left of the line once it took its own options.
    QCommandLineParser parser;
    parser.addOptions({{{QStringLiteral("h"), QStringLiteral("help")}, QString()},
        {{QStringLiteral("V"), QStringLiteral("version")}, QString()}});
    if (!parser.parse(QCoreApplication::arguments()) || parser.positionalArguments().size() > 1) {
        const QStringList unknown = parser.unknownOptionNames();
        const QString why = unknown.isEmpty()
            ? QStringLiteral("un seul CATALOGUE à la fois.")
            : QStringLiteral("option inconnue « %1%2 ».")
                  .arg(unknown.first().size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), unknown.first());
        std::fprintf(stderr, "filmarch : %s Voir filmarch --help.\n", why.toUtf8().constData());
        return 2;
    }

    filmarch::speakFrench(app);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/filmarch.svg")));
    // Beside the executable in the build folder; the user's XDG folders once installed.
    const filmarch::AppPaths paths = filmarch::AppPaths::forProgram(QCoreApplication::applicationDirPath());

    filmarch::QtUserDialogs dialogs;
    const std::unique_ptr<filmarch::FilmarchWindows> windows =
        filmarch::startFilmarch(paths, dialogs, filmarch::ToolLocator::system());
    if (!windows)
        return 1;
    dialogs.setParentWidget(windows->Form1.get());
    windows->Form1->show();
    // A catalogue given on the line (a file manager's "Open with") is taken as a drop is.
    if (!parser.positionalArguments().isEmpty())
        windows->Form1->TraiteMessage(
            {QUrl::fromLocalFile(QFileInfo(parser.positionalArguments().first()).absoluteFilePath())});
    return app.exec();
}
