// filmarch-cli on Matroska files with attachments, the options in options.ini.
#include "catalog/MovieList.h"
#include "catalog/XmlCatalogue.h"
#include "support/CliSandbox.h"
#include "support/MatroskaFixtures.h"
#include "support/VideoFixtures.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>

using namespace filmarch;
using namespace filmarch::test;

namespace {

class CliMatroska : public ::testing::Test, protected CliSandbox {
protected:
    static void SetUpTestSuite()
    {
        videos = new QTemporaryDir;
        const QString plain = videos->filePath(QStringLiteral("plain.mkv"));
        makeVideo(plain);
        QDir(videos->path()).mkdir(QStringLiteral("films"));
        attachFiles(plain, films() + QStringLiteral("/Alpha.mkv"),
            {picture(QStringLiteral("cover.png")), picture(QStringLiteral("front.jpg"))});
        attachFiles(plain, films() + QStringLiteral("/Bravo.mkv"),
            {{QStringLiteral("font.ttf"), QStringLiteral("font/ttf"), "font"}, picture(QStringLiteral("COVER.JPG"))});
    }
    static void TearDownTestSuite() { delete videos; }
    static QString films() { return videos->filePath(QStringLiteral("films")); }

    void SetUp() override
    {
        writeOptions("[Mkv]\nAffiches=1\nRepertoireAffiches=" + posters().toUtf8() + "\nPiecesJointe=1\n");
    }
    QString posters() const { return target.filePath(QStringLiteral("affiches")); }

    // Runs the program with `path` ahead of the search path when it is set.
    int cli(const QString& catalogue, const QString& path = {})
    {
        QProcess p;
        if (!path.isEmpty()) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("PATH"), path + u':' + env.value(QStringLiteral("PATH")));
            p.setProcessEnvironment(env);
        }
        return CliSandbox::cli(p, {films(), catalogue});
    }

    static QTemporaryDir* videos;
    QTemporaryDir target;
};
QTemporaryDir* CliMatroska::videos = nullptr;

} // namespace

TEST_F(CliMatroska, WritesAttachmentsAndPostersIntoBothFormats)
{
    const QString xml = target.filePath(QStringLiteral("films.xml"));
    ASSERT_EQ(cli(xml), 0) << err.toStdString();
    EXPECT_EQ(err, QString());
    std::unique_ptr<XmlCatalogue> doc = XmlCatalogue::loadFile(xml);
    ASSERT_EQ(doc->movieCount(), 2);
    QStringList xmlEntries;
    for (int i = 0; i < doc->movieCount(); ++i)
        xmlEntries << doc->movieAttribute(i, QStringLiteral("TranslatedTitle")) + u' '
                + doc->movieAttribute(i, QStringLiteral("Comments")) + u' '
                + doc->movieAttribute(i, QStringLiteral("Picture"));
    xmlEntries.sort();
    EXPECT_EQ(xmlEntries,
        (QStringList {QStringLiteral("Alpha cover.png|front.jpg| ") + posters() + QStringLiteral("/Alpha.jpg"),
            QStringLiteral("Bravo COVER.JPG| ")}));
    QFile poster(posters() + QStringLiteral("/Alpha.jpg"));
    ASSERT_TRUE(poster.open(QIODevice::ReadOnly));
    EXPECT_EQ(poster.readAll(), QByteArray("bytes of front.jpg"));
    poster.close();
    ASSERT_TRUE(poster.remove());

    const QString amc = target.filePath(QStringLiteral("films.amc"));
    ASSERT_EQ(cli(amc), 0) << err.toStdString();
    TMovieList list;
    list.LoadFromFile(amc);
    ASSERT_EQ(list.Count(), 2);
    QStringList amcEntries;
    for (int i = 0; i < list.Count(); ++i) {
        const TMovie& m = list.GetItem(i);
        amcEntries << m.strTranslatedTitle + u' ' + m.strComments + u' ' + m.strPicture + u' '
                + QString::fromUtf8(m.Picture.value_or(QByteArray()));
    }
    amcEntries.sort();
    EXPECT_EQ(amcEntries,
        (QStringList {QStringLiteral("Alpha cover.png\r\nfront.jpg\r\n .jpg bytes of front.jpg"),
            QStringLiteral("Bravo COVER.JPG\r\n  ")}));
    EXPECT_EQ(QDir(posters()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
}

TEST_F(CliMatroska, AToolThatCannotStartIsSaidOnceAndTheRunGoesOn)
{
    QTemporaryDir tools;
    const QString mkvmerge = tools.filePath(QStringLiteral("mkvmerge"));
    makeTextFile(mkvmerge, "#!/nonexistent/sh\n");
    QFile::setPermissions(mkvmerge, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const QString xml = target.filePath(QStringLiteral("films.xml"));
    ASSERT_EQ(cli(xml, tools.path()), 0) << err.toStdString();
    const QStringList lines = err.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1) << err.toStdString();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("filmarch-cli : \"") + mkvmerge + QStringLiteral("\" -J \"")));
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral(".mkv\" doesn't exist.")));
    std::unique_ptr<XmlCatalogue> doc = XmlCatalogue::loadFile(xml);
    ASSERT_EQ(doc->movieCount(), 2);
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(doc->movieAttribute(i, QStringLiteral("Comments")), QString());
}

TEST_F(CliMatroska, CtrlCEndsAToolThatHangsAndNothingIsWrittenForItsFile)
{
    QTemporaryDir tools;
    const QString mkvmerge = tools.filePath(QStringLiteral("mkvmerge"));
    const QString started = tools.filePath(QStringLiteral("started"));
    makeTextFile(mkvmerge, "#!/bin/sh\ntouch '" + started.toUtf8() + "'\nexec sleep 60\n");
    QFile::setPermissions(mkvmerge, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PATH"), tools.path() + u':' + env.value(QStringLiteral("PATH")));

    const QString xml = target.filePath(QStringLiteral("films.xml"));
    QProcess p;
    p.setProcessEnvironment(env);
    start(p, {films(), xml});
    ASSERT_TRUE(p.waitForStarted());
    while (!QFileInfo::exists(started) && p.state() == QProcess::Running)
        p.waitForFinished(10);
    QElapsedTimer clock;
    clock.start();
    ::kill(p.processId(), SIGINT); // the program alone, not the tool
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_LT(clock.elapsed(), 30000) << "the tool was not left to its minute";
    EXPECT_EQ(p.exitCode(), 130);
    // The file was still being analysed: nothing is written for it after the stop.
    const QString printed = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_TRUE(printed.contains(QStringLiteral("Le scan a été coupé par l'utilisateur"))) << printed.toStdString();
    EXPECT_FALSE(QFileInfo::exists(xml));
}
