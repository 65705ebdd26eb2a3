#include "app/Settings.h"
#include "core/AppPaths.h"
#include "platform/Error.h"
#include "platform/IniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace filmarch;

namespace {
QString describe(const ScanOptions& o)
{
    QStringList parts;
    const auto flag = [&](const char* name, bool v) {
        parts << QString::fromLatin1(name) + QLatin1Char('=') + QString::number(v);
    };
    flag("ExploreSousRep", o.CbExploreSousRep);
    flag("EviterDoublons", o.CbEviterDoublons);
    flag("GenTitre", o.CbGenTitre);
    flag("GenDuree", o.CbGenDuree);
    flag("GenUrl", o.CbGenUrl);
    flag("GenVideo", o.CbGenVideo);
    flag("GenAudio", o.CbGenAudio);
    flag("GenSousTitre", o.CbGenSousTitre);
    flag("GenTaille", o.CbGenTaille);
    flag("Affiche", o.CbAffiche);
    flag("PieceJointe", o.CbPieceJointe);
    flag("fichiersImages", o.CbfichiersImages);
    flag("ToutFichier", o.CbToutFichier);
    flag("AlloAuto", o.CbAlloAuto);
    flag("AlloManu", o.CbAlloManu);
    parts << QStringLiteral("Filtre=") + o.EFiltreTitre << QStringLiteral("RepAffiche=") + o.EdRepAffiche
          << QStringLiteral("Serveur=") + o.Serveur;
    return parts.join(QLatin1Char(' '));
}

QString writeIni(const QTemporaryDir& dir, const QByteArray& content)
{
    const QString path = AppPaths::beside(dir.path()).optionsIni();
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    return path;
}
} // namespace

TEST(IniFile, EditsInPlaceAndKeepsEverythingElse)
{
    IniFile ini = IniFile::parse("\xEF\xBB\xBF; réglages\r\n"
                                 "[GENERAL]\r\n"
                                 "ChoisirDuree =1\r\n"
                                 "Inconnue=garde\r\n"
                                 "\r\n"
                                 "[Synchro]\r\n"
                                 "DernierRepRef=/films\r\n");

    EXPECT_EQ(ini.value(QStringLiteral("general"), QStringLiteral("ChoisirDuree ")), QStringLiteral("1"));
    EXPECT_EQ(ini.value(QStringLiteral("General"), QStringLiteral("choisirduree")), QStringLiteral("1"));
    EXPECT_EQ(ini.value(QStringLiteral("synchro"), QStringLiteral("DERNIERREPREF")), QStringLiteral("/films"));
    EXPECT_FALSE(ini.value(QStringLiteral("General"), QStringLiteral("DernierRepRef")).has_value());
    EXPECT_FALSE(ini.value(QStringLiteral("Mkv"), QStringLiteral("Affiches")).has_value());

    ini.setValue(QStringLiteral("General"), QStringLiteral("ChoisirDuree "), QStringLiteral("0"));
    ini.setValue(QStringLiteral("General"), QStringLiteral("FiltreTitre"), QStringLiteral("a,\u2122, b "));
    ini.setValue(QStringLiteral("Mkv"), QStringLiteral("Affiches"), QStringLiteral("ligne\ncoupée"));

    EXPECT_EQ(QString::fromUtf8(ini.serialize()),
        QStringLiteral("; réglages\n"
                       "[GENERAL]\n"
                       "ChoisirDuree =0\n"
                       "Inconnue=garde\n"
                       "FiltreTitre=a,\u2122, b \n"
                       "\n"
                       "[Synchro]\n"
                       "DernierRepRef=/films\n"
                       "\n"
                       "[Mkv]\n"
                       "Affiches=ligne coupée\n"));
    // Values come back exactly, spaces and non-ASCII signs included.
    const IniFile again = IniFile::parse(ini.serialize());
    EXPECT_EQ(again.value(QStringLiteral("General"), QStringLiteral("FiltreTitre")), QStringLiteral("a,\u2122, b "));
}

TEST(IniFile, FileErrorsAreFrenchErrorsAndMissingFileIsEmpty)
{
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("options.ini"));
    EXPECT_FALSE(IniFile::load(path).value(QStringLiteral("General"), QStringLiteral("Doublons")).has_value());

    IniFile ini;
    ini.setValue(QStringLiteral("General"), QStringLiteral("Doublons"), QStringLiteral("1"));
    ini.save(path);
    EXPECT_EQ(IniFile::load(path).value(QStringLiteral("General"), QStringLiteral("Doublons")), QStringLiteral("1"));

    // A folder in the file's place can be neither read nor replaced.
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("options.ini/x")));
    try {
        IniFile::load(path);
        FAIL() << "no error for an unreadable file";
    } catch (const Error& e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Impossible de lire le fichier de paramètres")));
    }
    EXPECT_THROW(ini.save(path), Error);

    // A named pipe would block the read for ever.
    ASSERT_TRUE(QDir(path).removeRecursively());
    ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0644), 0);
    EXPECT_THROW(IniFile::load(path), Error);
}

TEST(Settings, ReadScanOptionsAppliesTheRulesInTableOrder)
{
    struct Case {
        const char* name;
        QByteArray ini;
        std::function<void(ScanOptions&)> expect;
        int messages = 0;
    };
    const Case cases[] = {
        {"no file gives the defaults", {}, [](ScanOptions&) {}},
        {"both modes stored: the last one read wins", "[Allocine]\nAuto=1\nManu=1\nActive=1\n",
            [](ScanOptions& o) { o.CbAlloManu = true; }},
        {"lookup active puts the automatic mode in force", "[Allocine]\nAuto=1\nActive=1\n",
            [](ScanOptions& o) { o.CbAlloAuto = true; }},
        {"a mode without the lookup active is not in force", "[Allocine]\nAuto=1\nActive=0\n", [](ScanOptions&) {}},
        {"lookup active without a mode", "[Allocine]\nActive=1\n", [](ScanOptions&) {}},
        {"the server as stored, without surrounding spaces", "[allocine]\nServeur= 127.0.0.1:8080 \nActive=1\nManu=1\n",
            [](ScanOptions& o) {
                o.Serveur = QStringLiteral("127.0.0.1:8080");
                o.CbAlloManu = true;
            }},
        {"url off while duplicates on is refused", "[General]\nDoublons=1\nChoisirUrl=0\n", [](ScanOptions&) {}, 1},
        {"url off with duplicates off", "[General]\nDoublons=0\nChoisirUrl=0\n",
            [](ScanOptions& o) {
                o.CbEviterDoublons = false;
                o.CbGenUrl = false;
            }},
        {"pictures only", "[Mkv]\nPiecesJointe=1\nPieceJointeImages=1\nPieceJointeTous=0\n",
            [](ScanOptions& o) {
                o.CbPieceJointe = true;
                o.CbfichiersImages = true;
                o.CbToutFichier = false;
            }},
        {"both attachment kinds stored: all files wins", "[Mkv]\nPieceJointeImages=1\nPieceJointeTous=1\n",
            [](ScanOptions&) {}},
        {"integer texts and non-numbers",
            "[general]\nchoisirtitre=$0\nChoisirTaille= 2\nDoublons=oui\nChoisirDuree =0\n",
            [](ScanOptions& o) {
                o.CbGenTitre = false;
                o.CbGenDuree = false;
            }},
        {"spaces around numbers", "[General]\r\nExplorerSousRep=1 \r\nChoisirTitre=\t0\t\r\nChoisirUrl= 1 \r\n",
            [](ScanOptions& o) {
                o.CbExploreSousRep = true;
                o.CbGenTitre = false;
            }},
        {"texts as stored", "[General]\nFiltreTitre=\n[Mkv]\nAffiches=1\nRepertoireAffiches=/mes affiches \n",
            [](ScanOptions& o) {
                o.EFiltreTitre.clear();
                o.CbAffiche = true;
                o.EdRepAffiche = QStringLiteral("/mes affiches ");
            }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString path = c.ini.isNull() ? AppPaths::beside(dir.path()).optionsIni() : writeIni(dir, c.ini);
        QStringList messages;
        const ScanOptions read = readScanOptions(path, [&](const QString& m) { messages << m; });
        ScanOptions expected;
        c.expect(expected);
        EXPECT_EQ(describe(read).toStdString(), describe(expected).toStdString());
        EXPECT_EQ(messages.size(), c.messages);
    }
}

TEST(Settings, WrittenOptionsReadBackTheSame)
{
    OptionValues before;
    QTemporaryDir dir;
    const QString path = writeIni(dir, "[Synchro]\nDernierRepSauv=/sauvegarde\n[Allocine]\nServeur=films.test\n");
    readOptions(IniFile::load(path), before);
    before.setBox(OptionBox::CbAllo, true);
    before.setBox(OptionBox::CbGenDuree, false);
    before.setBox(OptionBox::CbEviterDoublons, false);
    before.setBox(OptionBox::CbGenUrl, false);
    before.setBox(OptionBox::CbAlloAuto, true);
    before.setText(OptionText::EdCheminRepScan, QStringLiteral("/films"));
    updateIniFile(path, [&](IniFile& ini) { writeOptions(ini, before); });

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("\nChoisirDuree =0\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("DernierRepSauv=/sauvegarde")));
    EXPECT_TRUE(text.contains(QStringLiteral(",\u2122,")));
    EXPECT_TRUE(text.contains(QStringLiteral("[Allocine]\nServeur=films.test\nAuto=1\nManu=0\nActive=1\n")));

    OptionValues after;
    readOptions(IniFile::load(path), after);
    EXPECT_EQ(describe(scanOptionsOf(after)).toStdString(), describe(scanOptionsOf(before)).toStdString());
    EXPECT_EQ(after.text(OptionText::EdCheminRepScan), QStringLiteral("/films"));
    EXPECT_EQ(after.text(OptionText::EFiltreTitre), defaultFiltreTitre());
    const ScanOptions read = readScanOptions(path);
    EXPECT_TRUE(read.CbAlloAuto);
    EXPECT_EQ(read.Serveur, QStringLiteral("films.test"));
}

TEST(Settings, TheFilmDatabaseSettings)
{
    struct Case {
        const char* name;
        const char* ini;
        bool tmdb, configured;
        QString language, server;
    };
    const QString tmdbServer = QStringLiteral("https://api.themoviedb.org");
    const std::vector<Case> cases = {
        {"nothing set: Allociné without a server", "", false, false, QStringLiteral("fr-FR"), tmdbServer},
        {"a TMDb key and no Source: TMDb", "[TMDb]\nCle=abc\n", true, true, QStringLiteral("fr-FR"), tmdbServer},
        {"Allociné chosen despite a key", "[Allocine]\nSource=Allocine\nServeur=films.test\n[tmdb]\nCle=abc\n", false,
            true, QStringLiteral("fr-FR"), tmdbServer},
        {"TMDb chosen without a key", "[Allocine]\nSource=TMDb\nServeur=films.test\n", true, false,
            QStringLiteral("fr-FR"), tmdbServer},
        {"language and server given", "[TMDb]\nCle=abc\nLangue=en-US\nServeur=http://127.0.0.1:8080\n", true, true,
            QStringLiteral("en-US"), QStringLiteral("http://127.0.0.1:8080")},
        {"empty values give the defaults", "[TMDb]\nCle=abc\nLangue=\nServeur= \n", true, true, QStringLiteral("fr-FR"),
            tmdbServer},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        const ScanOptions o = readScanOptions(writeIni(dir, c.ini));
        EXPECT_EQ(usesTmdb(o), c.tmdb) << c.name;
        EXPECT_EQ(lookupConfigured(o), c.configured) << c.name;
        EXPECT_EQ(o.LangueTMDb, c.language) << c.name;
        EXPECT_EQ(o.ServeurTMDb, c.server) << c.name;
    }
}
