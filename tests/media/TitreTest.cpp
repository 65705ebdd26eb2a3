// Title, original title and year from the file name and the title tag.
#include "core/Options.h"
#include "media/Traitement.h"
#include "support/FakeMedia.h"

#include <gtest/gtest.h>

using namespace filmarch;
using filmarch::test::FakeMedia;

namespace {

struct Titles {
    QString traduit, original, annee;
};

Titles titlesOf(const QString& fileName, const QString& movieTag = {}, const OptionSource& options = FixedOptions())
{
    FakeMedia media;
    media.withVideo()
        .set(Stream_General, 0, QStringLiteral("FileName"), fileName)
        .set(Stream_General, 0, QStringLiteral("Movie"), movieTag);
    TTraitement t(fileName, false, media, [&options] { return options.options().EFiltreTitre; });
    EXPECT_EQ(t.Titre(), t.TitreTraduit);
    return {t.TitreTraduit, t.TitreOriginal, t.Annee};
}

} // namespace

TEST(Titre, DerivesTitlesAndYearFromNamesAndTitleTags)
{
    const struct {
        QString fileName, movieTag;
        Titles expected;
    } cases[] = {
        {QStringLiteral("The.Matrix.1999.1080p.BluRay.x264"), {},
            {QStringLiteral("The Matrix "), {}, QStringLiteral("1999")}},
        {QStringLiteral("Les Visiteurs (1993)"), {}, {QStringLiteral("Les Visiteurs"), {}, QStringLiteral("1993")}},
        {QStringLiteral("Le Grand Bleu (The Big Blue) 1988 DVDRip"), {},
            {QStringLiteral("Le Grand Bleu"), QStringLiteral("The Big Blue"), QStringLiteral("1988")}},
        {QStringLiteral("Movie 2 [2005]"), {}, {QStringLiteral("Movie 2 "), {}, QStringLiteral("2005")}},
        {QStringLiteral("[Team] Some.Film.2004.FRENCH"), {},
            {QStringLiteral("Some Film  FRENCH"), {}, QStringLiteral("2004")}},
        {QStringLiteral("Film AC3 5.1 FR"), {}, {QStringLiteral("Film"), {}, {}}},
        {QStringLiteral("Film DD5.1"), {}, {QStringLiteral("Film 1"), {}, {}}},
        {QStringLiteral("The_Movie_720p"), {}, {QStringLiteral("The Movie"), {}, {}}},
        {QStringLiteral("Le Film"), QStringLiteral("Le Film (The Film) 2003"),
            {QStringLiteral("Le Film"), QStringLiteral("The Film"), QStringLiteral("2003")}},
        {QStringLiteral("Le Film"), QStringLiteral("Le Film (2003)"),
            {QStringLiteral("Le Film"), {}, QStringLiteral("2003")}},
        {QStringLiteral("Film (2)"), {}, {QStringLiteral("Film"), {}, QStringLiteral("2")}},
        // only filter words or separators: nothing left, no failure
        {QStringLiteral("DVDRip.x264-TEAM"), {}, {{}, {}, {}}},
        {QStringLiteral("---"), {}, {{}, {}, {}}},
        {QString(), {}, {{}, {}, {}}},
        // "(" without ")" counts as no brackets; the tag is read then
        {QStringLiteral("Film (Director's Cut 2001"), QStringLiteral("(Tag)"),
            {QStringLiteral("Film (Director's "), QStringLiteral("Tag"), QStringLiteral("2001")}},
        // the year found in the name wins over the tag's, but the tag still gives the original title
        {QStringLiteral("Été 1985"), QStringLiteral("Summer (L'Été) 1986"),
            {QStringLiteral("Été "), QStringLiteral("L'Été"), QStringLiteral("1985")}},
        // the brackets of the name hide the tag
        {QStringLiteral("Nom (Original)"), QStringLiteral("Autre (Tag) 1970"),
            {QStringLiteral("Nom"), QStringLiteral("Original"), {}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fileName.toStdString() + " | " + c.movieTag.toStdString());
        const Titles got = titlesOf(c.fileName, c.movieTag);
        EXPECT_EQ(got.traduit, c.expected.traduit);
        EXPECT_EQ(got.original, c.expected.original);
        EXPECT_EQ(got.annee, c.expected.annee);
    }
}

TEST(Titre, RunningTwiceGivesTheSameFields)
{
    FakeMedia media;
    media.withVideo()
        .set(Stream_General, 0, QStringLiteral("FileName"), QStringLiteral("Le Film"))
        .set(Stream_General, 0, QStringLiteral("Movie"), QStringLiteral("Le Film (The Film) 2003"));
    FixedOptions options;
    TTraitement t(QStringLiteral("Le Film.mkv"), false, media, [&options] { return options.options().EFiltreTitre; });
    t.Titre();
    t.Titre();
    EXPECT_EQ(t.TitreTraduit, QStringLiteral("Le Film"));
    EXPECT_EQ(t.TitreOriginal, QStringLiteral("The Film"));
    EXPECT_EQ(t.Annee, QStringLiteral("2003"));
}

TEST(Titre, FilterIsReadAfreshAtEveryCleaning)
{
    FakeMedia media;
    media.withVideo().set(Stream_General, 0, QStringLiteral("FileName"), QStringLiteral("Film.PROPER.2010"));
    FixedOptions options;
    TTraitement t(QStringLiteral("f.mkv"), false, media, [&options] { return options.options().EFiltreTitre; });
    EXPECT_EQ(t.Titre(), QStringLiteral("Film PROPER "));
    options.values.EFiltreTitre += QStringLiteral(",proper");
    EXPECT_EQ(t.Titre(), QStringLiteral("Film "));
}

TEST(Nettoyer, DropsFilterWordsWithoutRegardToCaseAccentsIncluded)
{
    const struct {
        QString filter, text, expected;
    } cases[] = {
        {QStringLiteral("dvdrip"), QStringLiteral("Film DVDRip"), QStringLiteral("Film")},
        // case is ignored, accents are not
        {QStringLiteral("été,ÇA"), QStringLiteral("ÉTÉ Film ça Éte"), QStringLiteral("Film Éte")},
        {QStringLiteral("™"), QStringLiteral("Marque™ ™"), QStringLiteral("Marque™")},
        // a filter word with a hyphen never matches: the name's hyphen is a separator
        {QStringLiteral("hd-dvd"), QStringLiteral("Film.HD-DVD"), QStringLiteral("Film HD DVD")},
        {QStringLiteral("hd,dvd"), QStringLiteral("Film.HD-DVD"), QStringLiteral("Film")},
        // brackets stay, the eight separators go
        {QString(), QStringLiteral("a-b_c.d[e]f{g}h+i(j)"), QStringLiteral("a b c d e f g h i(j)")},
        // empty words survive as extra spaces unless the filter holds an empty word
        {QStringLiteral("team"), QStringLiteral("[Team] Some..Film"), QStringLiteral(" Some  Film")},
        {QStringLiteral("team,,"), QStringLiteral("[Team] Some..Film"), QStringLiteral("Some Film")},
        {QStringLiteral("team,"), QStringLiteral("[Team] Some..Film"), QStringLiteral("Some Film")},
        // quoted words of the filter may hold blanks and commas
        {QStringLiteral("\"x, y\""), QStringLiteral("\"x, y\" z"), QStringLiteral("z")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.filter.toStdString() + " | " + c.text.toStdString());
        FakeMedia media;
        ScanOptions o;
        o.EFiltreTitre = c.filter;
        FixedOptions options(o);
        TTraitement t(QStringLiteral("f.mkv"), false, media, [&options] { return options.options().EFiltreTitre; });
        EXPECT_EQ(t.Nettoyer(c.text), c.expected);
    }
}

TEST(AnneeTitre, TakesTheRightmostGroupStartingWithTwoElseWithOne)
{
    const struct {
        QString text, year;
    } cases[] = {
        {QStringLiteral("19990"), QStringLiteral("1999")},
        {QStringLiteral("01999"), QStringLiteral("1999")},
        {QStringLiteral("219990"), QString()},
        {QStringLiteral("2001 1999"), QStringLiteral("2001")},
        {QStringLiteral("1999 1984"), QStringLiteral("1984")},
        {QStringLiteral("Film 1080p"), QStringLiteral("1080")},
        {QStringLiteral("x2010x"), QStringLiteral("2010")},
        {QStringLiteral("199"), QString()},
        {QStringLiteral("1 99"), QString()},
        {QString(), QString()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TTraitement::AnneeTitre(c.text), c.year) << c.text.toStdString();
}
