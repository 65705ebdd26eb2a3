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
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

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
            u'"' + empty.path() + QStringLiteral("/mkvmerge\" -i \"") + path + QStringLiteral("\" doesn't exist.")});
    EXPECT_EQ(Fichier->Comment, QString());
    EXPECT_EQ(Fichier->ID, QString());

    Fichier->ID = QStringLiteral("1");
    LanceMkvextract(*Fichier, tools);
    EXPECT_EQ(
        log, QStringList {QStringLiteral("Impossible d'extraire l'affiche du fichier ou de la télécharger") + path});
    EXPECT_EQ(Fichier->LienAffiche, QString());
    EXPECT_EQ(entries(tools.EdRepAffiche), QStringList());
}

TEST_F(MkvTools, HangingMkvmergeIsEndedAndListsNothing)
{
    QTemporaryDir fakeTools;
    const QString script = fakeTools.filePath(QStringLiteral("mkvmerge"));
    test::makeTextFile(script,
        "#!/bin/sh\necho \"Attachment ID 1: type 'image/jpeg', size 3 bytes, file name "
        "'cover.jpg'\"\nexec sleep 30\n");
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    tools.CheminMkvToolNix = fakeTools.path() + u'/';
    tools.silenceLimit = 1;

    auto Fichier = analysed(dir.filePath(QStringLiteral("film.mkv")));
    QElapsedTimer clock;
    clock.start();
    LanceMkvmerge(*Fichier, tools);
    EXPECT_LT(clock.elapsed(), 10000);
    EXPECT_EQ(Fichier->Comment, QString());
    EXPECT_EQ(Fichier->ID, QString());
    EXPECT_TRUE(Fichier->PremsAffiche);
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

TEST_F(MkvTools, WaitingForAProgramKeepsTheEventLoopRunning)
{
    bool ticked = false;
    QTimer::singleShot(20, [&ticked] { ticked = true; });
    EXPECT_EQ(LanceAppliAttenteFin(QStringLiteral("sh -c \"sleep 0.3; exit 4\""), QStringLiteral("sh"),
                  {QStringLiteral("-c"), QStringLiteral("sleep 0.3; exit 4")}),
        4);
    EXPECT_TRUE(ticked);
    EXPECT_THROW(LanceAppliAttenteFin(QStringLiteral("absent"), QStringLiteral("/nonexistent/absent"), {}), Error);
}
