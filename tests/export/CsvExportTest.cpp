// CSV exports read back field by field.
#include "core/ScanProgress.h"
#include "export/ExportCatalogue.h"
#include "export/ExportFixtures.h"
#include "export/Exporter.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace filmarch;
using namespace filmarch::test;

namespace {

// RFC 4180 rows; a malformed quote fails the test.
std::vector<QStringList> parseCsv(const QByteArray& bytes)
{
    std::vector<QStringList> rows(1);
    QByteArray field;
    bool quoted = false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (quoted) {
            if (c == '"' && i + 1 < bytes.size() && bytes[i + 1] == '"')
                field += bytes[++i];
            else if (c == '"')
                quoted = false;
            else
                field += c;
        } else if (c == '"') {
            EXPECT_TRUE(field.isEmpty()) << "quote inside an unquoted field at byte " << i;
            quoted = true;
        } else if (c == ',') {
            rows.back() << QString::fromUtf8(field);
            field.clear();
        } else if (c == '\r') {
            EXPECT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n') << "bare CR at byte " << i;
        } else if (c == '\n') {
            rows.back() << QString::fromUtf8(field);
            field.clear();
            rows.emplace_back();
        } else {
            field += c;
        }
    }
    EXPECT_FALSE(quoted);
    EXPECT_TRUE(rows.back().isEmpty() && field.isEmpty()) << "the last line ends with CR LF";
    rows.pop_back();
    return rows;
}

// Rows read from a raw export: the field tags first (the French names row set aside).
struct Csv {
    std::vector<QStringList> rows;
    QString at(int row, const char* tag) const
    {
        const qsizetype c = rows.front().indexOf(QString::fromUtf8(tag));
        EXPECT_GE(c, 0) << "no column " << tag;
        return c < 0 ? QStringLiteral("<no column>") : rows.at(size_t(row)).value(c, QStringLiteral("<short row>"));
    }
};

Csv exportCsv(const QString& catalogue, const QString& destination)
{
    NullProgress progress;
    ExportOptions options;
    options.rawCsv = true;
    writeExport(ExportCatalogue::read(catalogue), catalogue, ExportFormat::Csv, destination, progress, options);
    Csv csv {parseCsv(readFile(destination))};
    csv.rows.erase(csv.rows.begin());
    for (const QStringList& row : csv.rows)
        EXPECT_EQ(row.size(), csv.rows.front().size());
    return csv;
}

} // namespace

TEST(CsvExport, AmcCatalogueEveryFieldWithExtraFields)
{
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("diner.png")), pictureBytes(50, 80, "PNG"));
    writeAmcCatalogue(dir.filePath(QStringLiteral("films.amc")), QStringLiteral("diner.png"));
    const QByteArray before = readFile(dir.filePath(QStringLiteral("films.amc")));
    // What a killed export of an earlier version left beside its CSV goes; a look-alike stays.
    writeFile(dir.filePath(QStringLiteral(".films.csv.filmarch-tmp-Ab12Cd")), "moitié d'export");
    writeFile(dir.filePath(QStringLiteral(".films.csv.filmarch-tmp-notes.txt")), "à moi");
    const Csv csv = exportCsv(dir.filePath(QStringLiteral("films.amc")), dir.filePath(QStringLiteral("films.csv")));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral(".films.csv.filmarch-tmp-Ab12Cd"))));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral(".films.csv.filmarch-tmp-notes.txt"))));

    ASSERT_EQ(csv.rows.size(), 4u);
    EXPECT_EQ(csv.rows.front().mid(0, 3),
        QStringList({QStringLiteral("Number"), QStringLiteral("Checked"), QStringLiteral("MediaLabel")}));
    EXPECT_EQ(csv.rows.front().mid(csv.rows.front().size() - 3),
        QStringList({QStringLiteral("Picture"), QStringLiteral("Edition"), QStringLiteral("Vu")}));
    const struct {
        const char* tag;
        QString value;
    } amelie[] = {
        {"Number", QStringLiteral("1")},
        {"Checked", QStringLiteral("True")},
        {"Date", QStringLiteral("2024-03-15")},
        {"Rating", QStringLiteral("7.5")},
        {"OriginalTitle", QStringLiteral("Amélie")},
        {"TranslatedTitle", QStringLiteral("Le Fabuleux Destin d'Amélie Poulain")},
        {"Actors", QStringLiteral("Audrey Tautou(Amélie Poulain), Mathieu Kassovitz(Nino \"Quincampoix\")")},
        {"Description", QStringLiteral("Amélie, une jeune serveuse…\nÀ Montmartre \\o/.")},
        {"Comments", QStringLiteral("cover.jpg\nnotes.txt")},
        {"VideoBitrate", QStringLiteral("2500")},
        {"Size", QStringLiteral("1400")},
        {"Disks", QString()},
        {"Picture", QString()},
        {"Edition", QStringLiteral("Collector, 2 disques")},
        {"Vu", QStringLiteral("True")},
    };
    for (const auto& [tag, value] : amelie)
        EXPECT_EQ(csv.at(1, tag), value) << tag;
    EXPECT_EQ(csv.at(2, "Picture"), dir.filePath(QStringLiteral("diner.png")));
    EXPECT_EQ(csv.at(2, "Rating"), QStringLiteral("9"));
    EXPECT_EQ(csv.at(3, "Rating"), QString()); // 0: no rating
    EXPECT_EQ(csv.at(3, "Length"), QString());
    EXPECT_EQ(readFile(dir.filePath(QStringLiteral("films.amc"))), before);
}

TEST(CsvExport, XmlCatalogueInOneFormWithItsOwnAttributes)
{
    QTemporaryDir dir;
    writeXmlCatalogue(dir.filePath(QStringLiteral("films.xml")), QStringLiteral("/affiches/enfants.jpg"));
    const Csv csv = exportCsv(dir.filePath(QStringLiteral("films.xml")), dir.filePath(QStringLiteral("films.csv")));
    ASSERT_EQ(csv.rows.size(), 3u);
    EXPECT_EQ(csv.at(1, "Date"), QStringLiteral("2025-01-05"));
    EXPECT_EQ(csv.at(1, "Rating"), QStringLiteral("8"));
    EXPECT_EQ(csv.at(1, "Comments"), QStringLiteral("cover.jpg\nnotes.txt"));
    EXPECT_EQ(csv.at(1, "Picture"), QStringLiteral("/affiches/enfants.jpg"));
    EXPECT_EQ(csv.at(1, "Disks"), QStringLiteral("1"));
    EXPECT_EQ(csv.at(2, "TranslatedTitle"), QStringLiteral("Œdipe roi"));
    EXPECT_EQ(csv.at(2, "Support"), QStringLiteral("DVD"));
    EXPECT_EQ(csv.at(1, "Support"), QString());
}

TEST(CsvExport, SplitListKeepsParenthesesWhole)
{
    EXPECT_EQ(splitList(QStringLiteral(" A(rôle, bis), B ; C|D\r\nE, ")),
        QStringList({QStringLiteral("A(rôle, bis)"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D"),
            QStringLiteral("E")}));
}

// Opened in a spreadsheet, a value is never a formula; the header says what the window shows.
TEST(CsvExport, FormulasWrittenAsTextUnderFrenchFieldNames)
{
    QTemporaryDir dir;
    const QString catalogue = dir.filePath(QStringLiteral("films.amc"));
    TMovieList list;
    const QStringList hostile = {QStringLiteral("=HYPERLINK(\"http://evil/\",\"clic\")"), QStringLiteral("+1+2"),
        QStringLiteral("-2+3"), QStringLiteral("@SUM(A1)"), QStringLiteral("\t=1"), QStringLiteral("\r=1"),
        QStringLiteral("Titre = ordinaire")};
    for (const QString& title : hostile)
        list.Add().strTranslatedTitle = title;
    writeFile(catalogue, list.SaveToBytes(41));
    NullProgress progress;
    const ExportCatalogue read = ExportCatalogue::read(catalogue);
    writeExport(read, catalogue, ExportFormat::Csv, dir.filePath(QStringLiteral("films.csv")), progress);
    const std::vector<QStringList> rows = parseCsv(readFile(dir.filePath(QStringLiteral("films.csv"))));
    ASSERT_EQ(rows.size(), size_t(hostile.size() + 1));
    EXPECT_EQ(
        rows[0].mid(0, 3), QStringList({QStringLiteral("Numéro"), QStringLiteral("Coché"), QStringLiteral("Support")}));
    const qsizetype title = rows[0].indexOf(QStringLiteral("Titre"));
    ASSERT_GE(title, 0);
    for (qsizetype i = 0; i < hostile.size(); ++i) {
        const QString expected = i + 1 < hostile.size() ? QLatin1Char('\'') + hostile[i] : hostile[i];
        EXPECT_EQ(rows[size_t(i + 1)][title], expected);
    }

    ExportOptions raw;
    raw.rawCsv = true;
    writeExport(read, catalogue, ExportFormat::Csv, dir.filePath(QStringLiteral("brut.csv")), progress, raw);
    const std::vector<QStringList> rawRows = parseCsv(readFile(dir.filePath(QStringLiteral("brut.csv"))));
    ASSERT_EQ(rawRows.size(), size_t(hostile.size() + 2));
    EXPECT_EQ(rawRows[0], rows[0]);
    EXPECT_EQ(rawRows[1][title], QStringLiteral("TranslatedTitle"));
    for (qsizetype i = 0; i < hostile.size(); ++i)
        EXPECT_EQ(rawRows[size_t(i + 2)][title], hostile[i]);
}
