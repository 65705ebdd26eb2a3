// Scans of real files into XML catalogues.
#include "catalog/XmlCatalogue.h"
#include "support/ScanFolder.h"
#include "support/ScanHarness.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <cstdio>
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <unistd.h>

using namespace filmarch;
using namespace filmarch::test;

namespace {

struct MovieAttrs {
    QStringList names;
    QMap<QString, QString> values;
};

// The Movie elements of a written catalogue, read back with libxml2.
struct WrittenXml {
    explicit WrittenXml(const QString& path)
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return;
        bytes = f.readAll();
        xmlDocPtr doc = xmlReadMemory(bytes.constData(), int(bytes.size()), nullptr, nullptr, XML_PARSE_NOBLANKS);
        if (!doc)
            return;
        encoding = QString::fromUtf8(reinterpret_cast<const char*>(doc->encoding));
        xmlNodePtr root = xmlDocGetRootElement(doc);
        for (xmlAttrPtr a = root->properties; a; a = a->next)
            rootAttrs << QString::fromUtf8(reinterpret_cast<const char*>(a->name));
        for (xmlNodePtr catalog = root->children; catalog; catalog = catalog->next)
            for (xmlNodePtr contents = catalog->children; contents; contents = contents->next)
                for (xmlNodePtr m = contents->children; m; m = m->next) {
                    if (m->type != XML_ELEMENT_NODE)
                        continue;
                    MovieAttrs attrs;
                    for (xmlAttrPtr a = m->properties; a; a = a->next) {
                        const QString name = QString::fromUtf8(reinterpret_cast<const char*>(a->name));
                        xmlChar* v = xmlNodeGetContent(reinterpret_cast<xmlNodePtr>(a));
                        attrs.names << name;
                        attrs.values[name] = QString::fromUtf8(reinterpret_cast<const char*>(v));
                        xmlFree(v);
                    }
                    movies << attrs;
                }
        xmlFreeDoc(doc);
    }
    QByteArray bytes;
    QString encoding;
    QStringList rootAttrs;
    QList<MovieAttrs> movies;
};

const QRegularExpression kElapsed(QStringLiteral("Temps écoulé :\\d\\d:\\d\\d:\\d\\d$"));

} // namespace

TEST(XmlScan, NewCatalogueWithDefaultOptions)
{
    ScanHarness h;
    QTemporaryDir out;
    const QString cat = out.filePath(QStringLiteral("films.xml"));
    ASSERT_EQ(h.scanNew(scanFolder(), cat), ScanOutcome::Finished);

    EXPECT_EQ(h.progress.max, kRootFiles);     // every file counted, hidden one included
    EXPECT_EQ(h.progress.highest, kRootFiles); // and each advanced the bar once
    EXPECT_EQ(h.progress.pos, 0);              // reset at the end
    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join(u'|').toStdString();

    const WrittenXml xml(cat);
    EXPECT_EQ(xml.encoding, QStringLiteral("windows-1252"));
    EXPECT_TRUE(xml.bytes.startsWith("<?xml version=\"1.0\" encoding=\"windows-1252\"?>"));
    EXPECT_EQ(
        xml.rootAttrs, (QStringList {QStringLiteral("Format"), QStringLiteral("Version"), QStringLiteral("Date")}));
    ASSERT_EQ(xml.movies.size(), kRootVideos);
    const QStringList defaults = QStringLiteral(
        "Number Checked Date OriginalTitle TranslatedTitle Length URL VideoFormat VideoBitrate Resolution Framerate "
        "AudioFormat AudioBitrate Languages Subtitles Size Year Director Country Category Actors Description Disks")
                                     .split(u' ');
    QStringList urls;
    for (int i = 0; i < xml.movies.size(); ++i) {
        const MovieAttrs& m = xml.movies[i];
        EXPECT_EQ(m.names, defaults);
        EXPECT_EQ(m.values[QStringLiteral("Number")], QString::number(i + 1));
        EXPECT_EQ(m.values[QStringLiteral("Checked")], QStringLiteral("True"));
        EXPECT_EQ(m.values[QStringLiteral("Disks")], QStringLiteral("1"));
        EXPECT_EQ(m.values[QStringLiteral("Resolution")], QStringLiteral("64x48"));
        urls << m.values[QStringLiteral("URL")];
        if (m.values[QStringLiteral("URL")].endsWith(QStringLiteral("Le.Film.2001.mkv"))) {
            EXPECT_EQ(m.values[QStringLiteral("TranslatedTitle")], QStringLiteral("Le Film "));
            EXPECT_EQ(m.values[QStringLiteral("Languages")], QStringLiteral("French, English"));
            EXPECT_EQ(m.values[QStringLiteral("Subtitles")], QStringLiteral("French"));
            EXPECT_EQ(m.values[QStringLiteral("Size")], QStringLiteral("0"));
        }
        if (m.values[QStringLiteral("URL")].endsWith(QStringLiteral("Les Visiteurs (1993).mp4"))) {
            EXPECT_EQ(m.values[QStringLiteral("TranslatedTitle")], QStringLiteral("Les Visiteurs"));
        }
    }
    // The accented name of the hidden file is stored in windows-1252.
    EXPECT_TRUE(urls.contains(QDir(scanFolder()).filePath(QStringLiteral(".cachée.mp4"))));
    EXPECT_TRUE(xml.bytes.contains(".cach\xe9"
                                   "e.mp4"));

    const QStringList log = h.messages();
    ASSERT_GE(log.size(), 3);
    EXPECT_EQ(log[0], QStringLiteral("Début du scan du répertoire ") + scanFolder());
    EXPECT_TRUE(log.contains(QStringLiteral("Création d'un nouveau catalogue de à l'emplacement ") + cat));
    const QString summary = log.filter(QStringLiteral("Nouvelles entrées")).value(0);
    EXPECT_TRUE(
        summary.startsWith(QStringLiteral("Nouvelles entrées : 3         Nombre Total : 3        Temps écoulé :")))
        << summary.toStdString();
    EXPECT_TRUE(kElapsed.match(summary).hasMatch());
    EXPECT_EQ(h.log.last(), QString()); // the memo's empty line closing the run
    const QFileInfo logFile(Journal::logFilePath(AppPaths::beside(h.app.path())));
    EXPECT_TRUE(logFile.exists());
}

TEST(XmlScan, EveryOptionOffWithSubFolders)
{
    ScanOptions o;
    o.CbExploreSousRep = true;
    o.CbEviterDoublons = o.CbGenTitre = o.CbGenDuree = o.CbGenUrl = o.CbGenVideo = o.CbGenAudio = o.CbGenSousTitre =
        o.CbGenTaille = false;
    ScanHarness h(o);
    QTemporaryDir out;
    const QString cat = out.filePath(QStringLiteral("films.xml"));
    ASSERT_EQ(h.scanNew(scanFolder(), cat), ScanOutcome::Finished);

    EXPECT_EQ(h.progress.max, kAllFiles);
    EXPECT_EQ(h.progress.highest, kAllFiles);
    const WrittenXml xml(cat);
    ASSERT_EQ(xml.movies.size(), kAllVideos);
    for (const MovieAttrs& m : xml.movies)
        EXPECT_EQ(m.names,
            QStringLiteral("Number Checked Date Year Director Country Category Actors Description Disks").split(u' '));
}

TEST(XmlScan, CompletionSkipsCataloguedNamesAndTakesNumbersNoEntryHas)
{
    QTemporaryDir out;
    const QString cat = out.filePath(QStringLiteral("films.xml"));
    {
        auto doc = XmlCatalogue::createNew();
        // Same name in another folder: already catalogued. Another letter case: not.
        auto first = doc->appendMovie();
        first.setAttribute(QStringLiteral("Number"), QStringLiteral("7"));
        first.setAttribute(QStringLiteral("URL"), QStringLiteral("D:\\Films\\Le.Film.2001.mkv"));
        auto second = doc->appendMovie();
        second.setAttribute(QStringLiteral("Number"), QStringLiteral("2"));
        second.setAttribute(QStringLiteral("URL"), QStringLiteral("/ailleurs/les visiteurs (1993).mp4"));
        doc->saveFile(cat);
    }
    ScanHarness h;
    ASSERT_EQ(h.scanExisting(scanFolder(), cat), ScanOutcome::Finished);

    WrittenXml xml(cat);
    ASSERT_EQ(xml.movies.size(), 4);
    EXPECT_EQ(xml.movies[0].values[QStringLiteral("URL")], QStringLiteral("D:\\Films\\Le.Film.2001.mkv"));
    // Numbered 7 and 2: the new entries take 1 and 3 (by count they would be 3 and 4).
    EXPECT_EQ(xml.movies[2].values[QStringLiteral("Number")], QStringLiteral("1"));
    EXPECT_EQ(xml.movies[3].values[QStringLiteral("Number")], QStringLiteral("3"));
    EXPECT_EQ(h.progress.highest, kRootFiles);
    QStringList log = h.messages();
    EXPECT_TRUE(log.contains(QStringLiteral("Catalogue complété à l'emplacement ") + cat));
    EXPECT_TRUE(
        log.filter(QStringLiteral("Nouvelles entrées"))
            .value(0)
            .startsWith(QStringLiteral(
                "Nouvelles entrées : 2         Nombre Total : 4         Doublons détecté : 1        Temps écoulé :")));

    // A second run on the same catalogue loads it again: everything is now a duplicate.
    h.log.clear();
    ScanRequest again;
    again.EdCheminRepScan = scanFolder();
    again.EdCheminCataloExistant = cat;
    const ScanResult result = h.run->BtLanceScanClick(again);
    ASSERT_EQ(result.outcome, ScanOutcome::Finished);
    xml = WrittenXml(cat);
    EXPECT_EQ(xml.movies.size(), 4);
    log = h.messages();
    EXPECT_TRUE(
        log.filter(QStringLiteral("Nouvelles entrées"))
            .value(0)
            .startsWith(QStringLiteral("Nouvelles entrées : 0         Nombre Total : 4         Doublons détecté : 3")));
    EXPECT_EQ(result.entriesAtStart, 4);
}

TEST(XmlScan, CatalogueWithoutMovieKeepsItsContent)
{
    QTemporaryDir out;
    const QString cat = out.filePath(QStringLiteral("vide.xml"));
    QFile f(cat);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<AntMovieCatalog Format=\"35\"><Catalog>"
            "<Properties Owner=\"moi\"/><Contents/></Catalog></AntMovieCatalog>\n");
    f.close();
    ScanHarness h;
    ASSERT_EQ(h.scanExisting(scanFolder(), cat), ScanOutcome::Finished);
    const WrittenXml xml(cat);
    EXPECT_EQ(xml.movies.size(), kRootVideos);
    EXPECT_EQ(xml.encoding, QStringLiteral("UTF-8")); // a loaded document keeps its declaration
    EXPECT_TRUE(xml.bytes.contains("Owner=\"moi\""));
}

TEST(XmlScan, RunsThatCannotStartOrFindNothing)
{
    ScanHarness h;
    QTemporaryDir out, empty;
    const QString cat = out.filePath(QStringLiteral("films.xml"));

    EXPECT_EQ(h.scanNew(out.filePath(QStringLiteral("absent")), cat), ScanOutcome::NotStarted);
    EXPECT_EQ(h.dialogs.messages.value(0),
        QStringLiteral("Veuillez sélectionner en premier un répertoire valide pour le scan"));
    ScanRequest none;
    none.EdCheminRepScan = scanFolder();
    EXPECT_EQ(h.run->BtLanceScanClick(none).outcome, ScanOutcome::NotStarted);
    EXPECT_EQ(h.dialogs.messages.value(1),
        QStringLiteral("Choisir l'un des deux scans possibles : Créer catalogue ou Complèter catalogue"));
    // Both refusals are logged after the first line only.
    EXPECT_EQ(h.messages().filter(QStringLiteral("Début du scan")).size(), 2);

    h.log.clear();
    ASSERT_EQ(h.scanNew(empty.path(), cat), ScanOutcome::Finished);
    EXPECT_EQ(h.progress.max, 0);
    EXPECT_FALSE(QFileInfo::exists(cat));
    EXPECT_TRUE(h.messages().contains(QStringLiteral("Le scan n'a détecté aucune video. Aucun catalogue crée")));
}

TEST(XmlScan, StopEndsAfterTheCurrentFile)
{
    ScanHarness h;
    h.progress.onFile = [&h](const QString&) { h.run->requestStop(); };
    QTemporaryDir out;
    const QString cat = out.filePath(QStringLiteral("films.xml"));
    ASSERT_EQ(h.scanNew(scanFolder(), cat), ScanOutcome::Stopped);
    EXPECT_EQ(WrittenXml(cat).movies.size(), 1);
    EXPECT_EQ(h.messages().filter(QStringLiteral("Le scan a été coupé")),
        QStringList {
            QStringLiteral("Le scan a été coupé par l'utilisateur, le catalogue risque d'être incomplet "
                           "ou corrompu.Une sauveagrde en .bak se trouve dans le dossier du catalogue actuel")});
    EXPECT_FALSE(h.run->stopRequested()); // reset for the next run
}

// Stopped before any film was written: the log says the run was stopped, not
// that the folder held no video.
TEST(XmlScan, AStopBeforeTheFirstFilmIsSaidAsAStop)
{
    ScanHarness h;
    // The first file fails while it is written, and the run is stopped meanwhile.
    h.run->infosFilmAllo[InfoNotePresse] = QStringLiteral("quatre");
    h.progress.onFile = [&h](const QString&) { h.run->requestStop(); };
    QTemporaryDir out;
    ASSERT_EQ(h.scanNew(scanFolder(), out.filePath(QStringLiteral("films.xml"))), ScanOutcome::Stopped);
    EXPECT_TRUE(h.messages().filter(QStringLiteral("aucune video")).isEmpty()) << qPrintable(h.messages().join(u'\n'));
    EXPECT_EQ(
        h.messages().filter(QStringLiteral("Le scan a été arrêté avant qu'une vidéo soit cataloguée.")).size(), 1);
}

TEST(XmlScan, AFailingFileIsLoggedAndTheRunGoesOn)
{
    ScanHarness h;
    // A rating that is not a number makes every entry fail while it is written.
    h.run->infosFilmAllo[InfoNotePresse] = QStringLiteral("quatre");
    QTemporaryDir out;
    const QString cat = out.filePath(QStringLiteral("films.xml"));
    ASSERT_EQ(h.scanNew(scanFolder(), cat), ScanOutcome::Finished);
    EXPECT_EQ(h.messages().filter(QStringLiteral("Fichier non traité par le scan, une erreur est survenu : ")).size(),
        kRootVideos);
    EXPECT_EQ(h.progress.highest, kRootFiles);
    EXPECT_FALSE(QFileInfo::exists(cat)); // no half-filled entry was kept
    EXPECT_TRUE(h.run->infosFilmAllo[InfoNotePresse].isEmpty());
    // The summary counts them, and does not say that no video was found.
    EXPECT_TRUE(h.messages().filter(QStringLiteral("aucune video")).isEmpty());
    EXPECT_TRUE(h.messages().contains(QStringLiteral("Aucun fichier n'a pu être catalogué. Aucun catalogue crée")));
    EXPECT_TRUE(h.messages().contains(QStringLiteral("Fichiers non traités : %1").arg(kRootVideos)));
}

TEST(XmlScan, UnusableCataloguesAreRefusedByTheValidation)
{
    QTemporaryDir out;
    const struct {
        const char* name;
        QByteArray content;
    } cases[] = {
        {"not XML", "ceci n'est pas du XML"},
        {"no Catalog", "<?xml version=\"1.0\"?><AntMovieCatalog><Autre/></AntMovieCatalog>"},
        {"no Contents", "<?xml version=\"1.0\"?><AntMovieCatalog><Catalog><Properties/></Catalog></AntMovieCatalog>"},
    };
    ScanHarness h;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        h.dialogs.messages.clear();
        const QString path = out.filePath(QLatin1String(c.name) + QStringLiteral(".xml"));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.content);
        f.close();
        EXPECT_EQ(h.run->validitecatalogue(path), -1);
        EXPECT_EQ(
            h.dialogs.messages, QStringList {QStringLiteral("Le fichier catalogue renseigné n'est pas compatible")});
        EXPECT_FALSE(h.run->holdsCatalogue());
    }
}

TEST(XmlScan, ACatalogueThatCannotBeWrittenIsReportedInPlaceOfTheSummary)
{
    QTemporaryDir out;
    const QString cat = out.filePath(QStringLiteral("films.xml"));
    XmlCatalogue::createNew()->saveFile(cat);
    QFile::setPermissions(cat, QFileDevice::ReadOwner | QFileDevice::ReadUser);
    ScanHarness h;
    ASSERT_EQ(h.scanExisting(scanFolder(), cat), ScanOutcome::CatalogueNotWritten);
    ASSERT_EQ(h.dialogs.messages.size(), 1);
    EXPECT_TRUE(h.dialogs.messages[0].startsWith(QStringLiteral("Enregistrement du catalogue impossible : ")));
    EXPECT_TRUE(h.messages().filter(QStringLiteral("Catalogue complété")).isEmpty());
    EXPECT_EQ(h.messages().filter(QStringLiteral("Enregistrement du catalogue impossible")).size(), 1);
    EXPECT_EQ(WrittenXml(cat).movies.size(), 0);
}
