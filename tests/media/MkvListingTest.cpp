// mkvmerge's listing lines read into the analysed file: the real English and
// French wordings, and the byte positions of the older listing.
#include "media/MkvListing.h"
#include "core/Options.h"
#include "support/FakeMedia.h"

#include <gtest/gtest.h>

using namespace filmarch;

namespace {

QByteArray english(int id, const char* type, const char* name)
{
    return QStringLiteral("Attachment ID %1: type '%2', size 329 bytes, file name '%3'")
        .arg(id)
        .arg(QString::fromUtf8(type), QString::fromUtf8(name))
        .toUtf8();
}

// As the issue quotes it, and with the non-breaking spaces of French typography.
QByteArray french(int id, const char* type, const char* name, const char* space = " ")
{
    const QString s = QString::fromUtf8(space);
    return (QStringLiteral("Pièce jointe ID %1").arg(id) + s + QStringLiteral(": type «") + s + QString::fromUtf8(type)
        + s + QStringLiteral("», taille 329 octets, nom de fichier «") + s + QString::fromUtf8(name) + s
        + QStringLiteral("»"))
        .toUtf8();
}

struct Listing {
    QString Comment, ID;
};

Listing read(const QByteArrayList& lines, bool Image, const QString& file = QStringLiteral("/films/Film.mkv"))
{
    test::FakeMedia media;
    media.withVideo();
    TTraitement Fichier(file, Image, media, [] { return QString(); });
    for (const QByteArray& line : lines)
        DosCommandNewLine(Fichier, line, otEntireLine);
    return {Fichier.Comment, Fichier.ID};
}

} // namespace

TEST(MkvListing, PosterChoiceAndCommentFromEveryWording)
{
    struct Case {
        const char* name;
        QByteArrayList lines;
        bool Image;
        const char* Comment;
        const char* ID;
        const char* file = "/films/Film.mkv";
    };
    const QByteArray fileLine = "File '/films/Film.mkv': container: Matroska";
    const QByteArray trackLine = "Track ID 0: video (AVC/H.264/MPEG-4p10)";
    const Case cases[] = {
        {"first .jpg becomes the poster",
            {fileLine, trackLine, english(1, "image/png", "cover.png"), english(2, "image/jpeg", "front.jpg"),
                english(3, "image/jpeg", "back.jpg")},
            false, "cover.png|front.jpg|back.jpg|", "2"},
        {"first AFFICHE wins over the first .jpg, a later one does not",
            {french(1, "image/jpeg", "cover.jpg"), french(2, "image/png", "affiche.png"),
                french(3, "image/jpeg", "AFFICHE2.jpg")},
            false, "cover.jpg|affiche.png|AFFICHE2.jpg|", "2"},
        {"French with non-breaking spaces",
            {french(4, "image/jpeg", "cover.jpg", "\u00a0"), french(5, "image/png", "Affiche.png", "\u202f")}, false,
            "cover.jpg|Affiche.png|", "5"},
        {"extension compared with case", {english(1, "image/jpeg", "COVER.JPG")}, false, "COVER.JPG|", ""},
        {"AFFICHE in any case", {english(7, "image/jpeg", "Affiche.JPG")}, false, "Affiche.JPG|", "7"},
        {"pictures only: names ending in .jpg or .png",
            {english(1, "image/jpeg", "cover.jpg"), english(2, "image/x-font", "font.ttf"),
                english(3, "image/gif", "anim.gif")},
            true, "cover.jpg|", "1"},
        {"every picture line otherwise",
            {english(1, "image/jpeg", "cover.jpg"), english(2, "image/x-font", "font.ttf")}, false,
            "cover.jpg|font.ttf|", "1"},
        {"only picture MIME types count, whatever the name",
            {english(1, "font/ttf", "image.ttf"), english(2, "text/plain", "affiche.txt"),
                french(3, "application/x-truetype-font", "image.jpg")},
            false, "", ""},
        {"quotes and a description in the real line",
            {"Attachment ID 1: type 'image/jpeg', size 3 bytes, description 'desc', file name 'it's, file name 'x.jpg'",
                english(2, "image/png", "café é.png")},
            false, "it's, file name 'x.jpg|café é.png|", "1"},
        {"older listing by byte positions", {"Attachement ID numero 7 : type image/jpeg, nom de fichier 'poster.jpg'"},
            false, "poster.jpg|", "7"},
        {"older listing: a short line gives empty number and name", {"image x"}, false, "|", ""},
        {"older listing without \"fichier\": partial name", {"Attachement ID numero 8 image/jpeg 'a.jpg'"}, false,
            "ent ID numero 8 image/jpeg 'a.jpg|", "8"},
        {"the line naming the analysed file is no attachment",
            {"File '/films/images/affiche.mkv': container: Matroska"}, false, "", "", "/films/images/affiche.mkv"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Listing got = read(c.lines, c.Image, QString::fromUtf8(c.file));
        EXPECT_EQ(got.Comment, QString::fromUtf8(c.Comment));
        EXPECT_EQ(got.ID, QString::fromUtf8(c.ID));
    }
}

TEST(MkvListing, BeginningsOfLinesAreIgnored)
{
    test::FakeMedia media;
    media.withVideo();
    TTraitement Fichier(QStringLiteral("/films/Film.mkv"), false, media, [] { return QString(); });
    DosCommandNewLine(Fichier, english(1, "image/jpeg", "cover.jpg"), otBeginningOfLine);
    EXPECT_EQ(Fichier.Comment, QString());
    EXPECT_EQ(Fichier.ID, QString());
}
