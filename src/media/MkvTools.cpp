#include "media/MkvTools.h"

#include "media/MkvListing.h"
#include "platform/ChildProcess.h"
#include "platform/Error.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryFile>

#include <cstdio>

namespace filmarch {

namespace {

QString quoted(const QString& text)
{
    return u'"' + text + u'"';
}

} // namespace

QStringList mkvToolEnvironment()
{
    QByteArray locale = qgetenv("LC_ALL");
    if (locale.isEmpty())
        locale = qgetenv("LC_CTYPE");
    if (locale.isEmpty())
        locale = qgetenv("LANG");
    locale = locale.toLower();
    if (locale.contains("utf-8") || locale.contains("utf8"))
        return {};
    return {QStringLiteral("LC_ALL=C.UTF-8")};
}

QString mkvPosterPath(const QString& folder, const QString& title)
{
    QString name = title;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    return QDir(folder).filePath(name + QStringLiteral(".jpg"));
}

void LanceMkvmerge(TTraitement& Fichier, const MkvToolSettings& tools)
{
    TDosCommand DosCommand;
    DosCommand.CommandLine = quoted(tools.CheminMkvToolNix + QStringLiteral("mkvmerge")) + QStringLiteral(" -i ")
        + quoted(Fichier.NomDuFichier);
    DosCommand.Program = tools.CheminMkvToolNix + QStringLiteral("mkvmerge");
    DosCommand.Arguments = {QStringLiteral("-i"), fileArgument(Fichier.readPath())};
    DosCommand.Environment = mkvToolEnvironment();
    DosCommand.MaxTimeAfterLastOutput = tools.silenceLimit;
    DosCommand.OnErrorBox = tools.errorBox;
    DosCommand.OnNewLine = [&Fichier](TDosCommand*, const QByteArray& NewLine, TOutputType OutputType) {
        DosCommandNewLine(Fichier, NewLine, OutputType);
    };
    const QString Comment = Fichier.Comment, ID = Fichier.ID;
    const bool PremsAffiche = Fichier.PremsAffiche;
    DosCommand.Execute2();
    if (DosCommand.ThreadStatus() == dtsTimeOut) {
        // A listing cut short may name a picture that is not there: catalogue the file without attachments.
        Fichier.Comment = Comment;
        Fichier.ID = ID;
        Fichier.PremsAffiche = PremsAffiche;
    }
}

void LanceMkvextract(TTraitement& Fichier, const MkvToolSettings& tools)
{
    const QString poster = mkvPosterPath(tools.EdRepAffiche, Fichier.TitreTraduit);
    const QString program = tools.CheminMkvToolNix + QStringLiteral("mkvextract");
    const QString Appli = quoted(program) + QStringLiteral(" attachments ") + quoted(Fichier.NomDuFichier) + u' '
        + Fichier.ID + u':' + quoted(poster);

    // An unwritable poster folder fails like mkvextract would: silently, no poster.
    QDir().mkpath(QFileInfo(poster).absolutePath());
    QTemporaryFile part(QFileInfo(poster).absolutePath() + QStringLiteral("/.affiche-XXXXXX.jpg"));
    if (!part.open())
        return;
    part.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    part.close();

    int code = 0;
    try {
        code = LanceAppliAttenteFin(Appli, program,
            {QStringLiteral("attachments"), fileArgument(Fichier.readPath()), Fichier.ID + u':' + part.fileName()},
            mkvToolEnvironment());
    } catch (const std::exception&) {
        if (tools.EcritureLog)
            tools.EcritureLog(QStringLiteral("Impossible d'extraire l'affiche du fichier ou de la télécharger")
                + Fichier.NomDuFichier);
        if (tools.extractErrorBox)
            tools.extractErrorBox(Appli + QStringLiteral(" doesn't exist."));
        return;
    }
    // mkvextract ends with 1 after warnings, with 2 on errors.
    if (code > 1 || QFileInfo(part.fileName()).size() == 0)
        return;
    if (!tools.replacePoster) {
        part.setAutoRemove(false);
        Fichier.LienAffiche = part.fileName();
        return;
    }
    if (std::rename(QFile::encodeName(part.fileName()).constData(), QFile::encodeName(poster).constData()) != 0)
        return;
    part.setAutoRemove(false);
    Fichier.LienAffiche = poster;
}

int LanceAppliAttenteFin(
    const QString& Appli, const QString& program, const QStringList& arguments, const QStringList& environment)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    if (!environment.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& entry : environment)
            env.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
        process.setProcessEnvironment(env);
    }
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    process.start();
    if (!process.waitForStarted(-1))
        throw Error(Appli + QStringLiteral(" : ") + process.errorString());
    if (process.state() != QProcess::NotRunning)
        loop.exec();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

} // namespace filmarch
