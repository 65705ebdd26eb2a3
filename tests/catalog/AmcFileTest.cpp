#include "AmcBytes.h"
#include "catalog/MovieList.h"
#include "platform/Error.h"
#include "support/FileBytes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace filmarch;
using namespace filmarch::test;

using filmarch::test::readFile;
using filmarch::test::writeFile;

namespace {

QString loadError(TMovieList& list, const QByteArray& bytes)
{
    try {
        list.LoadFromBytes(bytes);
    } catch (const Error& e) {
        return e.message();
    }
    return QStringLiteral("(loaded)");
}

// A 4.1 definition record with its tag.
QByteArray definition41(const QByteArray& tag, const QByteArray& type, const QByteArray& defaultValue = {},
    quint16 separator = ';', bool rmp = true, bool patch = false)
{
    Bytes b;
    b.str(tag).str("Name of " + tag).str("ext").str(type).str(defaultValue).str("mi").u8(1);
    b.u8(quint8(separator & 0xFF)).u8(quint8(separator >> 8)).u8(rmp).u8(patch);
    b.u8(rmp).u8(patch).u8(0).str("gui");
    if (type == "ftList")
        b.i32(2).str("one").str("two").u8(1).u8(0).u8(1).u8(0);
    return b;
}

Record withValues(std::vector<QByteArray> values)
{
    Record r;
    r.values = std::move(values);
    return r;
}

} // namespace

TEST(AmcFile, SavedHeadersAreTheSixtyFiveBytesOfTheirLayout)
{
    for (const QByteArray* h : {&header41, &header40, &header35, &header33, &header31})
        ASSERT_EQ(h->size(), 65);
    const struct {
        int requested;
        QByteArray header;
    } cases[] = {{41, header41}, {99, header41}, {40, header40}, {39, header35}, {35, header35}, {33, header35},
        {31, header35}, {0, header35}};
    TMovieList list;
    for (const auto& c : cases)
        EXPECT_EQ(list.SaveToBytes(c.requested).left(65), c.header) << c.requested;
}

TEST(AmcFile, LoadsEachVersionOnlyFromItsExactHeader)
{
    const struct {
        QByteArray header;
        int version;
    } cases[] = {{header41, 41}, {header40, 40}, {header35, 35}, {header33, 33}, {header31, 31}};
    for (const auto& c : cases) {
        const int version = c.version;
        const QByteArray body = properties(version) + (version >= 40 ? noDefinitions() : QByteArray());
        TMovieList list;
        EXPECT_EQ(list.LoadFromBytes(c.header + body), version);
        // One byte off anywhere in the 65 makes it unknown, the signature tail included.
        for (int at : {0, 5, 31, 32, 50, 64}) {
            QByteArray bad = c.header + body;
            bad[at] = bad[at] == 'x' ? 'y' : 'x';
            EXPECT_EQ(loadError(list, bad), QStringLiteral("Cannot identify file type from header")) << version << at;
        }
    }
}

TEST(AmcFile, EmptyEntryTakes125BytesIn35And129In41PlusFourPerDefinition)
{
    TMovieList list;
    list.Add();
    const QByteArray expected35 = Bytes().raw(header35).raw(properties(35)).raw(record(35, Record()));
    EXPECT_EQ(expected35.size(), 206);
    EXPECT_EQ(list.SaveToBytes(35), expected35);

    const QByteArray expected41 =
        Bytes().raw(header41).raw(properties(41)).raw(noDefinitions()).raw(record(41, Record()));
    EXPECT_EQ(expected41.size(), 65 + 16 + 12 + 129);
    EXPECT_EQ(list.SaveToBytes(41), expected41);

    list.CustomFieldsProperties.AddField(QStringLiteral("A"));
    list.CustomFieldsProperties.AddField(QStringLiteral("B"));
    const QByteArray withTwo = list.SaveToBytes(41);
    const qsizetype definitionsEnd = withTwo.size() - (129 + 8);
    EXPECT_EQ(withTwo.mid(definitionsEnd), record(41, withValues({{}, {}})));
}

TEST(AmcFile, WritesEveryFieldInItsPlaceAndReadsItBack)
{
    TMovieList list;
    list.MovieProperties = {.strName = QStringLiteral("Owner"),
        .strMail = QStringLiteral("o@x"),
        .strSite = QStringLiteral("site"),
        .strDescription = QStringLiteral("Films été")};
    list.CustomFieldsProperties.ColumnSettings = QStringLiteral("cols");
    list.CustomFieldsProperties.GUIProperties = QStringLiteral("gui");
    TCustomFieldProperties& genre = list.CustomFieldsProperties.AddField(QStringLiteral("Genre"));
    genre.FieldName = QStringLiteral("Name of Genre");
    genre.FieldExt = QStringLiteral("ext");
    genre.FieldType = ftList;
    genre.DefaultValue = QStringLiteral("one");
    genre.MediaInfo = QStringLiteral("mi");
    genre.MultiValues = true;
    genre.MultiValuesSep = u';';
    genre.MultiValuesRmP = true;
    genre.GUIProperties = QStringLiteral("gui");
    genre.ListValues = {QStringLiteral("one"), QStringLiteral("two")};
    genre.ListAutoAdd = genre.ListAutoComplete = true;

    TMovie& m = list.Add();
    m.iNumber = 12;
    m.iDate = 41000;
    m.iRating = 85;
    m.iYear = 2011;
    m.iLength = 104;
    m.iVideoBitrate = 1500;
    m.iAudioBitrate = 192;
    m.iDisks = 2;
    m.iColorTag = 5;
    m.bChecked = true;
    m.strMedia = QStringLiteral("Media");
    m.strMediaType = QStringLiteral("MediaType");
    m.strSource = QStringLiteral("Source");
    m.strBorrower = QStringLiteral("Borrower");
    m.strOriginalTitle = QStringLiteral("OriginalTitle");
    m.strTranslatedTitle = QStringLiteral("TranslatedTitle");
    m.strDirector = QStringLiteral("Director");
    m.strProducer = QStringLiteral("Producer");
    m.strCountry = QStringLiteral("Country");
    m.strCategory = QStringLiteral("Category");
    m.strActors = QStringLiteral("Actors");
    m.strURL = QStringLiteral("URL");
    m.strDescription = QStringLiteral("Description");
    m.strComments = QStringLiteral("Comments");
    m.strVideoFormat = QStringLiteral("VideoFormat");
    m.strAudioFormat = QStringLiteral("AudioFormat");
    m.strResolution = QStringLiteral("Resolution");
    m.strFramerate = QStringLiteral("Framerate");
    m.strLanguages = QStringLiteral("Languages");
    m.strSubtitles = QStringLiteral("Subtitles");
    m.strSize = QStringLiteral("Size");
    m.strPicture = QStringLiteral(".jpg");
    m.Picture = QByteArray("\xFF\xD8jpeg", 6);
    m.CustomFields.SetFieldValue(QStringLiteral("genre"), QStringLiteral("two"));

    Record r;
    r.ints = {12, 41000, 85, 2011, 104, 1500, 192, 2};
    r.colorTag = 5;
    r.checked = true;
    r.strings = {"Media", "MediaType", "Source", "Borrower", "OriginalTitle", "TranslatedTitle", "Director", "Producer",
        "Country", "Category", "Actors", "URL", "Description", "Comments", "VideoFormat", "AudioFormat", "Resolution",
        "Framerate", "Languages", "Subtitles", "Size", ".jpg"};
    r.picture = QByteArray("\xFF\xD8jpeg", 6);
    r.values = {"two"};
    const QByteArray expected = Bytes()
                                    .raw(header41)
                                    .raw(properties(41, "Owner", "o@x", "site", "Films \xE9t\xE9"))
                                    .str("cols")
                                    .str("gui")
                                    .i32(1)
                                    .raw(definition41("Genre", "ftList", "one", ';', true, false))
                                    .raw(record(41, r));
    ASSERT_EQ(list.SaveToBytes(41), expected);

    TMovieList loaded;
    EXPECT_EQ(loaded.LoadFromBytes(expected), 41);
    EXPECT_EQ(loaded.MovieProperties, list.MovieProperties);
    ASSERT_EQ(loaded.CustomFieldsProperties.Count(), 1);
    EXPECT_EQ(loaded.CustomFieldsProperties.GetItem(0), genre);
    ASSERT_EQ(loaded.Count(), 1);
    const TMovie& l = loaded.GetItem(0);
    EXPECT_EQ(l.strPicture, QStringLiteral(".jpg"));
    EXPECT_EQ(l.Picture, m.Picture);
    EXPECT_EQ(l.CustomFields.GetFieldValue(QStringLiteral("GENRE")), QStringLiteral("two"));
    EXPECT_EQ(loaded.SaveToBytes(41), expected);
}

TEST(AmcFile, OldVersionsAreAdjustedAndSavedAs35)
{
    // 3.1: whole-point ratings, no media type or source, a dropped text in the properties.
    Record rated = numbered(1, "Alien");
    rated.ints[2] = 7;
    Record unrated = numbered(2);
    unrated.ints[2] = -1;
    const QByteArray file31 = header31 + properties(31, "n", "m", "s", "d") + record(31, rated) + record(31, unrated);
    TMovieList list;
    ASSERT_EQ(list.LoadFromBytes(file31), 31);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.GetItem(0).iRating, 70);
    EXPECT_EQ(list.GetItem(1).iRating, -1);
    EXPECT_EQ(list.GetItem(0).strTranslatedTitle, QStringLiteral("Alien"));

    rated.ints[2] = 70;
    EXPECT_EQ(
        list.SaveToBytes(31), header35 + properties(35, "n", "m", "s", "d") + record(35, rated) + record(35, unrated));

    // 4.1 colour tags are taken modulo 13, keeping the sign.
    QByteArray file41 = header41 + properties(41) + noDefinitions();
    for (qint32 tag : {15, 13, 12, -1}) {
        Record r;
        r.colorTag = tag;
        file41 += record(41, r);
    }
    ASSERT_EQ(list.LoadFromBytes(file41), 41);
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list.GetItem(0).iColorTag, 2);
    EXPECT_EQ(list.GetItem(1).iColorTag, 0);
    EXPECT_EQ(list.GetItem(2).iColorTag, 12);
    EXPECT_EQ(list.GetItem(3).iColorTag, -1);
}

TEST(AmcFile, DamagedLastEntryIsLeftOutAndDamagedHeaderBlocksFail)
{
    Record pictured = numbered(2, "Brazil");
    pictured.picture = QByteArray(100, 'p');
    const QByteArray good = header35 + properties(35) + record(35, numbered(1, "Alien"));
    const QByteArray second = record(35, pictured);
    // Cut inside the integers, inside a string, inside the picture; then lengths beyond the end.
    QByteArray hugeString = record(35, numbered(2));
    qToLittleEndian<qint32>(0x7FFFFFFF, hugeString.data() + 33 + 4 * 5);
    QByteArray hugePicture = record(35, numbered(2));
    qToLittleEndian<qint32>(0x7FFFFFF0, hugePicture.data() + hugePicture.size() - 4);
    for (const QByteArray& tail :
        {second.left(10), second.left(33 + 4 * 5 + 7), second.left(second.size() - 1), hugeString, hugePicture}) {
        TMovieList list;
        ASSERT_EQ(list.LoadFromBytes(good + tail), 35);
        ASSERT_EQ(list.Count(), 1);
        EXPECT_EQ(list.GetItem(0).strTranslatedTitle, QStringLiteral("Alien"));
        EXPECT_EQ(list.SaveToBytes(35), good);
    }

    // A negative string count is an empty text, not damage.
    QByteArray negative = record(35, numbered(3, "Zelig"));
    qToLittleEndian<qint32>(-5, negative.data() + 33);
    TMovieList list;
    list.LoadFromBytes(good + negative);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.GetItem(1).strTranslatedTitle, QStringLiteral("Zelig"));

    // In the properties or definitions the same damage fails the load.
    const QByteArray cutProperties = header35 + Bytes().str("name").i32(1000).raw("short");
    const QByteArray cutDefinitions =
        header41 + properties(41) + Bytes().str({}).str({}).i32(3) + definition41("A", "ftString");
    for (const QByteArray& bad : {cutProperties, cutDefinitions, header41 + properties(41)})
        EXPECT_EQ(loadError(list, bad), QStringLiteral("Stream read error"));
    EXPECT_EQ(list.Count(), 0);
}

TEST(AmcFile, DefinitionFlagsComeFromAfterTheSeparatorBlock)
{
    // Zero separator, and block copies of the flags that disagree with the real ones.
    Bytes def;
    def.str("Tag").str("Name").str("").str("ftString").str("").str("").u8(0);
    def.u8(0).u8(0).u8(1).u8(1); // separator 0, unused copies
    def.u8(0).u8(1).u8(0).str("");
    const QByteArray file =
        header41 + properties(41) + Bytes().str({}).str({}).i32(1).raw(def) + record(41, withValues({"v"}));
    TMovieList list;
    ASSERT_EQ(list.LoadFromBytes(file), 41);
    const TCustomFieldProperties& loaded = list.CustomFieldsProperties.GetItem(0);
    EXPECT_EQ(loaded.MultiValuesSep, QChar(u','));
    EXPECT_FALSE(loaded.MultiValuesRmP);
    EXPECT_TRUE(loaded.MultiValuesPatch);
    EXPECT_EQ(list.GetItem(0).CustomFields.GetFieldValue(QStringLiteral("TAG")), QStringLiteral("v"));
}

TEST(AmcFile, ExtraFieldsOfEveryTypeSurviveLoadAndSave)
{
    // Definitions in tag order, letter case ignored, values in the same order.
    const struct {
        QByteArray tag, type, value, defaultValue;
    } fields[] = {{"aBool", "ftBoolean", "True", "True"}, {"Date", "ftDate", "2014-03-18", "Today"},
        {"int", "ftInteger", "-12", "3"}, {"List", "ftList", "two", "one"}, {"real", "ftReal", "2.500", "0.125"},
        {"Str", "ftString", "  spaced  ", "x"}, {"text", "ftText", "line\r\nline", ""},
        {"Url", "ftUrl", "http://x/y", ""}};
    Bytes defs40, defs41;
    defs40.str("c").str("g").i32(8);
    defs41.str("c").str("g").i32(8);
    Record r41, r40, empty41, empty40;
    for (const auto& f : fields) {
        defs41.raw(definition41(f.tag, f.type, f.defaultValue));
        defs40.str(f.tag).str("Name").str(f.type).str(f.defaultValue).u8(1).u8(1).str("gui");
        if (f.type == "ftList")
            defs40.i32(1).str("only");
        r41.values.push_back(f.value);
        empty41.values.emplace_back();
    }
    r40.values = r41.values;
    empty40.values = empty41.values;
    const QByteArray file41 = header41 + properties(41) + defs41.data + record(41, r41) + record(41, empty41);
    const QByteArray file40 = header40 + properties(40) + defs40.data + record(40, r40) + record(40, empty40);
    for (const auto& [file, version] : {std::pair {file41, 41}, std::pair {file40, 40}}) {
        TMovieList list;
        ASSERT_EQ(list.LoadFromBytes(file), version);
        EXPECT_EQ(list.CustomFieldsProperties.Count(), 8);
        EXPECT_EQ(list.GetItem(0).CustomFields.Count(), 8);
        EXPECT_EQ(list.GetItem(1).CustomFields.Count(), 0);
        EXPECT_EQ(list.SaveToBytes(version), file) << version;
    }
}

TEST(AmcFile, ValuesFollowTheDefinitionsAsTheFileListsThem)
{
    // Definitions listed out of tag order: each value still lands on its own field.
    const QByteArray defs =
        Bytes().str({}).str({}).i32(2).raw(definition41("Zeta", "ftString")).raw(definition41("alpha", "ftString"));
    const QByteArray file = header41 + properties(41) + defs + record(41, withValues({"for zeta", "for alpha"}));
    TMovieList list;
    list.LoadFromBytes(file);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.GetItem(0).CustomFields.GetFieldValue(QStringLiteral("Zeta")), QStringLiteral("for zeta"));
    EXPECT_EQ(list.GetItem(0).CustomFields.GetFieldValue(QStringLiteral("alpha")), QStringLiteral("for alpha"));
    // Saved in tag order.
    const QByteArray saved = list.SaveToBytes(41);
    EXPECT_TRUE(saved.endsWith(Bytes().str("for alpha").str("for zeta").data));
    EXPECT_LT(saved.indexOf("alpha"), saved.indexOf("Zeta"));
}

TEST(AmcFile, EveryVersionLoadsAndSavesInEveryLayout)
{
    for (int version : {31, 33, 35, 40, 41}) {
        Record r = numbered(4, "Caf\xE9");
        r.strings[0] = "DVD";
        r.strings[1] = "type";
        r.strings[2] = "src";
        r.ints[2] = version < 35 ? 8 : 80;
        r.picture = "PNG";
        r.strings[21] = ".png";
        const QByteArray file = headerFor(version) + properties(version, "n")
            + (version >= 40 ? noDefinitions() : QByteArray()) + record(version, r);
        TMovieList list;
        ASSERT_EQ(list.LoadFromBytes(file), version);
        for (int layout : {35, 40, 41}) {
            TMovieList again;
            ASSERT_EQ(again.LoadFromBytes(list.SaveToBytes(layout)), layout);
            ASSERT_EQ(again.Count(), 1);
            const TMovie& m = again.GetItem(0);
            EXPECT_EQ(m.iRating, 80);
            EXPECT_EQ(m.strTranslatedTitle, QStringLiteral("Café"));
            EXPECT_EQ(m.strMediaType, version >= 33 ? QStringLiteral("type") : QString()) << version;
            EXPECT_EQ(m.Picture, QByteArray("PNG"));
            EXPECT_EQ(again.MovieProperties.strName, QStringLiteral("n"));
            EXPECT_EQ(again.SaveToBytes(layout), list.SaveToBytes(layout));
        }
    }
}

TEST(AmcFile, FileFailuresAreWrappedWithThePath)
{
    QTemporaryDir dir;
    const QString shortFile = dir.filePath(QStringLiteral("short.amc"));
    writeFile(shortFile, QByteArray(40, 'A'));
    TMovieList list;
    list.Add();
    try {
        list.LoadFromFile(shortFile);
        FAIL() << "loaded";
    } catch (const Error& e) {
        EXPECT_EQ(e.message(),
            QStringLiteral("Unable to load file \"%1\": Cannot identify file type from header").arg(shortFile));
    }
    EXPECT_EQ(list.Count(), 0);

    list.Add();
    const QString missing = dir.filePath(QStringLiteral("missing.amc"));
    try {
        list.LoadFromFile(missing);
        FAIL() << "loaded";
    } catch (const Error& e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Unable to load file \"%1\": ").arg(missing))) << e.what();
        EXPECT_GT(e.message().size(), QStringLiteral("Unable to load file \"%1\": ").arg(missing).size());
    }
    EXPECT_EQ(list.Count(), 1) << "a file that cannot be opened leaves the list as it was";

    const QString nowhere = dir.filePath(QStringLiteral("no/such/folder/x.amc"));
    try {
        list.SaveToFile(nowhere, nowhere, 35);
        FAIL() << "saved";
    } catch (const Error& e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Unable to save file \"%1\": ").arg(nowhere))) << e.what();
    }
}

TEST(AmcFile, SaveReplacesTheWholeFileAndRefusesAReadOnlyOne)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("films.amc"));
    TMovieList list;
    list.Add().iNumber = 1;
    writeFile(path, QByteArray(5000, 'x')); // longer than the catalogue: nothing of it may remain
    list.SaveToFile(path, path, 35);
    EXPECT_EQ(readFile(path), list.SaveToBytes(35));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList {QStringLiteral("films.amc")});

    const QByteArray before = readFile(path);
    list.Add().iNumber = 2;
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup); // refused even when run as root
    try {
        list.SaveToFile(path, path, 35);
        FAIL() << "saved over a read-only catalogue";
    } catch (const Error& e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Unable to save file \"%1\": ").arg(path))) << e.what();
    }
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList {QStringLiteral("films.amc")});
}

TEST(AmcFile, BackupCopiesPicturesLinkedByBareNameAndKeepsFolderLinksValid)
{
    QTemporaryDir dir;
    const QString catalogue = dir.filePath(QStringLiteral("films.amc"));
    const QString backup = catalogue + QStringLiteral(".bak");
    writeFile(dir.filePath(QStringLiteral("films_12.jpg")), "picture 12");
    QDir(dir.path()).mkdir(QStringLiteral("posters"));
    writeFile(dir.filePath(QStringLiteral("posters/p7.jpg")), "picture 7");

    Record bare = numbered(12);
    bare.strings[21] = "films_12.jpg";
    Record inFolder = numbered(7);
    inFolder.strings[21] = "posters/p7.jpg";
    Record missing = numbered(3);
    missing.strings[21] = "gone.jpg";
    writeFile(catalogue, header35 + properties(35) + record(35, bare) + record(35, inFolder) + record(35, missing));

    TMovieList list;
    ASSERT_EQ(list.LoadFromFile(catalogue), 35);
    list.SaveToFile(catalogue, backup, 35);
    EXPECT_EQ(readFile(backup), readFile(catalogue)) << "the backup names the pictures named before";
    EXPECT_EQ(readFile(dir.filePath(QStringLiteral("films.amc_12.jpg"))), QByteArray("picture 12"));
    EXPECT_EQ(list.GetItem(0).strPicture, QStringLiteral("films.amc_12.jpg"));
    EXPECT_EQ(list.GetItem(1).strPicture, QStringLiteral("posters/p7.jpg"));
    EXPECT_EQ(list.GetItem(2).strPicture, QStringLiteral("gone.jpg"));

    // Saved into another folder, a link with a folder is made relative to it.
    QDir(dir.path()).mkdir(QStringLiteral("elsewhere"));
    const QString moved = dir.filePath(QStringLiteral("elsewhere/films.amc"));
    list.SaveToFile(catalogue, moved, 35);
    EXPECT_EQ(list.GetItem(1).strPicture, QStringLiteral("../posters/p7.jpg"));

    // Source and destination the same: links untouched.
    list.GetItem(0).strPicture = QStringLiteral("films_12.jpg");
    list.SaveToFile(catalogue, catalogue, 35);
    EXPECT_EQ(list.GetItem(0).strPicture, QStringLiteral("films_12.jpg"));
}

// The outline of a file holds what a full load holds of its entries (numbers,
// names, where it stops being readable) without their pictures, whatever their size.
TEST(AmcFile, OutlineReadsNumbersAndNamesAsAFullLoadDoes)
{
    QTemporaryDir dir;
    for (int version : {31, 35, 40, 41}) {
        SCOPED_TRACE(version);
        QByteArray file =
            headerFor(version) + properties(version, "n") + (version >= 40 ? noDefinitions() : QByteArray());
        for (int i : {7, 2, 9}) {
            Record r = numbered(i);
            r.strings[11] = "/films/Film " + QByteArray::number(i) + ".mkv";
            r.picture = QByteArray(i == 2 ? 3 << 20 : 100, 'p'); // larger than what is read at once
            file += record(version, r);
        }
        const QString path = dir.filePath(QStringLiteral("f%1.amc").arg(version));
        for (const bool cut : {false, true}) {
            writeFile(path, cut ? file + record(version, numbered(4)).left(20) : file);
            TMovieList full, outlined;
            ASSERT_EQ(full.LoadFromFile(path), version);
            const TMovieList::Outline o = outlined.LoadOutline(path);
            EXPECT_EQ(o.version, version);
            EXPECT_EQ(o.size, QFileInfo(path).size());
            ASSERT_EQ(int(o.numbers.size()), full.Count());
            for (int i = 0; i < full.Count(); ++i) {
                EXPECT_EQ(o.numbers[size_t(i)], full.GetItem(i).iNumber);
                EXPECT_EQ(o.urls.value(i), full.GetItem(i).strURL);
            }
            EXPECT_EQ(outlined.Count(), 0);
            EXPECT_EQ(outlined.MovieProperties.strName, QStringLiteral("n"));
            EXPECT_EQ(outlined.damagedEntry(), full.damagedEntry());
            EXPECT_EQ(outlined.damagedOffset(), full.damagedOffset());
            EXPECT_EQ(full.damagedEntry(), cut ? 4 : 0);
        }
    }
}
