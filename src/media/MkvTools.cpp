#include "media/MkvTools.h"

#include "media/MkvListing.h"
#include "platform/ChildProcess.h"
#include "platform/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cstdio>

namespace filmarch {

namespace {

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
    ToolRun run;
    try {
        run = runTool(program, {QStringLiteral("-J"), fileArgument(Fichier.readPath())}, mkvToolEnvironment(),
            {tools.mkvmergeLimits.total, tools.mkvmergeLimits.silence, tools.maxListingBytes, tools.stopRequested},
            true);
    } catch (const Error&) {
        if (tools.errorBox)
            tools.errorBox(quoted(program) + QStringLiteral(" -J ") + quoted(Fichier.NomDuFichier)
                + QStringLiteral(" doesn't exist."));
        return;
    }
    if (run.end != ToolEnd::Exited) {
        logCut(tools, QStringLiteral("mkvmerge"), run.end, kWithoutAttachments, Fichier.NomDuFichier);
        return;
    }
    // JSON keeps line breaks of names inside its strings: the whole lines are the document.
    const QByteArray identification = run.output.left(run.output.lastIndexOf('\n') + 1);
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

    ToolRun outcome;
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

ToolRun LanceAppliAttenteFin(const QString& Appli, const QString& program, const QStringList& arguments,
    const QStringList& environment, const ToolLimits& limits, const std::function<bool()>& stopRequested)
{
    try {
        return runTool(program, arguments, environment, {limits.total, limits.silence, 0, stopRequested}, false);
    } catch (const Error& e) {
        throw Error(Appli + QStringLiteral(" : ") + e.message());
    }
}

} // namespace filmarch
