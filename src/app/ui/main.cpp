// Filmarch: catalogues a folder of film files.
#include "app/ui/MainWindow.h"
#include "app/ui/QtUserDialogs.h"
#include "app/ui/StartupWindows.h"
#include "platform/ToolLocator.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    filmarch::speakFrench(app);
    // Settings, logs and the MediaInfo library all live beside the executable.
    const QString appDir = QCoreApplication::applicationDirPath();

    filmarch::QtUserDialogs dialogs;
    const std::unique_ptr<filmarch::FilmarchWindows> windows =
        filmarch::startFilmarch(appDir, dialogs, filmarch::ToolLocator::system());
    if (!windows)
        return 1;
    dialogs.setParentWidget(windows->Form1.get());
    windows->Form1->show();
    return app.exec();
}
