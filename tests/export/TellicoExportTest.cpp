// Tellico collections: valid against Tellico's DTD, read back with their accents and covers.
#include "core/ScanProgress.h"
#include "export/ExportCatalogue.h"
#include "export/ExportFixtures.h"
#include "export/Exporter.h"

#include <QDir>
#include <QDomDocument>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <zip.h>

using namespace filmarch;
using namespace filmarch::test;

namespace {

const QString dtd = QStringLiteral("/usr/share/tellico/tellico.dtd");

// name -> bytes of every file in the zip.
std::map<QString, QByteArray> unzip(const QString& path)
{
    std::map<QString, QByteArray> files;
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    EXPECT_NE(archive, nullptr) << "not a zip: " << path.toStdString();
    if (!archive)
        return files;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, zip_uint64_t(i), 0, &stat);
        QByteArray bytes(qsizetype(stat.size), '\0');
        zip_file_t* file = zip_fopen_index(archive, zip_uint64_t(i), 0);
        zip_fread(file, bytes.data(), stat.size);
        zip_fclose(file);
        files[QString::fromUtf8(stat.name)] = bytes;
    }
    zip_close(archive);
    return files;
}

struct Stopped {};

// Asks to stop once every entry is done: while the zip is being written.
class StopAtTheEnd : public NullProgress {
public:
    void processEvents() override
    {
        if (pos == max && ++callsAtTheEnd > 1)
            throw Stopped {};
    }
    int callsAtTheEnd = 0;
};

QDomDocument tellicoOf(const QString& path)
{
    QDomDocument document;
    EXPECT_TRUE(document.setContent(unzip(path)[QStringLiteral("tellico.xml")]));
    return document;
}

// The text of every `name` element below `parent`.
QStringList texts(const QDomElement& parent, const char* name)
{
    QStringList out;
    const QDomNodeList nodes = parent.elementsByTagName(QString::fromLatin1(name));
    for (int i = 0; i < nodes.size(); ++i)
        out << nodes.at(i).toElement().text();
    return out;
}

} // namespace

TEST(TellicoExport, ValidCollectionWithAccentsCoversAndTechnicalFields)
{
    if (!QFile::exists(dtd) || QStandardPaths::findExecutable(QStringLiteral("xmllint")).isEmpty())
        GTEST_SKIP() << "Tellico's DTD (tellico-data) or xmllint (libxml2-utils) is missing";
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("diner.png")), pictureBytes(50, 80, "PNG"));
    writeAmcCatalogue(dir.filePath(QStringLiteral("films.amc")), QStringLiteral("diner.png"));
    writeFile(dir.filePath(QStringLiteral("films.tc")), "ancien"); // replaced whole
    NullProgress progress;
    ExportOptions replace;
    replace.replaceExisting = true;
    writeExport(ExportCatalogue::read(dir.filePath(QStringLiteral("films.amc"))),
        dir.filePath(QStringLiteral("films.amc")), ExportFormat::Tellico, dir.filePath(QStringLiteral("films.tc")),
        progress, replace);

    const auto files = unzip(dir.filePath(QStringLiteral("films.tc")));
    ASSERT_TRUE(files.count(QStringLiteral("tellico.xml")));
    writeFile(dir.filePath(QStringLiteral("tellico.xml")), files.at(QStringLiteral("tellico.xml")));
    QProcess xmllint;
    xmllint.start(QStringLiteral("xmllint"),
        {QStringLiteral("--noout"), QStringLiteral("--nonet"), QStringLiteral("--dtdvalid"), dtd,
            dir.filePath(QStringLiteral("tellico.xml"))});
    xmllint.waitForFinished();
    EXPECT_EQ(xmllint.exitCode(), 0) << xmllint.readAllStandardError().toStdString();

    QDomDocument document;
    ASSERT_TRUE(document.setContent(files.at(QStringLiteral("tellico.xml"))));
    const QDomNodeList entries = document.elementsByTagName(QStringLiteral("entry"));
    ASSERT_EQ(entries.size(), 3);
    const QDomElement amelie = entries.at(0).toElement();
    EXPECT_EQ(texts(amelie, "title"), QStringList {QStringLiteral("Le Fabuleux Destin d'Amélie Poulain")});
    EXPECT_EQ(
        texts(amelie.firstChildElement(QStringLiteral("alttitles")), "column"), QStringList {QStringLiteral("Amélie")});
    EXPECT_EQ(texts(amelie, "year"), QStringList {QStringLiteral("2001")});
    EXPECT_EQ(texts(amelie, "genre"), QStringList({QStringLiteral("Comédie"), QStringLiteral("Romance")}));
    EXPECT_EQ(texts(amelie, "nationality"), QStringList({QStringLiteral("France"), QStringLiteral("Allemagne")}));
    EXPECT_EQ(texts(amelie.firstChildElement(QStringLiteral("casts")), "column"),
        QStringList({QStringLiteral("Audrey Tautou"), QStringLiteral("Amélie Poulain"),
            QStringLiteral("Mathieu Kassovitz"), QStringLiteral("Nino \"Quincampoix\"")}));
    EXPECT_EQ(texts(amelie, "running-time"), QStringList {QStringLiteral("122")});
    EXPECT_EQ(texts(amelie, "rating"), QStringList {QStringLiteral("8")});
    EXPECT_EQ(texts(amelie, "format"), QStringList {QStringLiteral("AVC  MPEG_4")});
    EXPECT_EQ(texts(amelie, "audio-track"),
        QStringList({QStringLiteral("AAC  2 channels"), QStringLiteral("AC3  6 channels")}));
    EXPECT_EQ(texts(amelie, "language"), QStringList({QStringLiteral("Français"), QStringLiteral("English")}));
    EXPECT_EQ(texts(amelie, "subtitle"), QStringList {QStringLiteral("English")});
    EXPECT_EQ(texts(amelie, "aspect-ratio"), QStringList {QStringLiteral("2.40:1")});
    EXPECT_EQ(texts(amelie, "url"), QStringList {QStringLiteral("file:///films/Am%C3%A9lie%20(2001).mkv")});
    EXPECT_EQ(
        texts(amelie, "plot"), QStringList {QStringLiteral("Amélie, une jeune serveuse…<br/>À Montmartre \\o/.")});
    const QString comments = texts(amelie, "comments").value(0);
    for (const char* part : {"cover.jpg<br/>notes.txt<br/>", "Résolution : 1920x800", "Débit vidéo : 2500 kbit/s",
             "Débit audio : 192 kbit/s", "Taille : 1400 Mio", "Date d'ajout : 2024-03-15",
             "Édition : Collector, 2 disques"})
        EXPECT_TRUE(comments.contains(QString::fromUtf8(part))) << part << " in " << comments.toStdString();

    // Covers: listed in the images section and present in the zip, for the stored and the linked picture.
    QStringList covers = texts(document.documentElement(), "cover");
    ASSERT_EQ(covers.size(), 2);
    const QDomNodeList images = document.elementsByTagName(QStringLiteral("image"));
    ASSERT_EQ(images.size(), 2);
    for (int i = 0; i < images.size(); ++i) {
        const QDomElement image = images.at(i).toElement();
        const QString id = image.attribute(QStringLiteral("id"));
        EXPECT_TRUE(covers.contains(id));
        ASSERT_TRUE(files.count(QStringLiteral("images/") + id)) << id.toStdString();
        const QImage picture = QImage::fromData(files.at(QStringLiteral("images/") + id));
        EXPECT_EQ(QString::number(picture.width()), image.attribute(QStringLiteral("width")));
    }
    EXPECT_EQ(QImage::fromData(files.at(QStringLiteral("images/") + covers[0])).size(), QSize(800, 1200));
}

TEST(TellicoExport, StopDuringTheZipLeavesTheDestinationAndNothingBeside)
{
    QTemporaryDir dir;
    writeAmcCatalogue(dir.filePath(QStringLiteral("films.amc")), QString());
    writeFile(dir.filePath(QStringLiteral("films.tc")), "ancien");
    StopAtTheEnd progress;
    ExportOptions replace;
    replace.replaceExisting = true;
    EXPECT_THROW(writeExport(ExportCatalogue::read(dir.filePath(QStringLiteral("films.amc"))),
                     dir.filePath(QStringLiteral("films.amc")), ExportFormat::Tellico,
                     dir.filePath(QStringLiteral("films.tc")), progress, replace),
        Stopped);
    EXPECT_EQ(readFile(dir.filePath(QStringLiteral("films.tc"))), "ancien");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList({QStringLiteral("films.amc"), QStringLiteral("films.tc")}));
}

// Catalogues made on Windows: web addresses and paths with backslashes.
TEST(TellicoExport, LinksAndPicturePathsOfOtherSystems)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("affiches"));
    writeFile(dir.filePath(QStringLiteral("affiches/diner.png")), pictureBytes(50, 80, "PNG"));
    writeFile(dir.filePath(QStringLiteral("cassée.jpg")), "pas une image");
    TMovieList list;
    const struct {
        const char* url;
        const char* picture;
    } movies[] = {
        {"https://example.org/films?id=1&v=2", "affiches\\diner.png"},
        {"D:\\Films\\Zodiac.mkv", "absente.jpg"},
        {"\\\\NAS\\films\\Heat.mkv", "cassée.jpg"},
        {"/films/Été.mkv", ""},
    };
    for (const auto& [url, picture] : movies) {
        TMovie& movie = list.Add();
        movie.strTranslatedTitle = QStringLiteral("Film");
        movie.strURL = QString::fromUtf8(url);
        movie.strPicture = QString::fromUtf8(picture);
    }
    const QString catalogue = dir.filePath(QStringLiteral("films.amc"));
    writeFile(catalogue, list.SaveToBytes(41));
    NullProgress progress;
    const ExportReport report = writeExport(ExportCatalogue::read(catalogue), catalogue, ExportFormat::Tellico,
        dir.filePath(QStringLiteral("films.tc")), progress);

    const QDomDocument document = tellicoOf(dir.filePath(QStringLiteral("films.tc")));
    const QDomNodeList entries = document.elementsByTagName(QStringLiteral("entry"));
    ASSERT_EQ(entries.size(), 4);
    const auto entry = [&](int i) { return entries.at(i).toElement(); };
    EXPECT_EQ(texts(entry(0), "url"), QStringList {QStringLiteral("https://example.org/films?id=1&v=2")});
    EXPECT_EQ(texts(entry(0), "cover").size(), 1); // found with "/"
    for (int i : {1, 2}) {
        EXPECT_EQ(texts(entry(i), "url"), QStringList()) << i;
        EXPECT_TRUE(texts(entry(i), "comments")
                        .value(0)
                        .contains(QStringLiteral("Fichier : ") + QString::fromUtf8(movies[i].url)))
            << texts(entry(i), "comments").value(0).toStdString();
    }
    EXPECT_EQ(texts(entry(3), "url"), QStringList {QStringLiteral("file:///films/%C3%89t%C3%A9.mkv")});
    ASSERT_EQ(report.badPictures.size(), 2) << report.badPictures.join(u'\n').toStdString();
    EXPECT_TRUE(report.badPictures[0].contains(QStringLiteral("absente.jpg")));
    EXPECT_TRUE(report.badPictures[0].contains(QStringLiteral("introuvable")));
    EXPECT_TRUE(report.badPictures[1].contains(QStringLiteral("cassée.jpg")));
}
