#include "filmdb/MovieAnswer.h"

#include "platform/Error.h"

namespace filmarch {

namespace {

QStringList ownTexts(XmlAnswer::Node list, const char* item)
{
    QStringList texts;
    for (const XmlAnswer::Node node : XmlAnswer::children(list, item))
        texts << XmlAnswer::ownText(node, item);
    return texts;
}

} // namespace

MovieAnswer::MovieAnswer(const QByteArray& bytes)
    : answer(bytes, "movie"), cast(XmlAnswer::children(element("casting"), "castMember"))
{
}

XmlAnswer::Node MovieAnswer::member(int index) const
{
    XmlAnswer::checkPosition(index, cast.size(), "castMember");
    return cast[static_cast<size_t>(index)];
}

QString MovieAnswer::Title() const
{
    return XmlAnswer::text(element("title"));
}

QString MovieAnswer::OriginalTitle() const
{
    return XmlAnswer::text(element("originalTitle"));
}

QString MovieAnswer::ReleaseDate() const
{
    return XmlAnswer::text(XmlAnswer::child(element("release"), "releaseDate"));
}

QString MovieAnswer::Name(int index) const
{
    return XmlAnswer::text(XmlAnswer::child(XmlAnswer::child(member(index), "person"), "name"));
}

int MovieAnswer::Activity(int index) const
{
    return XmlAnswer::integerAttribute(XmlAnswer::child(member(index), "activity"), "code", "activity");
}

QString MovieAnswer::Role(int index) const
{
    return XmlAnswer::text(XmlAnswer::child(member(index), "role"));
}

int MovieAnswer::ProductionYear() const
{
    return XmlAnswer::integer(element("productionYear"), "productionYear");
}

int MovieAnswer::Runtime() const
{
    return XmlAnswer::integer(element("runtime"), "runtime");
}

std::optional<int> MovieAnswer::productionYearIfAny() const
{
    return XmlAnswer::optionalInteger(element("productionYear"));
}

std::optional<int> MovieAnswer::runtimeIfAny() const
{
    return XmlAnswer::optionalInteger(element("runtime"));
}

QStringList MovieAnswer::NationalityList() const
{
    return ownTexts(element("nationalityList"), "nationality");
}

QStringList MovieAnswer::GenreList() const
{
    return ownTexts(element("genreList"), "genre");
}

QString MovieAnswer::Synopsis() const
{
    return XmlAnswer::ownText(element("synopsis"), "synopsis");
}

QString MovieAnswer::PressRating() const
{
    return XmlAnswer::text(XmlAnswer::child(element("statistics"), "pressRating"));
}

QString MovieAnswer::UserRating() const
{
    return XmlAnswer::text(XmlAnswer::child(element("statistics"), "userRating"));
}

QString MovieAnswer::Href() const
{
    return XmlAnswer::attribute(element("poster"), "href");
}

} // namespace filmarch
