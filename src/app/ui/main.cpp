// Filmarch: catalogues a folder of film files.
#include "app/ui/MainWindow.h"
#include "app/ui/QtUserDialogs.h"
#include "app/ui/StartupWindows.h"
#include "platform/ToolLocator.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // The program speaks French: so do Qt's own dialogs (file chooser, buttons).
    QTranslator qtFrench;
    if (qtFrench.load(QLocale(QLocale::French), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtFrench);
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
