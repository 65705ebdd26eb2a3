// mkvmerge's identification in JSON read into the analysed file: the poster
// choice, the comments, and what a hostile or broken document gives.
#include "media/MkvListing.h"
#include "core/Options.h"
#include "support/FakeMedia.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace filmarch;

namespace {

struct Listed {
    QJsonValue id;
    const char* type;
    const char* name;
};

// An identification as mkvmerge -J writes it, with the attachments given.
QByteArray identification(const QList<Listed>& attachments)
{
    QJsonArray list;
    for (const Listed& a : attachments)
        list.append(QJsonObject {{QStringLiteral("content_type"), QString::fromUtf8(a.type)},
            {QStringLiteral("description"), QStringLiteral("d, file name 'decoy.jpg'")},
            {QStringLiteral("file_name"), QString::fromUtf8(a.name)}, {QStringLiteral("id"), a.id},
            {QStringLiteral("size"), 3}});
    return QJsonDocument(QJsonObject {{QStringLiteral("attachments"), list},
                             {QStringLiteral("container"), QJsonObject {{QStringLiteral("recognized"), true}}}})
        .toJson();
}

struct Listing {
    QString Comment, ID;
    bool added;
};

Listing read(const QByteArray& json, bool Image, qsizetype maxCommentText = 1000)
{
    test::FakeMedia media;
    media.withVideo();
    TTraitement Fichier(QStringLiteral("/films/Film.mkv"), Image, media, [] { return QString(); });
    const bool added = addAttachments(Fichier, readAttachments(json), maxCommentText);
    return {Fichier.Comment, Fichier.ID, added};
}

} // namespace

TEST(MkvListing, PosterChoiceAndComments)
{
    struct Case {
        const char* name;
        QByteArray json;
        bool Image;
        const char* Comment;
        const char* ID;
    };
    const Case cases[] = {
        {"first .jpg becomes the poster",
            identification({{1, "image/png", "cover.png"}, {2, "image/jpeg", "front.jpg"}, {3, "image/jpeg", "b.jpg"}}),
            false, "cover.png|front.jpg|b.jpg|", "2"},
        {"first AFFICHE wins over the first .jpg, a later one does not",
            identification(
                {{1, "image/jpeg", "cover.jpg"}, {2, "image/png", "affiche.png"}, {3, "image/jpeg", "AFFICHE2.jpg"}}),
            false, "cover.jpg|affiche.png|AFFICHE2.jpg|", "2"},
        {"extension compared with case", identification({{1, "image/jpeg", "COVER.JPG"}}), false, "COVER.JPG|", ""},
        {"AFFICHE in any case", identification({{7, "image/jpeg", "Affiche.JPG"}}), false, "Affiche.JPG|", "7"},
        {"pictures only: names ending in .jpg or .png",
            identification(
                {{1, "image/jpeg", "cover.jpg"}, {2, "image/x-font", "font.ttf"}, {3, "image/gif", "anim.gif"}}),
            true, "cover.jpg|", "1"},
        {"every picture otherwise", identification({{1, "image/jpeg", "cover.jpg"}, {2, "image/x-font", "font.ttf"}}),
            false, "cover.jpg|font.ttf|", "1"},
        {"only picture MIME types count, whatever the name",
            identification({{1, "font/ttf", "image.ttf"}, {2, "text/plain", "affiche.txt"},
                {3, "application/x-truetype-font", "image.jpg"}}),
            false, "", ""},
        {"names are taken whole, line breaks and quotes included",
            identification({{1, "image/jpeg", "we\"ird\nname, file name 'x.jpg"}, {2, "image/png", "café é.png"}}),
            false, "we\"ird\nname, file name 'x.jpg|café é.png|", "1"},
        {"an attachment without a whole number is left out",
            identification({{1.5, "image/jpeg", "a.jpg"}, {QStringLiteral("2"), "image/jpeg", "b.jpg"},
                {-3, "image/jpeg", "c.jpg"}, {QJsonValue(), "image/jpeg", "d.jpg"}, {4, "image/jpeg", "e.jpg"}}),
            false, "e.jpg|", "4"},
        {"no attachments", identification({}), false, "", ""},
        {"not JSON (a listing in words)", "Attachment ID 1: type 'image/jpeg', size 3 bytes, file name 'a.jpg'\n",
            false, "", ""},
        {"JSON cut short", identification({{1, "image/jpeg", "a.jpg"}}).chopped(5), false, "", ""},
        {"attachments of the wrong type", R"({"attachments": {"id": 1}})", false, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Listing got = read(c.json, c.Image);
        EXPECT_TRUE(got.added);
        EXPECT_EQ(got.Comment, QString::fromUtf8(c.Comment));
        EXPECT_EQ(got.ID, QString::fromUtf8(c.ID));
    }
}

TEST(MkvListing, AListingLongerThanItsCapAddsNothing)
{
    const QByteArray json = identification({{1, "image/jpeg", "cover.jpg"}, {2, "image/png", "affiche.png"}});
    // "cover.jpg|affiche.png|" is 22 characters.
    EXPECT_EQ(read(json, false, 22).Comment, QStringLiteral("cover.jpg|affiche.png|"));
    const Listing cut = read(json, false, 21);
    EXPECT_FALSE(cut.added);
    EXPECT_EQ(cut.Comment, QString());
    EXPECT_EQ(cut.ID, QString());
}
