#include "media/DiscFolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

namespace filmarch {

namespace {

bool isFile(const QString& path)
{
    return QFileInfo(path).isFile();
}

// The folder of the .IFO files, or empty when `folder` is no DVD.
QString videoTsOf(const QString& folder)
{
    for (const QString& name : {QStringLiteral("VIDEO_TS"), QStringLiteral("video_ts")}) {
        const QString inside = folder + QLatin1Char('/') + name;
        if (isFile(inside + QStringLiteral("/VIDEO_TS.IFO")) || isFile(inside + QStringLiteral("/video_ts.ifo")))
            return inside;
    }
    if (isFile(folder + QStringLiteral("/VIDEO_TS.IFO")) || isFile(folder + QStringLiteral("/video_ts.ifo")))
        return folder;
    return {};
}

// The BDMV folder, or empty when `folder` is no Blu-ray.
QString bdmvOf(const QString& folder)
{
    if (isFile(folder + QStringLiteral("/BDMV/index.bdmv")))
        return folder + QStringLiteral("/BDMV");
    if (QFileInfo(folder).fileName().compare(QLatin1String("BDMV"), Qt::CaseInsensitive) == 0
        && isFile(folder + QStringLiteral("/index.bdmv")))
        return folder;
    return {};
}

QString dvdMainTitle(const QString& videoTs)
{
    // VTS_nn_m.VOB with m from 1 are the title set's film; m = 0 is its menu.
    static const QRegularExpression vob(
        QStringLiteral("^VTS_(\\d\\d)_([1-9])\\.VOB$"), QRegularExpression::CaseInsensitiveOption);
    QHash<QString, qint64> bytes;
    QHash<QString, QString> ifo;
    const QFileInfoList files = QDir(videoTs).entryInfoList(QDir::Files | QDir::Hidden);
    for (const QFileInfo& f : files) {
        const QRegularExpressionMatch m = vob.match(f.fileName());
        if (m.hasMatch())
            bytes[m.captured(1)] += f.size();
        else if (f.fileName().size() == 12 && f.fileName().endsWith(QLatin1String("_0.IFO"), Qt::CaseInsensitive)
            && f.fileName().startsWith(QLatin1String("VTS_"), Qt::CaseInsensitive))
            ifo[f.fileName().mid(4, 2)] = f.filePath();
    }
    QString best;
    qint64 most = -1;
    for (auto it = bytes.cbegin(); it != bytes.cend(); ++it)
        if (ifo.contains(it.key()) && (it.value() > most || (it.value() == most && it.key() < best))) {
            most = it.value();
            best = it.key();
        }
    return best.isEmpty() ? QString() : ifo.value(best);
}

QString blurayMainTitle(const QString& bdmv)
{
    QString best;
    qint64 most = -1;
    const QFileInfoList streams = QDir(bdmv + QStringLiteral("/STREAM")).entryInfoList(QDir::Files, QDir::Name);
    for (const QFileInfo& f : streams)
        if (f.suffix().compare(QLatin1String("m2ts"), Qt::CaseInsensitive) == 0 && f.size() > most) {
            most = f.size();
            best = f.filePath();
        }
    return best;
}

qint64 bytesUnder(const QString& folder)
{
    qint64 total = 0;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        total += it.fileInfo().size();
    }
    return total;
}

} // namespace

bool isDiscFolder(const QString& folder)
{
    return !videoTsOf(folder).isEmpty() || !bdmvOf(folder).isEmpty();
}

std::optional<DiscFolder> readDiscFolder(const QString& folder)
{
    const QString videoTs = videoTsOf(folder);
    const QString bdmv = videoTs.isEmpty() ? bdmvOf(folder) : QString();
    DiscFolder disc;
    disc.folder = folder;
    disc.mainTitle = !videoTs.isEmpty() ? dvdMainTitle(videoTs) : !bdmv.isEmpty() ? blurayMainTitle(bdmv) : QString();
    if (disc.mainTitle.isEmpty())
        return std::nullopt;
    // "Film (1967)/VIDEO_TS" copied alone keeps the film's name in the folder above.
    const QFileInfo self(folder);
    const bool namedForItsContent = self.fileName().compare(QLatin1String("VIDEO_TS"), Qt::CaseInsensitive) == 0
        || self.fileName().compare(QLatin1String("BDMV"), Qt::CaseInsensitive) == 0;
    disc.name = namedForItsContent ? QFileInfo(self.path()).fileName() : self.fileName();
    disc.bytes = bytesUnder(folder);
    return disc;
}

} // namespace filmarch
