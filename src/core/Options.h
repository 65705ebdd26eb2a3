#pragma once
// The scan options as the rest of the program sees them. The window reads them
// live from its controls (a change takes effect at the next file); the command
// line reads them once from options.ini. Members are named after the controls.
#include <QString>

namespace filmarch {

// Default title filter: 57 comma-separated words, the 22nd is the trade-mark sign.
QString defaultFiltreTitre();
// Default poster folder: "Affiches" in the user's home folder, or the one the
// program's paths chose at start (an installed program keeps its data in the
// user's data folder). Set before the options are first read.
QString defaultRepAffiche();
void setDefaultRepAffiche(const QString& folder);
// The folder posters are written to: EdRepAffiche, or the default folder when it is empty.
QString posterFolder(const QString& EdRepAffiche);

struct ScanOptions {
    bool CbExploreSousRep = false;
    bool CbEviterDoublons = true;
    bool CbGenTitre = true;
    // The title read in the file name as a release name, in place of the
    // filtered title, when no lookup gives the film's.
    bool CbTitresNettoyes = false;
    bool CbGenDuree = true;
    bool CbGenUrl = true;
    bool CbGenVideo = true;
    bool CbGenAudio = true;
    bool CbGenSousTitre = true;
    bool CbGenTaille = true;
    // The files of a film in several parts make one entry.
    bool CbRegrouperParties = true;
    QString EFiltreTitre = defaultFiltreTitre();
    bool CbAffiche = false;
    QString EdRepAffiche = defaultRepAffiche();
    bool CbPieceJointe = false;
    bool CbfichiersImages = false;
    bool CbToutFichier = true;
    // A lookup mode is in force only when its box is both enabled and checked.
    bool CbAlloAuto = false;
    bool CbAlloManu = false;
    // Host (optionally ":port") of the film-database service, key "Serveur" of
    // section "Allocine"; empty when none is set, and then no lookup runs.
    QString Serveur;
    // The film database that answers: "Allocine" or "TMDb" (key "Source" of
    // section "Allocine"); empty: TMDb when a TMDb key is set, else Allociné.
    QString Source;
    // Section "TMDb": the user's API key or read access token (a secret, never
    // shown), the answers' language and the service's address.
    QString CleTMDb;
    QString LangueTMDb = QStringLiteral("fr-FR");
    QString ServeurTMDb = QStringLiteral("https://api.themoviedb.org");
};

// True when TMDb answers the lookups.
bool usesTmdb(const ScanOptions& options);
// True when the chosen film database can be asked: a server for Allociné, a key for TMDb.
bool lookupConfigured(const ScanOptions& options);

class OptionSource {
public:
    virtual ~OptionSource() = default;
    virtual ScanOptions options() const = 0;
};

// A fixed set of options (command line, tests).
class FixedOptions : public OptionSource {
public:
    FixedOptions() = default;
    explicit FixedOptions(ScanOptions o) : values(std::move(o)) {}
    ScanOptions options() const override { return values; }
    ScanOptions values;
};

} // namespace filmarch
