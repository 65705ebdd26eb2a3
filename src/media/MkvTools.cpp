#include "media/MkvTools.h"

#include "media/MkvListing.h"
#include "platform/ChildProcess.h"
#include "platform/Error.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryFile>
#include <QTimer>

#include <cstdio>

namespace filmarch {

namespace {

// How often a waiting tool run asks whether the caller wants it stopped.
constexpr int kStopCheckMs = 50;

const QString kWithoutAttachments = QStringLiteral("sans ses pièces jointes");
const QString kWithoutPoster = QStringLiteral("sans affiche");

QString quoted(const QString& text)
{
    return u'"' + text + u'"';
}

bool stopped(const MkvToolSettings& tools)
{
    return tools.stopRequested && tools.stopRequested();
}

// The one log line of a file whose tool was cut short.
void logCut(const MkvToolSettings& tools, const QString& tool, ToolEnd end, const QString& without, const QString& file)
{
    if (!tools.EcritureLog)
        return;
    QString why;
    switch (end) {
    case ToolEnd::TooLong: why = QStringLiteral(" arrêté (durée maximale dépassée)"); break;
    case ToolEnd::Silent: why = QStringLiteral(" arrêté (plus aucune sortie)"); break;
    case ToolEnd::TooMuch: why = QStringLiteral(" : liste des pièces jointes trop longue"); break;
    case ToolEnd::Stopped: why = QStringLiteral(" arrêté à la demande"); break;
    case ToolEnd::Exited: return;
    }
    tools.EcritureLog(tool + why + QStringLiteral(", fichier catalogué ") + without + QStringLiteral(" : ") + file);
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
    const QString program = tools.CheminMkvToolNix + QStringLiteral("mkvmerge");
    if (stopped(tools)) {
        logCut(tools, QStringLiteral("mkvmerge"), ToolEnd::Stopped, kWithoutAttachments, Fichier.NomDuFichier);
        return;
    }
    TDosCommand DosCommand;
    DosCommand.CommandLine = quoted(program) + QStringLiteral(" -J ") + quoted(Fichier.NomDuFichier);
    DosCommand.Program = program;
    DosCommand.Arguments = {QStringLiteral("-J"), fileArgument(Fichier.readPath())};
    DosCommand.Environment = mkvToolEnvironment();
    DosCommand.TickInterval = 1; // the limits are in milliseconds
    DosCommand.MaxTimeAfterBeginning = int(tools.mkvmergeLimits.total.count());
    DosCommand.MaxTimeAfterLastOutput = int(tools.mkvmergeLimits.silence.count());
    DosCommand.MaxOutputBytes = tools.maxListingBytes;
    DosCommand.StopRequested = tools.stopRequested;
    DosCommand.OnErrorBox = tools.errorBox;
    // JSON keeps line breaks of names inside its strings: the lines put together are the document.
    QByteArray identification;
    DosCommand.OnNewLine = [&identification](TDosCommand*, const QByteArray& NewLine, TOutputType OutputType) {
        if (OutputType == otEntireLine)
            identification += NewLine + '\n';
    };
    QElapsedTimer clock;
    clock.start();
    DosCommand.Execute2();
    ToolEnd end = ToolEnd::Exited;
    switch (DosCommand.ThreadStatus()) {
    case dtsSuccess: break;
    case dtsTimeOut:
        // The clock started before the runner's: when the runner passed the
        // total limit, this clock has reached it too (both count whole milliseconds).
        end = tools.mkvmergeLimits.total.count() > 0 && clock.elapsed() >= tools.mkvmergeLimits.total.count()
            ? ToolEnd::TooLong
            : ToolEnd::Silent;
        break;
    case dtsOutputLimit: end = ToolEnd::TooMuch; break;
    case dtsUserAborted: end = ToolEnd::Stopped; break;
    default: return; // not started: the runner showed its error box
    }
    if (end != ToolEnd::Exited) {
        logCut(tools, QStringLiteral("mkvmerge"), end, kWithoutAttachments, Fichier.NomDuFichier);
        return;
    }
    if (!addAttachments(Fichier, readAttachments(identification), tools.maxCommentText))
        logCut(tools, QStringLiteral("mkvmerge"), ToolEnd::TooMuch, kWithoutAttachments, Fichier.NomDuFichier);
}

void LanceMkvextract(TTraitement& Fichier, const MkvToolSettings& tools)
{
    const QString poster = mkvPosterPath(tools.EdRepAffiche, Fichier.TitreTraduit);
    const QString program = tools.CheminMkvToolNix + QStringLiteral("mkvextract");
    const QString Appli = quoted(program) + QStringLiteral(" attachments ") + quoted(Fichier.NomDuFichier) + u' '
        + Fichier.ID + u':' + quoted(poster);
    if (stopped(tools)) {
        logCut(tools, QStringLiteral("mkvextract"), ToolEnd::Stopped, kWithoutPoster, Fichier.NomDuFichier);
        return;
    }

    // An unwritable poster folder fails like mkvextract would: silently, no poster.
    QDir().mkpath(QFileInfo(poster).absolutePath());
    QTemporaryFile part(QFileInfo(poster).absolutePath() + QStringLiteral("/.affiche-XXXXXX.jpg"));
    if (!part.open())
        return;
    part.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    part.close();

    ToolOutcome outcome;
    try {
        outcome = LanceAppliAttenteFin(Appli, program,
            {QStringLiteral("attachments"), fileArgument(Fichier.readPath()), Fichier.ID + u':' + part.fileName()},
            mkvToolEnvironment(), tools.mkvextractLimits, tools.stopRequested);
    } catch (const std::exception&) {
        if (tools.EcritureLog)
            tools.EcritureLog(QStringLiteral("Impossible d'extraire l'affiche du fichier ou de la télécharger")
                + Fichier.NomDuFichier);
        if (tools.extractErrorBox)
            tools.extractErrorBox(Appli + QStringLiteral(" doesn't exist."));
        return;
    }
    if (outcome.end != ToolEnd::Exited) {
        logCut(tools, QStringLiteral("mkvextract"), outcome.end, kWithoutPoster, Fichier.NomDuFichier);
        return;
    }
    // mkvextract ends with 1 after warnings, with 2 on errors.
    if (outcome.exitCode < 0 || outcome.exitCode > 1 || QFileInfo(part.fileName()).size() == 0)
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

ToolOutcome LanceAppliAttenteFin(const QString& Appli, const QString& program, const QStringList& arguments,
    const QStringList& environment, const ToolLimits& limits, const std::function<bool()>& stopRequested)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    // Read only to tell a silent program from a working one.
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (!environment.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& entry : environment)
            env.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
        process.setProcessEnvironment(env);
    }
    ToolOutcome outcome;
    auto end = [&process, &outcome](ToolEnd why) {
        if (outcome.end == ToolEnd::Exited && process.state() != QProcess::NotRunning) {
            outcome.end = why;
            process.kill();
        }
    };
    QEventLoop loop;
    QTimer whole, silence, stopCheck;
    whole.setSingleShot(true);
    silence.setSingleShot(true);
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&whole, &QTimer::timeout, &loop, [&end] { end(ToolEnd::TooLong); });
    QObject::connect(&silence, &QTimer::timeout, &loop, [&end] { end(ToolEnd::Silent); });
    QObject::connect(&process, &QProcess::readyRead, &loop, [&process, &silence, &limits] {
        process.readAll();
        if (limits.silence.count() > 0)
            silence.start(limits.silence);
    });
    if (stopRequested)
        QObject::connect(&stopCheck, &QTimer::timeout, &loop, [&end, &stopRequested] {
            if (stopRequested())
                end(ToolEnd::Stopped);
        });
    process.start();
    if (!process.waitForStarted(-1))
        throw Error(Appli + QStringLiteral(" : ") + process.errorString());
    if (limits.total.count() > 0)
        whole.start(limits.total);
    if (limits.silence.count() > 0)
        silence.start(limits.silence);
    if (stopRequested)
        stopCheck.start(kStopCheckMs);
    if (process.state() != QProcess::NotRunning)
        loop.exec();
    if (outcome.end == ToolEnd::Exited && process.exitStatus() == QProcess::NormalExit)
        outcome.exitCode = process.exitCode();
    return outcome;
}

} // namespace filmarch
