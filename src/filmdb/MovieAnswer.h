#pragma once
// Read-only view of a movie answer (root `movie`, large profile). Texts that
// are missing read as empty; the reads that can fail throw Error.
#include "filmdb/XmlAnswer.h"

#include <QStringList>

namespace filmarch {

class MovieAnswer {
public:
    static constexpr int director = 8002;
    static constexpr int actor = 8001;

    explicit MovieAnswer(const QByteArray& bytes);
    static MovieAnswer load(const QString& path) { return MovieAnswer(XmlAnswer::readFile(path)); }

    QString Title() const;
    QString OriginalTitle() const;
    QString ReleaseDate() const;

    // casting/castMember, in document order.
    int castCount() const { return static_cast<int>(cast.size()); }
    QString Name(int member) const;
    // The activity code; throws when missing.
    int Activity(int member) const;
    QString Role(int member) const;

    // Both throw when missing, empty or not a number...
    int ProductionYear() const;
    int Runtime() const;
    // ...and these read as none then.
    std::optional<int> productionYearIfAny() const;
    std::optional<int> runtimeIfAny() const;

    // Plain texts: each throws when its element holds markup.
    QStringList NationalityList() const;
    QStringList GenreList() const;
    QString Synopsis() const;

    QString PressRating() const;
    QString UserRating() const;
    QString Href() const;

private:
    XmlAnswer::Node member(int index) const;
    XmlAnswer::Node element(const char* name) const { return XmlAnswer::child(answer.root(), name); }

    XmlAnswer answer;
    std::vector<XmlAnswer::Node> cast;
};

} // namespace filmarch
