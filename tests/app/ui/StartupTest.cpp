#include "app/ui/MainWindow.h"
#include "app/ui/ScanProgressWindow.h"
#include "app/ui/StartupWindows.h"
#include "core/AppPaths.h"
#include "core/Journal.h"
#include "filmdb/ui/LookupWindow.h"
#include "platform/ToolLocator.h"
#include "support/ScriptedDialogs.h"
#include "support/TestPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace filmarch;
using filmarch::test::ScriptedDialogs;

namespace {
const ToolLocator noTools(QString(), {});
} // namespace

TEST(Startup, RefusesWhenTheMediaInfoLibraryCannotBeLoaded)
{
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    const AppPaths paths =
        AppPaths::beside(dir.path()).withMediaInfoLibrary(QStringLiteral("libmediainfo-absente.so.0"));
    EXPECT_EQ(startFilmarch(paths, dialogs, noTools), nullptr);
    EXPECT_EQ(dialogs.messages,
        QStringList {QStringLiteral(
            "La dll médiainfo n'est pas présente dans le répertoire de l'application. Le programme va s'arrêter")});
    EXPECT_TRUE(QDir(dir.path()).exists(QStringLiteral("Logs_Filmarch")));
    EXPECT_FALSE(QFile::exists(QDir(dir.path()).filePath(QStringLiteral("options.ini"))));

    // A file that is no library either.
    const QString notALibrary = dir.filePath(QStringLiteral("libmediainfo.so.0"));
    QFile file(notALibrary);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("texte") == 5);
    file.close();
    EXPECT_EQ(startFilmarch(AppPaths::beside(dir.path()).withMediaInfoLibrary(notALibrary), dialogs, noTools), nullptr);
}

TEST(Startup, CreatesTheWindowsWithTheHelpersHidden)
{
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    const auto windows = startFilmarch(AppPaths::beside(dir.path()), dialogs, noTools);
    ASSERT_NE(windows, nullptr);
    EXPECT_TRUE(dialogs.messages.isEmpty() && dialogs.errors.isEmpty());
    EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("Filmarch"));
    EXPECT_EQ(windows->Form1->windowTitle(), QStringLiteral("Filmarch"));
    EXPECT_TRUE(windows->Form1->FormScanEnCours.isHidden());
    EXPECT_TRUE(windows->FormAllocine->isHidden());
    EXPECT_EQ(windows->FormAllocine->windowTitle(), QStringLiteral("Script Allocine"));
    EXPECT_TRUE(QDir(dir.path()).exists(QStringLiteral("Logs_Filmarch")));
    // The program's icon is compiled in and Qt can draw it (its SVG plugin is there).
    EXPECT_FALSE(QIcon(QStringLiteral(":/filmarch.svg")).pixmap(32).isNull());
}

TEST(Startup, LogFolderThatCannotBeMadeIsReportedAndTheProgramGoesOn)
{
    QTemporaryDir dir;
    QFile blocker(QDir(dir.path()).filePath(QStringLiteral("Logs_Filmarch")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    ScriptedDialogs dialogs;
    const auto windows = startFilmarch(AppPaths::beside(dir.path()), dialogs, noTools);
    ASSERT_NE(windows, nullptr);
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].startsWith(QStringLiteral("Impossible de créer le dossier des journaux")));

    // The log still reaches the Log page; the file error is told once.
    TForm1& f = *windows->Form1;
    f.EcritureLog(
        Journal::logFilePath(AppPaths::beside(dir.path())), QStringLiteral("Début du scan du répertoire /films"));
    f.EcritureLog(Journal::logFilePath(AppPaths::beside(dir.path())), QStringLiteral("suite"));
    const auto* MLog = f.findChild<QPlainTextEdit*>(QStringLiteral("MLog"));
    ASSERT_TRUE(MLog);
    EXPECT_TRUE(MLog->toPlainText().contains(QStringLiteral(": Début du scan du répertoire /films")));
    EXPECT_EQ(dialogs.errors.size(), 2);
}
