#include "catalog/MovieList.h"
#include "catalog/PictureFiles.h"
#include "platform/Windows1252.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <limits>

using namespace filmarch;

namespace {

void addNumbers(TMovieList& list, std::initializer_list<int> numbers)
{
    for (int n : numbers)
        list.Add().iNumber = n;
}

} // namespace

TEST(CatalogueModel, FirstFreeNumberFillsTheLowestGapFromOne)
{
    const struct {
        std::initializer_list<int> numbers;
        int expected;
    } cases[] = {{{}, 1}, {{1, 2, 3, 5}, 4}, {{2, 3}, 1}, {{1, 1, 2}, 3}, {{7, 3, 1, 2}, 4}, {{4, 3}, 1}, {{0}, 1},
        // the writer's new entry is numbered 0 when the number is chosen
        {{0, 1, 2, 4}, 3}, {{-5, 1}, 2}, {{1, std::numeric_limits<int>::max()}, 2},
        {{std::numeric_limits<int>::min(), 2, 1}, 3}};
    for (const auto& c : cases) {
        TMovieList list;
        addNumbers(list, c.numbers);
        EXPECT_EQ(list.FirstFreeNumber(false), c.expected);
        for (int i = 1; i < list.Count(); ++i)
            EXPECT_LE(list.GetItem(i - 1).iNumber, list.GetItem(i).iNumber) << "sorted by number";
    }
}

TEST(CatalogueModel, WriterOrderPutsTheNewEntryFirst)
{
    TMovieList list;
    addNumbers(list, {4, 1, 2});
    list.Sort(fieldNumber);
    TMovie& added = list.Add();
    added.iNumber = list.FirstFreeNumber(false);
    EXPECT_EQ(added.iNumber, 3);
    EXPECT_EQ(list.IndexOf(added), 0);
    list.Delete(0);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.IndexOf(added), -1);
    EXPECT_THROW(list.Delete(3), std::out_of_range);
}

TEST(CatalogueModel, GetValuesKeepsTheFirstOfTextsDifferingByCase)
{
    TMovieList list;
    for (const char* url : {"C:\\a.avi", "", "c:\\A.avi", "C:\\b.avi"})
        list.Add().strURL = QString::fromLatin1(url);
    QStringList values {QStringLiteral("old")};
    list.GetValues(values, fieldURL);
    EXPECT_EQ(values, (QStringList {QStringLiteral("C:\\a.avi"), QStringLiteral("C:\\b.avi")}));
}

TEST(CatalogueModel, ExtraFieldValuesAreNormalisedAndEmptyOnesDropped)
{
    TMovieList list;
    auto& defs = list.CustomFieldsProperties;
    defs.AddField(QStringLiteral("Count")).FieldType = ftInteger;
    defs.AddField(QStringLiteral("Score")).FieldType = ftReal;
    defs.AddField(QStringLiteral("Seen")).FieldType = ftBoolean;
    defs.AddField(QStringLiteral("When")).FieldType = ftDate;
    EXPECT_EQ(&defs.AddField(QStringLiteral("COUNT")), defs.GetField(QStringLiteral("count")));
    EXPECT_EQ(defs.Count(), 4);
    EXPECT_EQ(defs.AddField(QStringLiteral("Odd"), true).OldFieldTag, QStringLiteral("#"));

    TMovie& m = list.Add();
    m.CustomFields.SetFieldValue(QStringLiteral("count"), QStringLiteral("12.9"));
    m.CustomFields.SetFieldValue(QStringLiteral("Score"), QStringLiteral("word"));
    m.CustomFields.SetFieldValue(QStringLiteral("Seen"), QStringLiteral("fALSe"));
    m.CustomFields.SetFieldValue(QStringLiteral("When"), QStringLiteral("18/03/2014"));
    m.CustomFields.SetFieldValue(QStringLiteral("Unknown"), QStringLiteral("x"));
    EXPECT_EQ(m.CustomFields.GetFieldValue(QStringLiteral("Count")), QStringLiteral("12"));
    EXPECT_EQ(m.CustomFields.GetFieldValue(QStringLiteral("When")), QStringLiteral("2014-03-18"));
    EXPECT_EQ(m.CustomFields.Count(), 2) << "the word and false are dropped, the unknown tag ignored";
    EXPECT_EQ(m.CustomFields.GetFieldValue(QStringLiteral("Seen")), QStringLiteral("False"));

    m.CustomFields.SetFieldValue(QStringLiteral("New"), QStringLiteral("v"), true);
    EXPECT_NE(defs.GetField(QStringLiteral("new")), nullptr);
    EXPECT_EQ(m.GetFieldValue(customFieldLow + 1), QStringLiteral("v")) << "Count, New, Odd, Score...";
    EXPECT_TRUE(m.CustomFields.DeleteFieldValue(QStringLiteral("NEW")));
    EXPECT_FALSE(m.CustomFields.DeleteFieldValue(QStringLiteral("NEW")));
}

TEST(CatalogueModel, FieldValuesByIdentifier)
{
    TMovie m;
    m.iYear = 1979;
    m.strURL = QStringLiteral("/films/alien.mkv");
    m.bChecked = true;
    EXPECT_EQ(m.GetFieldValue(fieldURL), QStringLiteral("/films/alien.mkv"));
    EXPECT_EQ(m.GetFieldValue(fieldYear), QStringLiteral("1979"));
    EXPECT_EQ(m.GetFieldValue(fieldFormattedTitle), QString());
    EXPECT_EQ(m.GetIntFieldValue(fieldYear), 1979);
    EXPECT_EQ(m.GetIntFieldValue(fieldURL), -1);
    EXPECT_EQ(strTagFields[fieldMedia], QLatin1StringView("MediaLabel"));
    EXPECT_EQ(strTagFields[fieldColorTag], QLatin1StringView("ColorTag"));
}

TEST(CatalogueModel, PictureNamesBesideTheCatalogue)
{
    QTemporaryDir dir;
    const QString catalogue = dir.filePath(QStringLiteral("films.amc"));
    TMovie m;
    m.iNumber = 12;
    EXPECT_EQ(GetPictureName(catalogue, m, QStringLiteral(".jpg")), QStringLiteral("films_12.jpg"));
    EXPECT_EQ(GetPictureName(catalogue + QStringLiteral(".bak"), m, QStringLiteral(".jpg")),
        QStringLiteral("films.amc_12.jpg"));

    QFile(dir.filePath(QStringLiteral("films_12.jpg"))).open(QIODevice::WriteOnly);
    const QString unique = GetPictureName(catalogue, m, QStringLiteral(".jpg"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^films_12_-?\\d+\\.jpg$")).match(unique).hasMatch())
        << unique.toStdString();
    EXPECT_FALSE(FileOrDirExists(dir.filePath(unique)));
    EXPECT_TRUE(FileOrDirExists(dir.path()));

    const QString longCatalogue = dir.filePath(QString(200, u'n') + QStringLiteral(".amc"));
    const QString longName = GetPictureName(longCatalogue, m, QStringLiteral(".jpeg"));
    EXPECT_EQ(longName.size(), 160);
    EXPECT_TRUE(longName.endsWith(QStringLiteral(".jpeg")));
    EXPECT_EQ(ExtractFileExt(QStringLiteral("/a.b/c")), QString());
}

TEST(Windows1252, ConvertsBothWaysAndMarksWhatItCannotHold)
{
    const QString text = QStringLiteral("Été € “quoted” œ ÿ");
    const QByteArray bytes("\xC9t\xE9 \x80 \x93quoted\x94 \x9C \xFF");
    EXPECT_EQ(toWindows1252(text), bytes);
    EXPECT_EQ(fromWindows1252(bytes), text);
    EXPECT_EQ(toWindows1252(QStringLiteral("日本 😀 ā")), QByteArray("?? ? ?"));
    // The bytes windows-1252 leaves undefined come back unchanged.
    const QByteArray undefined("\x81\x8D\x8F\x90\x9D");
    EXPECT_EQ(toWindows1252(fromWindows1252(undefined)), undefined);
    QByteArray every;
    for (int b = 1; b < 256; ++b)
        every.append(char(b));
    EXPECT_EQ(toWindows1252(fromWindows1252(every)), every);
}
