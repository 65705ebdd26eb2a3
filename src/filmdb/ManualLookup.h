#pragma once
// The manual lookup as the scan run sees it: the user searches the film
// database for one file and decides. Whoever asks writes the entry; the
// lookup never does.
#include "filmdb/InfosFilmAllo.h"

#include <QPoint>
#include <QString>

#include <functional>

namespace filmarch {

class LookupSource;

struct ManualLookupRequest {
    LookupSource* source = nullptr; // the film database asked
    QString NomFilm;                // the title proposed for the search
    QString Annee;                  // a year read from the file name, possibly empty
    // Where the window stood last in this run; (0, 0) for the default place.
    // Updated to where the user left it.
    QPoint* place = nullptr;
    // Writes a line to the run's log at once (the synopsis that could not be
    // read, when the film is picked).
    std::function<void(const QString&)> log = nullptr;
    // Files of the run still to come after this one: stopping loses them.
    int filesLeft = 0;
};

struct ManualLookupDecision {
    enum Kind {
        Validate, // write the entry with `infos` (all empty: analysis data only)
        Skip,     // no entry for this file, go on
        Stop,     // no entry for this file, end the run
    };
    Kind kind = Skip;
    InfosFilmAllo infos;
};

class ManualLookup {
public:
    virtual ~ManualLookup() = default;
    // Shows the lookup for one file until the user decides.
    virtual ManualLookupDecision lookUp(const ManualLookupRequest& request) = 0;
};

} // namespace filmarch
