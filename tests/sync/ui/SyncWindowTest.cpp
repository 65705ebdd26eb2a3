// The synchronisation windows under the offscreen platform, driven by their
// controls (found by name) with scripted dialogs, on real folders.
#include "sync/ui/SyncWindow.h"
#include "app/ui/WindowFixture.h"
#include "sync/Unreadable.h"
#include "sync/ui/CopyProgressWindow.h"
#include "sync/ui/DeleteConfirmWindow.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTimer>
#include <QTreeView>

using namespace filmarch;
using namespace filmarch::test;

namespace {

class SyncWindow : public ::testing::Test {
protected:
    SyncWindow()
    {
        QDir(app.path()).mkdir(QStringLiteral("Logs_Filmarch"));
        journal.memo = [this](const QString& line) { log << (line.isEmpty() ? line : line.mid(10)); };
    }

    TSynch& open()
    {
        window = std::make_unique<TSynch>(AppPaths::beside(app.path()), dialogs, journal);
        window->show();
        return *window;
    }

    QString path(const QString& relative) const { return files.filePath(relative); }
    void makeFiles(std::initializer_list<const char*> relatives, const QByteArray& content = "film")
    {
        for (const char* r : relatives) {
            const QString p = path(QString::fromUtf8(r));
            QDir().mkpath(QFileInfo(p).absolutePath());
            QFile f(p);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
    }

    template <typename T>
    T* c(const char* name)
    {
        return control<T>(window.get(), name);
    }
    QAbstractItemModel* list(const char* name) { return c<QTreeView>(name)->model(); }
    QStringList names(const char* name)
    {
        QStringList out;
        for (int row = 0; row < list(name)->rowCount(); ++row)
            out << list(name)->index(row, 0).data().toString();
        out.sort();
        return out;
    }
    bool checked(const char* name, int row)
    {
        return list(name)->index(row, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked;
    }
    void click(const char* name) { QTest::mouseClick(c<QPushButton>(name), Qt::LeftButton); }
    // "Lancer", and the end of the actions it started: a copy goes on in the
    // window's loop past the click.
    void launch()
    {
        QSignalSpy ended(window.get(), &TSynch::actionsEnded);
        click("BtLancerActions");
        ASSERT_TRUE(!ended.isEmpty() || ended.wait(120000));
    }

    // Chooses both folders through the choosers and runs the analysis.
    void analyse(bool sousRep = false)
    {
        QDir().mkpath(path(QStringLiteral("save")));
        dialogs.folders << path(QStringLiteral("ref")) << path(QStringLiteral("save"));
        click("BtParcoursRepRef");
        click("BtParcoursRepSauv");
        c<QCheckBox>("CbAnalyseSousRep")->setChecked(sousRep);
        click("BtLanceAnalyse");
    }

    // Runs `act` on the window named `name` once it is shown (from inside the task's wait).
    void whenShown(const char* name, std::function<void(QWidget*)> act)
    {
        QTimer::singleShot(0, window.get(), [this, name, act] {
            QWidget* w = window->findChild<QWidget*>(QString::fromUtf8(name));
            ASSERT_TRUE(w && w->isVisible()) << name;
            act(w);
        });
    }

    QTemporaryDir app, files;
    ScriptedDialogs dialogs;
    Journal journal;
    QStringList log;
    std::unique_ptr<TSynch> window;
};

} // namespace

TEST_F(SyncWindow, StartsWithTheStoredFoldersAndItsActionsDisabled)
{
    const QString iniPath = QDir(app.path()).filePath(QStringLiteral("options.ini"));
    writeFile(iniPath, "[Synchro]\nDernierRepRef=/films\nDernierRepSauv=/sauvegarde\n");
    open();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Synchronisation"));
    EXPECT_EQ(c<QLineEdit>("EdCheminRepRef")->text(), QStringLiteral("/films"));
    EXPECT_EQ(c<QLineEdit>("EdCheminRepSauv")->text(), QStringLiteral("/sauvegarde"));
    for (const char* name : {"CbCopieNonSauv", "RbRespectArbor", "RbVrac", "CbFichiersManquants", "BtLancerActions"})
        EXPECT_FALSE(c<QWidget>(name)->isEnabled()) << name;
    EXPECT_TRUE(c<QRadioButton>("RbVrac")->isChecked());
    EXPECT_FALSE(c<QWidget>("BtFermer")->isVisible() || c<QWidget>("BtFermer")->isEnabled());
    EXPECT_FALSE(c<QWidget>("Label5")->isVisible());
    EXPECT_FALSE(c<QCheckBox>("CbAnalyseSousRep")->isChecked());
    EXPECT_EQ(c<QPushButton>("BtParcoursRepRef")->toolTip(), QStringLiteral("Parcourir"));

    // A cancelled chooser leaves its field empty; the fields are saved as they stand.
    dialogs.folders << QString();
    click("BtParcoursRepRef");
    EXPECT_TRUE(c<QLineEdit>("EdCheminRepRef")->text().isEmpty());
    EXPECT_EQ(dialogs.folderCaptions, QStringList {QStringLiteral("Sélection du répertoire référence")});
    c<QLineEdit>("EdCheminRepSauv")->setText(QStringLiteral("/ailleurs"));
    window.reset();
    EXPECT_EQ(readFile(iniPath), "[Synchro]\nDernierRepRef=\nDernierRepSauv=/ailleurs\n");
}

TEST_F(SyncWindow, AnalysisFillsBothListsAndEachMenuTicksItsOwnList)
{
    makeFiles({"ref/a.mkv", "ref/b.mkv", "ref/sous/d.mkv", "save/b.mkv", "save/c.mkv", "save/e.mkv"});
    open();
    analyse();
    EXPECT_EQ(names("LVFichiersNonSauv"), QStringList {QStringLiteral("a.mkv")});
    EXPECT_EQ(names("LVFichiersManquants"), (QStringList {QStringLiteral("c.mkv"), QStringLiteral("e.mkv")}));
    EXPECT_TRUE(c<QTreeView>("LVFichiersNonSauv")->isColumnHidden(1));
    EXPECT_EQ(list("LVFichiersNonSauv")->index(0, 1).data().toString(), path(QStringLiteral("ref/")));
    for (const char* name : {"CbCopieNonSauv", "RbRespectArbor", "RbVrac", "CbFichiersManquants", "BtLancerActions"})
        EXPECT_TRUE(c<QWidget>(name)->isEnabled()) << name;
    EXPECT_TRUE(log.contains(QStringLiteral("Début de tache de synchronisation")));

    c<QAction>("PopCocherManquant")->trigger();
    EXPECT_FALSE(checked("LVFichiersNonSauv", 0));
    EXPECT_TRUE(checked("LVFichiersManquants", 0) && checked("LVFichiersManquants", 1));
    c<QAction>("PopCocherNonSauv")->trigger();
    c<QAction>("PopDecocherManquant")->trigger();
    EXPECT_TRUE(checked("LVFichiersNonSauv", 0));
    EXPECT_FALSE(checked("LVFichiersManquants", 0) || checked("LVFichiersManquants", 1));

    // Sub-folders when ticked; a new analysis starts from empty lists.
    analyse(true);
    EXPECT_EQ(names("LVFichiersNonSauv"), (QStringList {QStringLiteral("a.mkv"), QStringLiteral("d.mkv")}));
    EXPECT_FALSE(checked("LVFichiersNonSauv", 0) || checked("LVFichiersNonSauv", 1));

    // An empty reference: the deletion box stays disabled.
    QDir(path(QStringLiteral("ref"))).removeRecursively();
    QDir().mkpath(path(QStringLiteral("ref")));
    analyse(true);
    EXPECT_FALSE(c<QWidget>("CbFichiersManquants")->isEnabled());
    EXPECT_TRUE(c<QWidget>("CbCopieNonSauv")->isEnabled());
}

TEST_F(SyncWindow, StopDuringACopyAbandonsEveryFileOfTheTask)
{
    makeFiles({"ref/a.mkv", "ref/b.mkv", "ref/c.mkv"}, QByteArray(3 << 20, 'f'));
    open();
    analyse();
    c<QAction>("PopCocherNonSauv")->trigger();
    c<QCheckBox>("CbCopieNonSauv")->setChecked(true);
    QSignalSpy ended(window.get(), &TSynch::actionsEnded);
    click("BtLancerActions");
    // The copy window is up, over the tool, before the first byte moves; the
    // tool cannot be closed under it.
    auto* copy = window->findChild<QWidget*>(QStringLiteral("FCopieEnCours"));
    ASSERT_TRUE(copy && copy->isVisible());
    EXPECT_EQ(copy->windowTitle(), QStringLiteral("Copie du fichier 1/3"));
    EXPECT_EQ(copy->windowModality(), Qt::WindowModal);
    EXPECT_FALSE(window->close());
    QTest::mouseClick(copy->findChild<QPushButton*>(QStringLiteral("BtArret")), Qt::LeftButton);
    ASSERT_TRUE(ended.wait(120000));
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(list("LVFichiersNonSauv")->rowCount(), 0);
    EXPECT_TRUE(QDir(path(QStringLiteral("save"))).entryList(QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_TRUE(log.contains(QStringLiteral("        0 fichiers copiès de ") + path(QStringLiteral("ref"))));
    EXPECT_TRUE(log.contains(QStringLiteral("        Copie arrêtée : 3 fichiers n'ont pas été copiés")));
    EXPECT_FALSE(window->findChild<QWidget*>(QStringLiteral("FCopieEnCours")));
    EXPECT_TRUE(c<QWidget>("Label5")->isVisible());
    EXPECT_TRUE(c<QWidget>("BtFermer")->isVisible() && c<QWidget>("BtFermer")->isEnabled());
    EXPECT_FALSE(c<QWidget>("BtLancerActions")->isVisible());

    // The next analysis brings "Lancer" back, and the copy goes through.
    analyse();
    EXPECT_FALSE(c<QWidget>("Label5")->isVisible());
    EXPECT_TRUE(c<QWidget>("BtLancerActions")->isVisible());
    c<QRadioButton>("RbRespectArbor")->setChecked(true);
    c<QAction>("PopCocherNonSauv")->trigger();
    QStringList captions;
    QSignalSpy again(window.get(), &TSynch::actionsEnded);
    click("BtLancerActions");
    copy = window->findChild<QWidget*>(QStringLiteral("FCopieEnCours"));
    ASSERT_TRUE(copy);
    captions << copy->windowTitle();
    QObject::connect(copy, &QWidget::windowTitleChanged, [&](const QString& title) { captions << title; });
    ASSERT_TRUE(again.wait(120000));
    EXPECT_EQ(captions,
        (QStringList {QStringLiteral("Copie du fichier 1/3"), QStringLiteral("Copie du fichier 2/3"),
            QStringLiteral("Copie du fichier 3/3")}));
    EXPECT_EQ(QDir(path(QStringLiteral("save"))).entryList(QDir::Files).size(), 3);
    EXPECT_TRUE(log.contains(QStringLiteral("        3 fichiers copiès de ") + path(QStringLiteral("ref"))));
}

TEST_F(SyncWindow, DeletionAsksFirstAndEscapeOrTheCloseBoxCancel)
{
    makeFiles({"ref/a.mkv", "save/b.mkv", "save/c.mkv"});
    open();
    analyse();
    c<QCheckBox>("CbFichiersManquants")->setChecked(true);
    const std::function<void(QWidget*)> answers[] = {
        [](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); },
        [](QWidget* w) { w->close(); },
        [](QWidget* w) { QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("BtAnnul")), Qt::LeftButton); },
    };
    for (const auto& answer : answers) {
        c<QAction>("PopCocherManquant")->trigger();
        whenShown("FConfirmSuppr", [&](QWidget* w) {
            EXPECT_EQ(w->windowTitle(), QStringLiteral("Confirmation"));
            answer(w);
        });
        launch();
        EXPECT_EQ(QDir(path(QStringLiteral("save"))).entryList(QDir::Files).size(), 2);
        EXPECT_EQ(list("LVFichiersManquants")->rowCount(), 2);
        // Nothing was done: no "Terminé !", "Lancer" stays.
        EXPECT_FALSE(c<QWidget>("Label5")->isVisible());
        EXPECT_TRUE(c<QWidget>("BtLancerActions")->isVisible());
        EXPECT_EQ(
            log.filter(QStringLiteral("        0 fichiers supprimer de ") + path(QStringLiteral("save"))).size(), 1);
        EXPECT_EQ(log.filter(QStringLiteral("        Suppression annulée : aucun fichier n'a été supprimé")).size(), 1);
        log.clear();
    }

    whenShown("FConfirmSuppr",
        [](QWidget* w) { QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("BtConfirm")), Qt::LeftButton); });
    c<QAction>("PopCocherManquant")->trigger();
    launch();
    EXPECT_TRUE(QDir(path(QStringLiteral("save"))).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(list("LVFichiersManquants")->rowCount(), 0);
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("ref/a.mkv"))));
    EXPECT_TRUE(c<QWidget>("Label5")->isVisible());
    EXPECT_TRUE(log.contains(QStringLiteral("        2 fichiers supprimer de ") + path(QStringLiteral("save"))));
}

TEST_F(SyncWindow, TheDeletionBoxFollowsWhatTheLastAnalysisCouldList)
{
    makeFiles({"ref/films/a.mkv", "ref/b.mkv", "save/a.mkv", "save/c.mkv"});
    open();
    analyse(true);
    auto* deletion = c<QCheckBox>("CbFichiersManquants");
    ASSERT_TRUE(deletion->isEnabled());
    deletion->setChecked(true);

    // Unseen, the reference's a.mkv would have offered the backup's for deletion.
    openToEveryone(files.path());
    openToEveryone(app.path());
    {
        UnreadableFolder unreadable(path(QStringLiteral("ref/films")));
        AsNobody nobody;
        if (nobody.refused)
            GTEST_SKIP() << "root may not become nobody here, and permissions do not stop root";
        click("BtLanceAnalyse");
    }
    EXPECT_EQ(dialogs.messages,
        QStringList {QStringLiteral("L'analyse est incomplète : ") + path(QStringLiteral("ref/films/"))
            + QStringLiteral(" n'a pas pu être lu. Aucun fichier n'est proposé à la suppression.")});
    EXPECT_EQ(list("LVFichiersManquants")->rowCount(), 0);
    EXPECT_FALSE(deletion->isEnabled() || deletion->isChecked());
    EXPECT_TRUE(c<QWidget>("CbCopieNonSauv")->isEnabled() && c<QWidget>("BtLancerActions")->isEnabled());

    // A refused analysis leaves no list to act on.
    click("BtLanceAnalyse");
    deletion->setChecked(true);
    c<QLineEdit>("EdCheminRepSauv")->setText(path(QStringLiteral("absent")));
    click("BtLanceAnalyse");
    for (const char* name : {"CbCopieNonSauv", "RbRespectArbor", "RbVrac", "CbFichiersManquants", "BtLancerActions"})
        EXPECT_FALSE(c<QWidget>(name)->isEnabled()) << name;
    EXPECT_FALSE(deletion->isChecked());
}

TEST_F(SyncWindow, MessagesOfTheWindow)
{
    open();
    c<QLineEdit>("EdCheminRepRef")->clear();
    c<QLineEdit>("EdCheminRepSauv")->clear();
    click("BtLanceAnalyse");
    c<QLineEdit>("EdCheminRepRef")->setText(path(QStringLiteral("absent")));
    c<QLineEdit>("EdCheminRepSauv")->setText(path(QStringLiteral("absent")));
    click("BtLanceAnalyse");
    makeFiles({"ref/a.mkv", "save/b.mkv"});
    analyse();
    launch();
    EXPECT_EQ(dialogs.messages,
        (QStringList {QStringLiteral("Renseigner un rep de sauv et de ref"),
            QStringLiteral("Au moins un des deux répertoires renseignés n'est pas valide"),
            QStringLiteral("Aucune action sélentionné")}));
}

class SyncFromMainWindow : public WindowFixture {};

TEST_F(SyncFromMainWindow, MenuOpensTheToolAndClosingItGivesTheMainWindowBack)
{
    TForm1& f = openWindow();
    control<QAction>(&f, "MenuSynchro")->trigger();
    TSynch* tool = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* t = qobject_cast<TSynch*>(w))
            tool = t;
    ASSERT_TRUE(tool);
    EXPECT_TRUE(tool->isVisible());
    EXPECT_FALSE(f.isEnabled());

    // Its log lines reach the Log page.
    QDir().mkpath(appDir.filePath(QStringLiteral("ref")));
    QDir().mkpath(appDir.filePath(QStringLiteral("save")));
    control<QLineEdit>(tool, "EdCheminRepRef")->setText(appDir.filePath(QStringLiteral("ref")));
    control<QLineEdit>(tool, "EdCheminRepSauv")->setText(appDir.filePath(QStringLiteral("save")));
    QTest::mouseClick(control<QPushButton>(tool, "BtLanceAnalyse"), Qt::LeftButton);
    EXPECT_TRUE(control<QPlainTextEdit>(&f, "MLog")
                    ->toPlainText()
                    .contains(QStringLiteral("Début de tache de synchronisation")));

    QPointer<TSynch> watched(tool);
    tool->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(watched);
    EXPECT_TRUE(f.isEnabled());
    EXPECT_TRUE(readIni().contains(QStringLiteral("DernierRepRef=") + appDir.filePath(QStringLiteral("ref"))));
}
