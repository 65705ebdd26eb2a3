#pragma once
// The scan run: walks a folder, analyses every file and writes one catalogue
// entry per film. Holds the run state that the writers and lookups share.
#include "core/AppPaths.h"
#include "filmdb/InfosFilmAllo.h"
#include "platform/AppendFile.h"
#include "platform/CatalogueLock.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace filmarch {

class OptionSource;
class UserDialogs;
class Journal;
class ScanProgress;
class MesFonctionMediaInfo;
class HttpClient;
class ManualLookup;
class FilmLookup;
class LookupSource;
class TTraitement;
class TMovieList;
class XmlCatalogue;
struct ScanOptions;

// What a run needs from the program around it. Pointers are not owned.
struct ScanContext {
    AppPaths paths;
    const OptionSource* options = nullptr;
    UserDialogs* dialogs = nullptr;
    Journal* journal = nullptr;
    ScanProgress* progress = nullptr;
    MesFonctionMediaInfo* media = nullptr;
    HttpClient* http = nullptr;
    // The film-database lookups (shared with the lookup window).
    FilmLookup* lookup = nullptr;
    // Asked for each film when the manual film-database lookup is in force.
    ManualLookup* manualLookup = nullptr;
    // Folder of mkvmerge and mkvextract, ending with '/'; empty when MKVToolNix
    // was not found, and then the Matroska options have no effect.
    QString CheminMkvToolNix;
    // The command line says once per run that a Matroska tool cannot be
    // started (mkvextract too, which the window only logs); the window shows
    // mkvmerge's error box at every file.
    bool toolFailuresOncePerRun = false;
    // The window shows the progress window and locks itself when a run starts,
    // and restores everything when it ends (always called, whatever failed).
    std::function<void()> onRunStarted;
    std::function<void()> onRunFinished;
};

// How a run ended.
enum class ScanOutcome {
    NotStarted, // refused before anything was analysed (its message was shown)
    Finished,
    Stopped,             // by the user; what was saved stands
    CatalogueNotWritten, // a save failed or the catalogue could not be written (the user was told)
    Failed,              // an unexpected failure ended the run (the user was told)
};

// The fields of the Scan page that a run reads, and updates when it ends.
struct ScanRequest {
    QString EdCheminRepScan;
    QString EdCheminCataloCree;
    QString EdNbrFilmsCree; // "0" once a new catalogue was chosen
    QString EdCheminCataloExistant;
    QString EdNbrFilmsExist;
};

class ScanRun {
public:
    explicit ScanRun(ScanContext context);
    ~ScanRun();
    ScanRun(const ScanRun&) = delete;
    ScanRun& operator=(const ScanRun&) = delete;

    // Validates and loads the catalogue to complete at `path`. Returns its
    // number of entries, or -1 (with a message when the file was unusable or
    // is being written by another run; without one for an empty path or
    // another extension). A catalogue that does not load to its end is refused.
    int validitecatalogue(const QString& path);
    // Releases the catalogue held in memory, if any.
    void releaseCatalogue();

    // The whole run ("Lancer le scan"). Updates `request` as the run leaves
    // the page. A catalogue that cannot be written is refused before anything
    // is analysed, as a failed save.
    ScanOutcome BtLanceScanClick(ScanRequest& request);
    // Ends the run after the file in hand (the progress window's "Stop", Ctrl-C).
    void requestStop() { Arret = true; }
    bool stopRequested() const { return Arret; }

    // Walks `Chemin`: counts its files (compte) or processes each of them.
    int CompteTraiteFichiers(const QString& Chemin, bool compte, bool sousrep);
    // `nativeName`: the file's name in bytes, where they are not NomFichier's.
    void TraitementFichier(const QString& NomFichier, const QByteArray& nativeName = {});
    void Initialisation(ScanRequest& request);

    void EcritureLog(const QString& Mes);
    ScanOptions options() const;
    const ScanContext& context() const { return ctx; }
    void setManualLookup(ManualLookup* lookup) { ctx.manualLookup = lookup; }
    // MKVToolNix is looked for after the run is made (the window's start).
    void setMkvToolFolder(const QString& folder) { ctx.CheminMkvToolNix = folder; }
    // A Matroska tool (`tool`) could not be started: the user is told, on the
    // command line only at the first time in the run.
    void reportToolFailure(const QString& tool, const QString& message);

    // Run state shared with the writers and the lookups.
    int compteur = 0;
    int doublons = 0;
    QString CatalogueActif;
    QString FichierLog;
    std::unique_ptr<TTraitement> Fichier;
    bool ImageOnly = false;
    std::unique_ptr<TMovieList> MovieList;
    QStringList FichierPresent;
    int iHeader = 0;
    std::unique_ptr<XmlCatalogue> XMLDoc;
    int PosTopFenAllo = 0;
    int PosLeftFenAllo = 0;
    InfosFilmAllo infosFilmAllo;
    bool Arret = false;          // the progress window's stop flag
    bool ArretRecherche = false; // the lookup window's stop flag (also set by a failed AMC save)

    // True while XMLDoc holds the catalogue loaded for completion (and not a
    // document a run created).
    bool holdsLoadedXml() const { return XMLDoc && !loadedCatalogue.isEmpty(); }
    // Decided once when the run starts: it completes CatalogueActif (else it
    // creates it).
    bool completesCatalogue() const { return completing; }

    // A save failed: said in the log and to the user; the run ends with the
    // status of a failed save.
    void reportSaveFailure(const QString& logLine, const QString& message, bool asError = false);

    // Held by a run on its catalogue from its validation to its end.
    CatalogueLock catalogueLock;
    // The AMC catalogue being completed, to which each new entry is added.
    AppendFile amcFile;

private:
    ScanOutcome runScan(ScanRequest& request);
    void writeEntry();
    void lookUpByHand(LookupSource& source);
    void lookUpAutomatically(LookupSource& source);
    void logLookupNotices();
    void sayNoServer(const ScanOptions& opts);
    int loadAmc(const QString& path);
    bool prepareCatalogue(ScanRequest& request);
    void logSummary(const QString& elapsed);
    void finishRun(ScanRequest& request);
    bool saveXml(const QString& path, bool completing);

    ScanContext ctx;
    bool saveFailed = false; // a save of this run failed (the user was told)
    bool completing = false; // the run in progress completes a catalogue
    int loadedCount = 0;     // entries of that catalogue when the run started
    // What a file was when it was read: a catalogue that kept it was not changed since.
    struct FileStamp {
        quint64 device = 0, inode = 0;
        qint64 size = -1, seconds = 0, nanoseconds = 0;
        static FileStamp of(const QString& path);
        bool operator==(const FileStamp&) const = default;
    };
    QString loadedCatalogue; // path whose content is held in memory
    FileStamp loadedStamp;
    QSet<QString> cataloguedNames; // file-name parts of the loaded catalogue's URLs
    bool noServerSaid = false;     // the run said once that no server is set
    QSet<QString> failedTools;     // tools this run could not start
};

// File-name part of a path or URL: after the last "/" or "\" (catalogues made
// on Windows store backslashes).
QString fileNamePart(const QString& path);
// Lower-case extension with its dot compared exactly: ".xml", ".amc", ".mkv"...
QString exactExtension(const QString& path);

} // namespace filmarch
