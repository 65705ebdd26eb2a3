#pragma once
// A main window in its own temporary application folder, with scripted
// dialogs and an MKVToolNix folder that exists or not.
#include "app/ui/MainWindow.h"
#include "app/ui/ScanProgressWindow.h"
#include "platform/ToolLocator.h"
#include "support/Control.h"
#include "support/FileBytes.h"
#include "support/ScriptedDialogs.h"
#include "support/TestPaths.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace filmarch::test {

class WindowFixture : public ::testing::Test {
protected:
    QString iniPath() const { return QDir(appDir.path()).filePath(QStringLiteral("options.ini")); }

    void writeIni(const QByteArray& content) const { writeFile(iniPath(), content); }

    QString readIni() const
    {
        QFile file(iniPath());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    // Folder holding an executable mkvmerge, for a machine with MKVToolNix.
    QString mkvToolFolder()
    {
        const QString folder = QDir(appDir.path()).filePath(QStringLiteral("mkvtoolnix"));
        QDir().mkpath(folder);
        QFile tool(folder + QStringLiteral("/mkvmerge"));
        if (!tool.exists()) {
            EXPECT_TRUE(tool.open(QIODevice::WriteOnly));
            tool.close();
            tool.setPermissions(tool.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
        }
        return folder;
    }

    // The window asks the user through `with`, the scripted dialogs by default.
    TForm1& openWindow(bool withMkvToolNix = true, UserDialogs* with = nullptr)
    {
        const ToolLocator tools(withMkvToolNix ? mkvToolFolder() : QString(), {});
        form.reset(); // a window never outlives the context it was given
        context = std::make_unique<AppContext>(AppPaths::beside(appDir.path()), with ? *with : dialogs);
        form = std::make_unique<TForm1>(*context, tools);
        form->show();
        return *form;
    }

    // A user click: the box's page is brought to the front first.
    void click(QWidget* widget)
    {
        QWidget* scanPage = control(form.get(), "TSScan");
        control<QTabWidget>(form.get(), "PCprincipal")
            ->setCurrentWidget(scanPage->isAncestorOf(widget) ? scanPage : control(form.get(), "TSOptions"));
        // A check box or a radio button takes clicks on its indicator and
        // caption, not on the empty width its layout gives it.
        const bool box = qobject_cast<QCheckBox*>(widget) || qobject_cast<QRadioButton*>(widget);
        const QPoint at = box ? QPoint(6, widget->height() / 2) : widget->rect().center();
        QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    }

    // "Lancer le scan", then the run's end (it works on a thread of its own
    // while this thread serves the windows and the dialogs it asks for).
    void launchScan(TForm1& f)
    {
        click(control(&f, "BtLanceScan"));
        ASSERT_TRUE(QTest::qWaitFor([&f] { return !f.scanUnderWay(); }, 120000)) << "the run did not end";
    }

    // The progress window of the window open.
    TFormScanEnCours& progress() const { return form->FormScanEnCours; }

    QAbstractButton* box(OptionBox b) const { return form->boxWidget(b); }
    static bool ownEnabled(const QWidget* w) { return w->isEnabledTo(w->parentWidget()); }

    QTemporaryDir appDir;
    ScriptedDialogs dialogs;
    std::unique_ptr<AppContext> context;
    std::unique_ptr<TForm1> form;
};

} // namespace filmarch::test
