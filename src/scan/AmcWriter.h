#pragma once
// Adds one film to the AMC catalogue held by the run and saves the catalogue.
#include "filmdb/InfosFilmAllo.h"

namespace filmarch {

class ScanRun;
class TTraitement;

// Adds a new entry for `Fichier` to run.MovieList under the lowest free
// number and saves the whole catalogue to run.CatalogueActif in version
// run.iHeader. A successful save counts the entry in run.compteur; a failed
// one shows its message and stops the run after this file. When filling the
// entry fails, the entry is removed again and the failure leaves the writer.
void EcritureCatalogueAmc(ScanRun& run, TTraitement& Fichier, const InfosFilmAllo& InfosFilmAllo);

// Ends the series of saves a run made to `catalogue` (the last one is forced
// to the disk).
void endCatalogueAmcRun(const QString& catalogue);

} // namespace filmarch
