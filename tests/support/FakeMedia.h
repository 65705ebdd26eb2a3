#pragma once
// Stands in for the library's Get answers so the text rules can be fed exact
// library texts; everything not set answers empty, as the library does.
#include "media/MediaInfoDll.h"

#include <QMap>

namespace filmarch::test {

class FakeMedia : public MesFonctionMediaInfo {
public:
    FakeMedia() : MesFonctionMediaInfo(WithoutLibrary {}) {}

    // set(Stream_Audio, 1, "Language/String", "French")
    FakeMedia& set(TMIStreamKind kind, int number, const QString& parameter, const QString& value)
    {
        answers.insert(key(kind, number, parameter), value);
        return *this;
    }
    // A file with one video stream.
    FakeMedia& withVideo() { return set(Stream_General, 0, QStringLiteral("VideoCount"), QStringLiteral("1")); }
    void Delete() override { ++deletes; }

    int deletes = 0;

protected:
    QString ask(TMIStreamKind kind, int number, const QString& parameter, TMIInfo, TMIInfo) override
    {
        return answers.value(key(kind, number, parameter));
    }

private:
    static QString key(TMIStreamKind kind, int number, const QString& parameter)
    {
        return QStringLiteral("%1/%2/%3").arg(int(kind)).arg(number).arg(parameter);
    }
    QMap<QString, QString> answers;
};

} // namespace filmarch::test
