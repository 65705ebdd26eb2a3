#pragma once
// The scan run: walks a folder, analyses every file and writes one catalogue
// entry per film. Holds the run state that the writers and lookups share.
// (Being filled in: for now only the catalogue validation entry points exist.)
#include "filmdb/InfosFilmAllo.h"

#include <QString>
#include <QStringList>

namespace filmarch {

class OptionSource;
class UserDialogs;
class Journal;
class ScanProgress;
class MesFonctionMediaInfo;
class HttpClient;

// What a run needs from the program around it. Pointers are not owned.
struct ScanContext {
    QString appDir;
    const OptionSource* options = nullptr;
    UserDialogs* dialogs = nullptr;
    Journal* journal = nullptr;
    ScanProgress* progress = nullptr;
    MesFonctionMediaInfo* media = nullptr;
    HttpClient* http = nullptr;
};

class ScanRun {
public:
    explicit ScanRun(ScanContext context);
    ~ScanRun();

    // Validates and loads the catalogue to complete at `path`. Returns its
    // number of entries, or -1 (with a message when the file was unusable;
    // without one for an empty path or another extension).
    int validitecatalogue(const QString& path);
    // Releases the catalogue held in memory, if any.
    void releaseCatalogue();

    QString CatalogueActif;
    InfosFilmAllo infosFilmAllo;
    bool Arret = false;          // the progress window's stop flag
    bool ArretRecherche = false; // the lookup window's stop flag

private:
    ScanContext ctx;
};

} // namespace filmarch
