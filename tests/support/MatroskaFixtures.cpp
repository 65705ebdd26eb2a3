#include "MatroskaFixtures.h"

#include "VideoFixtures.h"
#include "platform/Error.h"

#include <QProcess>
#include <QTemporaryDir>

namespace filmarch::test {

Attachment picture(const QString& name)
{
    const bool png = name.endsWith(QLatin1String(".png"), Qt::CaseInsensitive);
    return {name, png ? QStringLiteral("image/png") : QStringLiteral("image/jpeg"), "bytes of " + name.toUtf8()};
}

void attachFiles(const QString& video, const QString& path, const QList<Attachment>& attachments)
{
    QTemporaryDir work;
    QStringList args {QStringLiteral("-q"), QStringLiteral("-o"), path};
    for (qsizetype i = 0; i < attachments.size(); ++i) {
        const QString source = work.filePath(QString::number(i));
        makeTextFile(source, attachments[i].content);
        if (!attachments[i].description.isEmpty())
            args << QStringLiteral("--attachment-description") << attachments[i].description;
        args << QStringLiteral("--attachment-name") << attachments[i].name << QStringLiteral("--attachment-mime-type")
             << attachments[i].mimeType << QStringLiteral("--attach-file") << source;
    }
    QProcess mkvmerge;
    mkvmerge.setProcessChannelMode(QProcess::MergedChannels);
    mkvmerge.start(QStringLiteral("mkvmerge"), args << video);
    if (!mkvmerge.waitForFinished(60000) || mkvmerge.exitStatus() != QProcess::NormalExit || mkvmerge.exitCode() > 1)
        throw Error(QStringLiteral("mkvmerge a échoué : ") + QString::fromLocal8Bit(mkvmerge.readAll()));
}

} // namespace filmarch::test
