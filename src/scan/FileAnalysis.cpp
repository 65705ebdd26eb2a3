#include "scan/FileAnalysis.h"

#include "filmdb/FilmLookup.h"
#include "filmdb/LookupSource.h"
#include "media/DiscFolder.h"
#include "media/MediaInfoDll.h"
#include "media/ReleaseName.h"
#include "media/Traitement.h"
#include "platform/Error.h"
#include "platform/PathText.h"
#include "platform/ReadableName.h"
#include "scan/MatroskaSteps.h"

#include <QFile>
#include <QFileInfo>

namespace filmarch {

AnalysedFile::AnalysedFile() = default;
AnalysedFile::~AnalysedFile() = default;
AnalysedFile::AnalysedFile(AnalysedFile&&) noexcept = default;
AnalysedFile& AnalysedFile::operator=(AnalysedFile&&) noexcept = default;

void AnalysedFile::discard()
{
    if (Fichier && !Fichier->LienAffiche.isEmpty())
        QFile::remove(Fichier->LienAffiche);
    Fichier.reset();
}

namespace {

std::unique_ptr<TTraitement> openFile(const AnalysisJob& job)
{
    MesFonctionMediaInfo& media = *job.media;
    // A name that is not valid text is opened through a link to the file's own bytes.
    const ReadableName readable(job.path, job.nativePath);
    QString readPath = readable.link().isEmpty() ? job.path : readable.link();
    if (!QFileInfo::exists(readPath))
        throw Error(QStringLiteral("fichier introuvable"));
    // A folder reaches the analysis only as a disc: its main title is read.
    std::optional<DiscFolder> disc;
    if (QFileInfo(readPath).isDir()) {
        disc = readDiscFolder(readPath);
        if (!disc)
            throw Error(QStringLiteral("disque sans film"));
        readPath = disc->mainTitle;
    }
    media.stopWhen(job.stopRequested);
    media.New();
    std::unique_ptr<TTraitement> Fichier;
    try {
        // A file the library cannot open (no permission, a pipe...) is logged, not dropped as a non-video.
        if (!media.Open(readPath))
            throw Error(QStringLiteral("lecture impossible"));
        // The filter as it was when the file's turn came.
        Fichier = std::make_unique<TTraitement>(
            job.path, job.ImageOnly, media, [filter = job.opts.EFiltreTitre] { return filter; });
        Fichier->readThrough(readable);
        if (disc && Fichier->TestVideo) {
            disc->folder = job.path;
            Fichier->takeDiscFolder(*disc);
        }
    } catch (...) {
        if (!Fichier)
            media.Delete();
        throw;
    }
    return Fichier;
}

// What the other parts of a film add to its first one, each measured with the
// job's handle before the first part is opened on it.
std::vector<TTraitement::OtherPart> measureOtherParts(const AnalysisJob& job)
{
    std::vector<TTraitement::OtherPart> parts;
    MesFonctionMediaInfo& media = *job.media;
    for (const QString& path : job.otherParts) {
        media.stopWhen(job.stopRequested);
        media.New();
        if (!media.Open(path)) {
            media.Delete();
            throw Error(QStringLiteral("lecture impossible : ") + path);
        }
        TTraitement::OtherPart part;
        part.fileName = fileNamePart(path);
        part.size = media.Get(Stream_General, 0, QStringLiteral("FileSize"));
        part.duration = media.Get(Stream_Video, 0, QStringLiteral("Duration"));
        if (part.duration.isEmpty())
            part.duration = media.Get(Stream_General, 0, QStringLiteral("Duration"));
        media.Delete();
        parts.push_back(part);
    }
    return parts;
}

// The film is searched and the first fitting candidate taken; whatever the
// lookup found (or nothing), the file is catalogued.
void lookUpAutomatically(const AnalysisJob& job, AnalysedFile& result)
{
    const TTraitement& Fichier = *result.Fichier;
    FilmQuery query;
    query.NomFilm = Fichier.TitreTraduit;
    query.Annee = Fichier.Annee;
    query.name = readReleaseName(job.path);
    query.path = job.path;
    query.fileSeconds = Fichier.lengthSeconds();
    const LookupOutcome outcome = job.source->lookUpFile(query);
    for (const QString& line : outcome.logLines)
        result.lookupReports.push_back({{}, line});
    // A silent service or a refused key is said once, after the file that found it out.
    if (job.lookup)
        for (const QString& line : job.lookup->takeNotices())
            result.lookupReports.push_back({{}, line});
    // A film whose running time is far from the file's may be the wrong one.
    const QString check = runningTimeCheck(Fichier.lengthSeconds(), outcome.runtimeSeconds, Fichier.TitreTraduit);
    if (!check.isEmpty())
        result.lookupReports.push_back({{}, check});
    result.infos = outcome.infos;
    result.looked = true;
}

} // namespace

AnalysedFile analyseFile(const AnalysisJob& job)
{
    AnalysedFile result;
    try {
        const std::vector<TTraitement::OtherPart> otherParts = measureOtherParts(job);
        result.Fichier = openFile(job);
        if (!result.Fichier->TestVideo) {
            result.Fichier.reset();
            return result;
        }
        result.Fichier->takeOtherParts(otherParts);
        result.Fichier->Titre();
        result.filmName = fileNamePart(result.Fichier->NomDuFichier);
        if (job.lookUp && job.source)
            lookUpAutomatically(job, result);
        // The picture keeps a name of its own until its entry is written.
        MatroskaReports reports;
        reports.log = [&result](const QString& line) { result.toolReports.push_back({{}, line}); };
        reports.toolFailure = [&result](const QString& tool, const QString& message) {
            result.toolReports.push_back({tool, message});
        };
        reports.extractFailures = job.extractFailures;
        reports.stopRequested = job.stopRequested;
        runMatroskaSteps(job.toolFolder, *result.Fichier, job.opts, true, reports);
        // Every value an entry may take is asked here, on the worker: the writer
        // then reads them without waiting for the file.
        result.Fichier->readEveryValue();
    } catch (const std::exception&) {
        result.discard();
        result.failed = true;
    }
    return result;
}

} // namespace filmarch
