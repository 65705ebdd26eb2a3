#include "VideoFixtures.h"

#include "platform/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

namespace filmarch::test {

namespace {

void run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() > 1
        || (program == QLatin1String("ffmpeg") && process.exitCode() != 0))
        throw Error(program + QStringLiteral(" a échoué (") + arguments.join(u' ') + QStringLiteral(") : ")
            + QString::fromLocal8Bit(process.readAll()));
}

QString lavfi(const QString& source, int seconds)
{
    return source + QStringLiteral(":duration=") + QString::number(seconds);
}

} // namespace

void makeVideo(const QString& path, const GeneratedVideo& video)
{
    const QString extension = QFileInfo(path).suffix().toLower();
    const bool mkv = extension == QLatin1String("mkv");
    const bool mp4 = extension == QLatin1String("mp4");
    const bool avi = extension == QLatin1String("avi");
    if (!mkv && !mp4 && !avi)
        throw Error(QStringLiteral("Conteneur non prévu : ") + path);
    if (avi && !video.subtitleLanguages.isEmpty())
        throw Error(QStringLiteral("Pas de sous-titres dans un fichier avi"));
    if (!mkv && !video.attachments.isEmpty())
        throw Error(QStringLiteral("Pièces jointes seulement dans un fichier mkv"));

    QTemporaryDir work;
    QStringList args {QStringLiteral("-y"), QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-nostdin"),
        QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
        lavfi(QStringLiteral("testsrc=size=%1x%2:rate=%3").arg(video.width).arg(video.height).arg(video.frameRate),
            video.seconds)};
    for (qsizetype a = 0; a < video.audioLanguages.size(); ++a)
        args << QStringLiteral("-f") << QStringLiteral("lavfi") << QStringLiteral("-i")
             << lavfi(QStringLiteral("sine=frequency=%1:sample_rate=8000").arg(440 + 110 * a), video.seconds);
    if (!video.subtitleLanguages.isEmpty()) {
        const QString srt = work.filePath(QStringLiteral("sous-titres.srt"));
        QFile f(srt);
        if (!f.open(QIODevice::WriteOnly))
            throw Error(QStringLiteral("Écriture impossible : ") + srt);
        f.write("1\n00:00:00,000 --> 00:00:00,500\nBonjour\n\n");
        f.close();
        for (qsizetype s = 0; s < video.subtitleLanguages.size(); ++s)
            args << QStringLiteral("-i") << srt;
    }

    args << QStringLiteral("-map") << QStringLiteral("0:v");
    int input = 1;
    for (qsizetype a = 0; a < video.audioLanguages.size(); ++a)
        args << QStringLiteral("-map") << QStringLiteral("%1:a").arg(input++);
    for (qsizetype s = 0; s < video.subtitleLanguages.size(); ++s)
        args << QStringLiteral("-map") << QStringLiteral("%1:s").arg(input++);

    if (avi)
        args << QStringLiteral("-c:v") << QStringLiteral("mpeg4") << QStringLiteral("-c:a")
             << QStringLiteral("libmp3lame");
    else
        args << QStringLiteral("-c:v") << QStringLiteral("libx264") << QStringLiteral("-preset")
             << QStringLiteral("ultrafast") << QStringLiteral("-pix_fmt") << QStringLiteral("yuv420p")
             << QStringLiteral("-c:a") << QStringLiteral("aac") << QStringLiteral("-c:s")
             << (mkv ? QStringLiteral("srt") : QStringLiteral("mov_text"));
    if (!video.audioLanguages.isEmpty())
        args << QStringLiteral("-ac") << QStringLiteral("1");
    for (qsizetype a = 0; a < video.audioLanguages.size(); ++a)
        if (!video.audioLanguages[a].isEmpty())
            args << QStringLiteral("-metadata:s:a:%1").arg(a) << QStringLiteral("language=") + video.audioLanguages[a];
    for (qsizetype s = 0; s < video.subtitleLanguages.size(); ++s)
        if (!video.subtitleLanguages[s].isEmpty())
            args << QStringLiteral("-metadata:s:s:%1").arg(s)
                 << QStringLiteral("language=") + video.subtitleLanguages[s];
    if (!video.titleTag.isEmpty())
        args << QStringLiteral("-metadata") << QStringLiteral("title=") + video.titleTag;

    if (video.attachments.isEmpty()) {
        run(QStringLiteral("ffmpeg"), args << path);
        return;
    }
    const QString plain = work.filePath(QStringLiteral("sans-pieces.mkv"));
    run(QStringLiteral("ffmpeg"), args << plain);
    QStringList merge {QStringLiteral("-q"), QStringLiteral("-o"), path};
    for (const QString& attachment : video.attachments)
        merge << QStringLiteral("--attach-file") << attachment;
    run(QStringLiteral("mkvmerge"), merge << plain);
}

void makeAudioOnly(const QString& path)
{
    run(QStringLiteral("ffmpeg"),
        {QStringLiteral("-y"), QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-nostdin"),
            QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
            QStringLiteral("sine=frequency=440:sample_rate=8000:duration=1"), path});
}

void makePicture(const QString& path)
{
    run(QStringLiteral("ffmpeg"),
        {QStringLiteral("-y"), QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-nostdin"),
            QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
            QStringLiteral("testsrc=size=64x48:rate=1:duration=1"), QStringLiteral("-frames:v"), QStringLiteral("1"),
            path});
}

void makeTextFile(const QString& path, const QByteArray& content)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
        throw Error(QStringLiteral("Écriture impossible : ") + path);
}

void makeDvdFolder(const QString& folder, const std::vector<DvdTitleSet>& titleSets)
{
    QTemporaryDir work;
    QDir().mkpath(folder);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VIDEO_FORMAT"), QStringLiteral("PAL"));
    const auto author = [&env](const QStringList& arguments) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QStringLiteral("dvdauthor"), arguments);
        if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
            throw Error(QStringLiteral("dvdauthor a échoué : ") + QString::fromLocal8Bit(p.readAll()));
    };
    int n = 0;
    for (const DvdTitleSet& set : titleSets) {
        // MPEG-PS as a DVD holds it: MPEG-2 video and AC-3 sound.
        const QString mpg = work.filePath(QStringLiteral("titre%1.mpg").arg(++n));
        run(QStringLiteral("ffmpeg"),
            {QStringLiteral("-y"), QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-nostdin"),
                QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                lavfi(QStringLiteral("testsrc=size=720x576:rate=25"), set.seconds), QStringLiteral("-f"),
                QStringLiteral("lavfi"), QStringLiteral("-i"),
                lavfi(QStringLiteral("sine=frequency=440:sample_rate=48000"), set.seconds), QStringLiteral("-target"),
                QStringLiteral("pal-dvd"), QStringLiteral("-s"), QStringLiteral("%1x%2").arg(set.width).arg(set.height),
                mpg});
        author({QStringLiteral("-o"), folder, QStringLiteral("-t"), mpg});
    }
    author({QStringLiteral("-o"), folder, QStringLiteral("-T")});
}

void makeBlurayFolder(const QString& folder, const std::vector<GeneratedVideo>& streams)
{
    const QString bdmv = folder + QStringLiteral("/BDMV");
    QDir().mkpath(bdmv + QStringLiteral("/STREAM"));
    QDir().mkpath(bdmv + QStringLiteral("/PLAYLIST"));
    makeTextFile(bdmv + QStringLiteral("/index.bdmv"), "INDX0200");
    int n = 0;
    for (const GeneratedVideo& v : streams)
        run(QStringLiteral("ffmpeg"),
            {QStringLiteral("-y"), QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-nostdin"),
                QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                lavfi(QStringLiteral("testsrc=size=%1x%2:rate=25").arg(v.width).arg(v.height), v.seconds),
                QStringLiteral("-c:v"), QStringLiteral("mpeg2video"), QStringLiteral("-f"), QStringLiteral("mpegts"),
                QStringLiteral("-mpegts_m2ts_mode"), QStringLiteral("1"),
                bdmv + QStringLiteral("/STREAM/%1.m2ts").arg(n++, 5, 10, QLatin1Char('0'))});
}

void makeSizedVideo(const QString& path, int mebibytes)
{
    static QTemporaryDir models;
    const QString model = models.filePath(QStringLiteral("model.") + QFileInfo(path).suffix());
    if (!QFile::exists(model))
        makeVideo(model);
    QDir().mkpath(QFileInfo(path).path());
    QFile::remove(path);
    QFile f(path);
    QFile m(model);
    if (!m.open(QIODevice::ReadOnly) || !f.open(QIODevice::WriteOnly) || f.write(m.readAll()) < 0
        || f.write(QByteArray(qsizetype(mebibytes) * 1048576, '\0')) < 0)
        throw Error(QStringLiteral("Écriture impossible : ") + path);
}

} // namespace filmarch::test
