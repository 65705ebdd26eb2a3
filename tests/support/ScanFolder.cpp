#include "support/ScanFolder.h"

#include "support/VideoFixtures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace filmarch::test {

const QString& scanFolder()
{
    static QTemporaryDir dir;
    static const QString root = [] {
        const QDir d(dir.path());
        d.mkpath(QStringLiteral("sous/plus"));
        GeneratedVideo mkv;
        mkv.audioLanguages = {QStringLiteral("fre"), QStringLiteral("eng")};
        mkv.subtitleLanguages = {QStringLiteral("fre")};
        makeVideo(d.filePath(QStringLiteral("Le.Film.2001.mkv")), mkv);
        makeVideo(d.filePath(QStringLiteral("Les Visiteurs (1993).mp4")));
        QFile::copy(d.filePath(QStringLiteral("Les Visiteurs (1993).mp4")), d.filePath(QStringLiteral(".cachée.mp4")));
        makeTextFile(d.filePath(QStringLiteral("notes.txt")));
        makePicture(d.filePath(QStringLiteral("affiche.png")));
        makeVideo(d.filePath(QStringLiteral("sous/Été.avi")));
        QFile::copy(
            d.filePath(QStringLiteral("Le.Film.2001.mkv")), d.filePath(QStringLiteral("sous/plus/Autre.Film.mkv")));
        return dir.path();
    }();
    return root;
}

} // namespace filmarch::test
