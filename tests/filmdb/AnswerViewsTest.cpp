// The read-only views of the search and movie answers, fed inline documents.
#include "filmdb/MovieAnswer.h"
#include "filmdb/SearchAnswer.h"
#include "platform/Error.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace filmarch;

namespace {

const char feed[] = R"(<?xml version="1.0" encoding="windows-1252"?>
<feed page="1" xmlns="http://films.example/v6/ns/">
  <results type="movie">12</results><results type="person">3</results><results type="news"/>
  <movie code="101"><originalTitle>Caf)"
                    "\xE9"
                    R"(</originalTitle><productionYear>1998</productionYear><poster href="http://p/a.jpg"/></movie>
  <movie code="102"><productionYear></productionYear></movie>
  <movie code="103"/>
  <movie><originalTitle>sans code</originalTitle></movie>
  <movie code="105"><productionYear>vers 1990</productionYear></movie>
</feed>)";

QByteArray movieAnswer(const char* inside)
{
    return QByteArray(R"(<?xml version="1.0" encoding="windows-1252"?><movie code="1">)") + inside + "</movie>";
}

} // namespace

TEST(SearchAnswer, ReadsCountsAndCandidatesByName)
{
    const SearchAnswer answer {QByteArray(feed)};
    ASSERT_EQ(answer.resultCount(), 3);
    EXPECT_EQ(answer.Type_(0), QStringLiteral("movie"));
    EXPECT_EQ(answer.ValueType_(0), QStringLiteral("12"));
    EXPECT_EQ(answer.Type_(1), QStringLiteral("person"));
    EXPECT_THROW(answer.ValueType_(2), Error) << "results without content";
    EXPECT_THROW(answer.Type_(3), Error);

    ASSERT_EQ(answer.movieCount(), 5);
    EXPECT_EQ(answer.Code(0), 101);
    EXPECT_EQ(answer.OriginalTitle(0), QStringLiteral("Café"));
    EXPECT_EQ(answer.ProductionYear(0), 1998);
    EXPECT_EQ(answer.Href(0), QStringLiteral("http://p/a.jpg"));
    EXPECT_EQ(answer.ProductionYear(1), 0) << "empty year";
    EXPECT_EQ(answer.ProductionYear(2), 0) << "no year";
    EXPECT_EQ(answer.OriginalTitle(2), QString());
    EXPECT_EQ(answer.Href(2), QString());
    EXPECT_THROW(answer.Code(3), Error) << "code is required";
    EXPECT_THROW(answer.ProductionYear(4), Error);
    EXPECT_THROW(answer.Code(5), Error) << "past the end";
    EXPECT_THROW(answer.Code(-1), Error);
}

TEST(SearchAnswer, RefusesWhatIsNotASearchAnswer)
{
    QTemporaryDir folder;
    const QString secret = folder.filePath(QStringLiteral("secret.txt"));
    const std::vector<QByteArray> cases = {
        "",
        "<feed><results>",
        "<?xml version=\"1.0\"?><movie code=\"1\"/>",
        // No entity from outside, nor any DTD: the answers come from the network.
        "<?xml version=\"1.0\"?><!DOCTYPE feed [<!ENTITY x SYSTEM \"file://" + secret.toUtf8()
            + "\">]><feed>&x;</feed>",
        "<?xml version=\"1.0\"?><!DOCTYPE feed [<!ENTITY a \"aaaa\"><!ENTITY b \"&a;&a;&a;\">]><feed>&b;</feed>",
    };
    for (const QByteArray& bytes : cases)
        EXPECT_THROW(SearchAnswer {bytes}, Error) << bytes.toStdString();
    EXPECT_THROW(SearchAnswer::load(secret), Error) << "missing file";
}

TEST(MovieAnswer, ReadsTheValuesOfTheLookup)
{
    const MovieAnswer movie {movieAnswer(R"(
        <title>Le Titre</title><originalTitle>The Title</originalTitle>
        <productionYear>1997</productionYear><runtime>6300</runtime>
        <release><releaseDate>1998-01-07</releaseDate></release>
        <nationalityList><nationality code="1">France</nationality><nationality>Belgique</nationality><nationality>Suisse</nationality></nationalityList>
        <genreList><genre>Drame</genre></genreList>
        <synopsis>Tout un r)"
                                         "\xE9"
                                         R"(cit.</synopsis>
        <casting>
          <castMember><person><name>Réal</name></person><activity code="8002"/></castMember>
          <castMember><person><name>Acteur</name></person><activity code="8001"/><role>Jean</role></castMember>
          <castMember><person><name>Autre</name></person><activity code="8003"/></castMember>
        </casting>
        <poster href="http://p/m.jpg"/>
        <statistics><pressRating>3.5</pressRating></statistics>)")};
    EXPECT_EQ(movie.Title(), QStringLiteral("Le Titre"));
    EXPECT_EQ(movie.OriginalTitle(), QStringLiteral("The Title"));
    EXPECT_EQ(movie.ReleaseDate(), QStringLiteral("1998-01-07"));
    EXPECT_EQ(movie.ProductionYear(), 1997);
    EXPECT_EQ(movie.Runtime(), 6300);
    EXPECT_EQ(movie.NationalityList(),
        QStringList({QStringLiteral("France"), QStringLiteral("Belgique"), QStringLiteral("Suisse")}));
    EXPECT_EQ(movie.GenreList(), QStringList(QStringLiteral("Drame")));
    EXPECT_EQ(movie.Synopsis(), QStringLiteral("Tout un récit."));
    ASSERT_EQ(movie.castCount(), 3);
    EXPECT_EQ(movie.Activity(0), MovieAnswer::director);
    EXPECT_EQ(movie.Name(1), QStringLiteral("Acteur"));
    EXPECT_EQ(movie.Role(1), QStringLiteral("Jean"));
    EXPECT_EQ(movie.Role(0), QString());
    EXPECT_EQ(movie.Activity(2), 8003);
    EXPECT_THROW(movie.Name(3), Error);
    EXPECT_EQ(movie.Href(), QStringLiteral("http://p/m.jpg"));
    EXPECT_EQ(movie.PressRating(), QStringLiteral("3.5"));
    EXPECT_EQ(movie.UserRating(), QString());
}

TEST(MovieAnswer, FailingReads)
{
    const MovieAnswer bare {
        movieAnswer("<casting><castMember><person><name>X</name></person><activity/></castMember></casting>")};
    EXPECT_THROW(bare.Runtime(), Error) << "no runtime";
    EXPECT_THROW(bare.ProductionYear(), Error) << "no production year";
    EXPECT_THROW(bare.Activity(0), Error) << "activity without code";
    EXPECT_EQ(bare.Synopsis(), QString());
    EXPECT_EQ(bare.NationalityList(), QStringList());
    EXPECT_EQ(bare.Href(), QString());

    const MovieAnswer marked {
        movieAnswer("<runtime></runtime><synopsis>Un <b>grand</b> film</synopsis>"
                    "<nationalityList><nationality><i>France</i></nationality></nationalityList>")};
    EXPECT_THROW(marked.Runtime(), Error) << "empty runtime";
    EXPECT_THROW(marked.Synopsis(), Error);
    EXPECT_THROW(marked.NationalityList(), Error);
}
