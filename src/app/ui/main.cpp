// Filmarch: catalogues a folder of film files.
#include "app/ui/MainWindow.h"
#include "app/ui/QtUserDialogs.h"
#include "app/ui/StartupWindows.h"
#include "core/AppPaths.h"
#include "platform/ToolLocator.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    filmarch::speakFrench(app);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/filmarch.svg")));
    // The MediaInfo library and Vide.jpeg lie beside the executable; settings
    // and logs too, unless that folder is an installed, read-only one.
    const filmarch::AppPaths paths = filmarch::AppPaths::forProgram(QCoreApplication::applicationDirPath());

    filmarch::QtUserDialogs dialogs;
    const std::unique_ptr<filmarch::FilmarchWindows> windows =
        filmarch::startFilmarch(paths, dialogs, filmarch::ToolLocator::system());
    if (!windows)
        return 1;
    dialogs.setParentWidget(windows->Form1.get());
    windows->Form1->show();
    return app.exec();
}
