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
#include <cstdlib>
#include <cstring>
#include <utility>

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
    "  1    le programme n'a pas pu démarrer (aucune session graphique, bibliothèque\n"
    "       MediaInfo introuvable…)\n"
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
            std::fputs(filmarch::versionText(QStringLiteral("filmarch")).toUtf8().constData(), stdout);
            return true;
        }
    }
    return false;
}

// Qt ends the program when it finds no display to open windows on, with
// advice in English to reinstall it. Until the application object exists,
// Qt's messages are held back and that end is said plainly.
QtMessageHandler qtMessages = nullptr;
QList<std::pair<QtMsgType, QString>>* heldBack = nullptr;

void duringStart(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtFatalMsg) {
        std::fputs("filmarch : la fenêtre de Filmarch demande une session graphique (aucun affichage n'est "
                   "disponible).\nSans fenêtre, filmarch-cli fait le scan, la synchronisation et l'export : voir "
                   "filmarch-cli --help.\n",
            stderr);
        std::_Exit(1);
    }
    if (heldBack)
        heldBack->append({type, text});
}

} // namespace

int main(int argc, char** argv)
{
    if (answeredWithoutDisplay(argc, argv))
        return 0;
    QList<std::pair<QtMsgType, QString>> startMessages;
    heldBack = &startMessages;
    qtMessages = qInstallMessageHandler(duringStart);
    QApplication app(argc, argv);
    qInstallMessageHandler(qtMessages);
    heldBack = nullptr;
    for (const auto& [type, text] : std::as_const(startMessages))
        qt_message_output(type, QMessageLogContext(), text);
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
