// mkvmerge and mkvextract run on real Matroska files made in the test.
#include "media/MkvTools.h"
#include "core/Options.h"
#include "platform/Error.h"
#include "platform/ToolLocator.h"
#include "support/CoreApplication.h"
#include "support/FakeMedia.h"
#include "support/FileBytes.h"
#include "support/MatroskaFixtures.h"
#include "support/VideoFixtures.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <clocale>
#include <locale.h>
#include <memory>
#include <vector>

using namespace filmarch;
using test::Attachment;
using test::picture;

using filmarch::test::readFile;
using filmarch::test::writeFile;

namespace {

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class MkvTools : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        test::ensureCoreApplication();
        videoDir = std::make_unique<QTemporaryDir>();
        test::makeVideo(plainVideo());
    }
    static void TearDownTestSuite() { videoDir.reset(); }
    static QString plainVideo() { return videoDir->filePath(QStringLiteral("plain.mkv")); }

    void SetUp() override
    {
        tools.CheminMkvToolNix = ToolLocator::system().findMkvToolNix();
        ASSERT_FALSE(tools.CheminMkvToolNix.isEmpty()) << "mkvmerge is not installed";
        tools.EdRepAffiche = dir.filePath(QStringLiteral("Affiches"));
        tools.EcritureLog = [this](const QString& line) { log << line; };
        tools.errorBox = [this](const QString& message) { errors << message; };
    }

    QString film(const QString& name, const QList<Attachment>& attachments)
    {
        const QString path = dir.filePath(name);
        test::attachFiles(plainVideo(), path, attachments);
        return path;
    }

    // The analysed file as the scan builds it, with its title.
    std::unique_ptr<TTraitement> analysed(
        const QString& path, bool ImageOnly = false, const QString& title = QStringLiteral("Film"))
    {
        media.withVideo();
        auto Fichier = std::make_unique<TTraitement>(path, ImageOnly, media, [] { return QString(); });
        Fichier->TitreTraduit = title;
        return Fichier;
    }

    // What the writers do with the two options on.
    void listAndExtract(TTraitement& Fichier)
    {
        LanceMkvmerge(Fichier, tools);
        if (!Fichier.ID.isEmpty())
            LanceMkvextract(Fichier, tools);
    }

    static std::unique_ptr<QTemporaryDir> videoDir;
    QTemporaryDir dir;
    test::FakeMedia media;
    MkvToolSettings tools;
    QStringList log, errors;
};

std::unique_ptr<QTemporaryDir> MkvTools::videoDir;

TEST_F(MkvTools, ListsAttachmentsAndExtractsTheChosenPicture)
{
    struct Case {
        const char* name;
        QList<Attachment> attachments;
        bool ImageOnly;
        const char* Comment;
        const char* poster; // bytes of the extracted poster, none when null
    };
    const Attachment font {QStringLiteral("font.ttf"), QStringLiteral("font/ttf"), "font bytes"};
    const Attachment notes {QStringLiteral("notes.txt"), QStringLiteral("text/plain"), "notes"};
    const Case cases[] = {
        {"first .jpg", {picture(QStringLiteral("cover.png")), picture(QStringLiteral("front.jpg"))}, false,
            "cover.png|front.jpg|", "bytes of front.jpg"},
        {"first AFFICHE",
            {picture(QStringLiteral("cover.jpg")), picture(QStringLiteral("affiche.png")),
                picture(QStringLiteral("AFFICHE2.jpg"))},
            false, "cover.jpg|affiche.png|AFFICHE2.jpg|", "bytes of affiche.png"},
        {"capital extension alone", {picture(QStringLiteral("COVER.JPG"))}, false, "COVER.JPG|", nullptr},
        {"AFFICHE with a capital extension", {picture(QStringLiteral("Affiche.JPG"))}, false, "Affiche.JPG|",
            "bytes of Affiche.JPG"},
        {"font and text beside a picture", {font, notes, picture(QStringLiteral("cover.jpg"))}, false, "cover.jpg|",
            "bytes of cover.jpg"},
        {"font and text beside a picture, pictures only", {font, notes, picture(QStringLiteral("cover.jpg"))}, true,
            "cover.jpg|", "bytes of cover.jpg"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tools.EdRepAffiche = dir.filePath(QStringLiteral("Affiches%1").arg(++n));
        auto Fichier = analysed(film(QStringLiteral("film%1.mkv").arg(n), c.attachments), c.ImageOnly);
        listAndExtract(*Fichier);
        EXPECT_EQ(Fichier->Comment, QString::fromUtf8(c.Comment));
        if (c.poster) {
            EXPECT_EQ(Fichier->LienAffiche, tools.EdRepAffiche + QStringLiteral("/Film.jpg"));
            EXPECT_EQ(readFile(Fichier->LienAffiche), QByteArray(c.poster));
            EXPECT_EQ(entries(tools.EdRepAffiche), QStringList {QStringLiteral("Film.jpg")});
        } else {
            EXPECT_EQ(Fichier->ID, QString());
            EXPECT_EQ(Fichier->LienAffiche, QString());
            EXPECT_FALSE(QDir(tools.EdRepAffiche).exists());
        }
    }
    EXPECT_EQ(errors, QStringList());
    EXPECT_EQ(log, QStringList());
}

TEST_F(MkvTools, HostileNamesReachTheToolsIntactAndPostersStayInTheirFolder)
{
    const QString trap = dir.filePath(QStringLiteral("pwned"));
    const QString absolute =
        film(QStringLiteral("-x \"q\" 'a' été $(touch %1)\nnl.mkv").arg(trap), {picture(QStringLiteral("café.jpg"))});
    auto Fichier = analysed(absolute, false, QStringLiteral("../AC/DC \"live\""));
    listAndExtract(*Fichier);
    EXPECT_EQ(Fichier->Comment, QStringLiteral("café.jpg|"));
    EXPECT_EQ(Fichier->LienAffiche, tools.EdRepAffiche + QStringLiteral("/.._AC_DC \"live\".jpg"));
    EXPECT_EQ(readFile(Fichier->LienAffiche), QByteArray("bytes of café.jpg"));
    EXPECT_FALSE(QFile::exists(trap));

    // Relative names that the tools could read as an option or an option file.
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    QStringList listed;
    for (const QString& name : {QStringLiteral("--version"), QStringLiteral("@x.mkv")}) {
        film(name, {picture(QStringLiteral("cover.jpg"))});
        auto Fichier = analysed(name, false, name);
        listAndExtract(*Fichier);
        listed << Fichier->Comment << QString::fromUtf8(readFile(Fichier->LienAffiche));
    }
    QDir::setCurrent(previous);
    EXPECT_EQ(listed,
        (QStringList {QStringLiteral("cover.jpg|"), QStringLiteral("bytes of cover.jpg"), QStringLiteral("cover.jpg|"),
            QStringLiteral("bytes of cover.jpg")}));
}

TEST_F(MkvTools, OlderPosterIsReplacedOnlyByASuccessfulExtraction)
{
    const QString path = film(QStringLiteral("film.mkv"), {picture(QStringLiteral("cover.jpg"))});
    ASSERT_TRUE(QDir().mkpath(tools.EdRepAffiche));
    const QString older = tools.EdRepAffiche + QStringLiteral("/Film.jpg");
    test::makeTextFile(older, "older poster");

    auto wrongNumber = analysed(path);
    wrongNumber->ID = QStringLiteral("9");
    LanceMkvextract(*wrongNumber, tools);
    EXPECT_EQ(wrongNumber->LienAffiche, QString()) << "no poster was extracted for this film";
    EXPECT_EQ(readFile(older), QByteArray("older poster"));
    EXPECT_EQ(entries(tools.EdRepAffiche), QStringList {QStringLiteral("Film.jpg")});

    auto Fichier = analysed(path);
    listAndExtract(*Fichier);
    EXPECT_EQ(Fichier->LienAffiche, older);
    EXPECT_EQ(readFile(older), QByteArray("bytes of cover.jpg"));
    EXPECT_EQ(entries(tools.EdRepAffiche), QStringList {QStringLiteral("Film.jpg")});
    EXPECT_EQ(log, QStringList());
}

TEST_F(MkvTools, MissingToolsAreReportedAndTheFileKeepsNoAttachments)
{
    const QString path = film(QStringLiteral("film.mkv"), {picture(QStringLiteral("cover.jpg"))});
    QTemporaryDir empty;
    tools.CheminMkvToolNix = empty.path() + u'/';

    auto Fichier = analysed(path);
    LanceMkvmerge(*Fichier, tools);
    EXPECT_EQ(errors,
        QStringList {
            u'"' + empty.path() + QStringLiteral("/mkvmerge\" -J \"") + path + QStringLiteral("\" doesn't exist.")});
    EXPECT_EQ(Fichier->Comment, QString());
    EXPECT_EQ(Fichier->ID, QString());

    Fichier->ID = QStringLiteral("1");
    LanceMkvextract(*Fichier, tools);
    EXPECT_EQ(
        log, QStringList {QStringLiteral("Impossible d'extraire l'affiche du fichier ou de la télécharger") + path});
    EXPECT_EQ(Fichier->LienAffiche, QString());
    EXPECT_EQ(entries(tools.EdRepAffiche), QStringList());
}

TEST_F(MkvTools, ToolsPastTheirBoundsOrStoppedAreEndedAndTheFileKeepsNothingFromThem)
{
    using std::chrono::milliseconds;
    const QString path = film(QStringLiteral("film.mkv"), {picture(QStringLiteral("cover.jpg"))});
    const QString realTools = tools.CheminMkvToolNix;
    const QByteArray manyNames = "echo '{\"attachments\": ['; i=0; while [ $i -lt 200 ]; do echo "
                                 "\"{\\\"id\\\": $i, \\\"content_type\\\": \\\"image/png\\\", \\\"file_name\\\": "
                                 "\\\"$i.png\\\"},\"; i=$((i+1)); done; echo '{\"id\": 999}]}'";
    struct Case {
        const char* name;
        const char* tool;    // the fake one, the other is the real one
        QByteArray script;   // after "#!/bin/sh"
        int total, silence;  // limits in milliseconds
        bool stop;           // "Stop" pressed while the tool runs
        const char* logged;  // the one log line, before ": <file>"
        const char* Comment; // what the listing gave
    };
    // Says it runs, for a "Stop" pressed while it does.
    const QByteArray kStarted = "touch \"$0.started\"; exec sleep 30";
    const char* const kAttachments = ", fichier catalogué sans ses pièces jointes";
    const char* const kPoster = ", fichier catalogué sans affiche";
    const Case cases[] = {
        {"mkvmerge silent", "mkvmerge", "echo '{\"attachments\": ['; exec sleep 30", 9000, 100, false,
            "mkvmerge arrêté (plus aucune sortie)", ""},
        {"mkvmerge talking for ever", "mkvmerge", "while :; do echo ' '; sleep 0.01; done", 300, 5000, false,
            "mkvmerge arrêté (durée maximale dépassée)", ""},
        {"mkvmerge flooding", "mkvmerge", "exec yes '{\"attachments\": []}'", 9000, 9000, false,
            "mkvmerge : liste des pièces jointes trop longue", ""},
        {"mkvmerge listing too many names", "mkvmerge", manyNames, 9000, 9000, false,
            "mkvmerge : liste des pièces jointes trop longue", ""},
        {"mkvmerge stopped", "mkvmerge", kStarted, 9000, 9000, true, "mkvmerge arrêté à la demande", ""},
        {"mkvextract silent", "mkvextract", "exec sleep 30", 9000, 100, false, "mkvextract arrêté (plus aucune sortie)",
            "cover.jpg|"},
        {"mkvextract talking for ever", "mkvextract", "while :; do echo Progress; sleep 0.01; done", 300, 5000, false,
            "mkvextract arrêté (durée maximale dépassée)", "cover.jpg|"},
        {"mkvextract stopped", "mkvextract", kStarted, 9000, 9000, true, "mkvextract arrêté à la demande",
            "cover.jpg|"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir fakeTools;
        const QString tool = QLatin1String(c.tool);
        const QString other =
            tool == QLatin1String("mkvmerge") ? QStringLiteral("mkvextract") : QStringLiteral("mkvmerge");
        ASSERT_TRUE(QFile::link(realTools + other, fakeTools.filePath(other)));
        test::makeTextFile(fakeTools.filePath(tool), "#!/bin/sh\n" + c.script + '\n');
        QFile::setPermissions(fakeTools.filePath(tool), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        tools.CheminMkvToolNix = fakeTools.path() + u'/';
        // The small limits are the fake tool's; the real one may be slow on a busy machine.
        const ToolLimits small {milliseconds(c.total), milliseconds(c.silence)}, ample {std::chrono::minutes(1), {}};
        tools.mkvmergeLimits = tool == QLatin1String("mkvmerge") ? small : ample;
        tools.mkvextractLimits = tool == QLatin1String("mkvextract") ? small : ample;
        tools.maxListingBytes = 64 << 10;
        tools.maxCommentText = 1000;
        const QString started = fakeTools.filePath(tool) + QStringLiteral(".started");
        tools.stopRequested = [&c, started] { return c.stop && QFile::exists(started); };
        log.clear();

        auto Fichier = analysed(path);
        QElapsedTimer clock;
        clock.start();
        listAndExtract(*Fichier);
        EXPECT_LT(clock.elapsed(), 10000);
        EXPECT_EQ(log,
            QStringList {QString::fromUtf8(c.logged)
                + QString::fromUtf8(tool == QLatin1String("mkvmerge") ? kAttachments : kPoster) + QStringLiteral(" : ")
                + path});
        EXPECT_EQ(Fichier->Comment, QString::fromUtf8(c.Comment));
        EXPECT_EQ(Fichier->LienAffiche, QString());
        EXPECT_EQ(entries(tools.EdRepAffiche), QStringList()) << "no piece of a poster is left";
    }
    EXPECT_EQ(errors, QStringList());

    // A run stopped before a tool starts starts none.
    tools.CheminMkvToolNix = realTools;
    tools.stopRequested = [] { return true; };
    log.clear();
    auto Fichier = analysed(path);
    LanceMkvmerge(*Fichier, tools);
    EXPECT_EQ(log,
        QStringList {
            QStringLiteral("mkvmerge arrêté à la demande, fichier catalogué sans ses pièces jointes : ") + path});
}

TEST_F(MkvTools, AccentedNamesSurviveALocaleThatIsNotUtf8)
{
    const QString path = film(QStringLiteral("été.mkv"), {picture(QStringLiteral("café.jpg"))});
    const QByteArray saved = qgetenv("LC_ALL");
    qputenv("LC_ALL", "C");
    auto Fichier = analysed(path);
    listAndExtract(*Fichier);
    qputenv("LC_ALL", saved);
    EXPECT_EQ(Fichier->Comment, QStringLiteral("café.jpg|"));
    EXPECT_EQ(readFile(Fichier->LienAffiche), QByteArray("bytes of café.jpg"));
}

TEST_F(MkvTools, ListingReadsTheSameInTheToolsLanguagesAndKeepsHostileNamesWhole)
{
    const Attachment hostile {QStringLiteral("we\"ird\nname, file name 'x.jpg"), QStringLiteral("image/jpeg"),
        "bytes of hostile", QStringLiteral("d, file name 'decoy.png'")};
    const Attachment quoted {QStringLiteral("Pièce jointe ID 9: «affiche».png"), QStringLiteral("image/png"),
        "bytes of quoted", QStringLiteral("Attachment ID 3: type 'image/jpeg', file name 'z.jpg'")};
    const QString path = film(QStringLiteral("film.mkv"), {picture(QStringLiteral("cover.png")), hostile, quoted});
    const QByteArray saved = qgetenv("LC_ALL");
    struct Language {
        const char* locale;
        const char* listingStart; // how mkvmerge -i starts in that language
    };
    for (const Language& language : {Language {"de_DE.UTF-8", "Datei"}, Language {"fr_FR.UTF-8", "Fichier"}}) {
        SCOPED_TRACE(language.locale);
        if (locale_t l = newlocale(LC_ALL_MASK, language.locale, locale_t(0)))
            freelocale(l);
        else
            GTEST_SKIP() << language.locale << " is not installed (scripts/install-deps.sh generates it)";
        qputenv("LC_ALL", language.locale);
        QProcess words;
        words.start(QStringLiteral("mkvmerge"), {QStringLiteral("-i"), path});
        words.waitForFinished(60000);
        EXPECT_TRUE(words.readAllStandardOutput().startsWith(language.listingStart)) << "the tool speaks the language";

        tools.EdRepAffiche = dir.filePath(QString::fromLatin1(language.locale));
        auto Fichier = analysed(path);
        listAndExtract(*Fichier);
        qputenv("LC_ALL", saved);
        EXPECT_EQ(Fichier->Comment, QStringLiteral("cover.png|") + hostile.name + u'|' + quoted.name + u'|');
        EXPECT_EQ(Fichier->ID, QStringLiteral("3")) << "an AFFICHE name wins";
        EXPECT_EQ(readFile(Fichier->LienAffiche), QByteArray("bytes of quoted"));
    }
    EXPECT_EQ(log, QStringList());
}

TEST_F(MkvTools, ToolsRunFromWorkerThreadsAtOnceAndTheStopFlagReachesThem)
{
    constexpr int kThreads = 4;
    std::vector<std::unique_ptr<TTraitement>> films;
    std::vector<MkvToolSettings> settings(kThreads, tools);
    for (int i = 0; i < kThreads; ++i) {
        const QString name = QStringLiteral("cover%1.jpg").arg(i);
        films.push_back(analysed(film(QStringLiteral("film%1.mkv").arg(i), {picture(name)})));
        settings[i].EdRepAffiche = dir.filePath(QStringLiteral("Affiches%1").arg(i));
        settings[i].stopRequested = [] { return false; };
        settings[i].EcritureLog = {}; // the fixture's list is not shared between threads
        settings[i].errorBox = {};
    }
    std::vector<std::unique_ptr<QThread>> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back(QThread::create([&films, &settings, i] {
            LanceMkvmerge(*films[i], settings[i]);
            LanceMkvextract(*films[i], settings[i]);
        }));
        threads.back()->start();
    }
    for (auto& t : threads)
        ASSERT_TRUE(t->wait(60000));
    for (int i = 0; i < kThreads; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(films[i]->Comment, QStringLiteral("cover%1.jpg|").arg(i));
        EXPECT_EQ(readFile(films[i]->LienAffiche), QStringLiteral("bytes of cover%1.jpg").arg(i).toUtf8());
    }

    // The run's stop flag, set on another thread, ends a tool that a thread waits for.
    QTemporaryDir fakeTools;
    const QString started = fakeTools.filePath(QStringLiteral("started"));
    test::makeTextFile(
        fakeTools.filePath(QStringLiteral("mkvmerge")), "#!/bin/sh\ntouch '" + started.toUtf8() + "'\nexec sleep 60\n");
    QFile::setPermissions(
        fakeTools.filePath(QStringLiteral("mkvmerge")), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    std::atomic<bool> stop {false};
    QString logged;
    MkvToolSettings hanging = tools;
    hanging.CheminMkvToolNix = fakeTools.path() + u'/';
    hanging.stopRequested = [&stop] { return stop.load(); };
    hanging.EcritureLog = [&logged](const QString& line) { logged = line; };
    std::unique_ptr<QThread> waiting(QThread::create([&films, &hanging] { LanceMkvmerge(*films[0], hanging); }));
    waiting->start();
    while (!QFile::exists(started) && !waiting->isFinished())
        QThread::msleep(5);
    stop = true;
    ASSERT_TRUE(waiting->wait(30000));
    EXPECT_TRUE(logged.startsWith(QStringLiteral("mkvmerge arrêté à la demande"))) << logged.toStdString();
}

TEST_F(MkvTools, WaitingForAProgramGivesItsExitCodeOrAnErrorWhenItCannotStart)
{
    EXPECT_EQ(LanceAppliAttenteFin(QStringLiteral("sh -c \"exit 4\""), QStringLiteral("sh"),
                  {QStringLiteral("-c"), QStringLiteral("exit 4")})
                  .exitCode,
        4);
    EXPECT_THROW(LanceAppliAttenteFin(QStringLiteral("absent"), QStringLiteral("/nonexistent/absent"), {}), Error);
}
