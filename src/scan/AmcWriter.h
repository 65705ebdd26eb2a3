#pragma once
// Adds one film to the AMC catalogue held by the run and saves the catalogue.
#include "filmdb/InfosFilmAllo.h"

#include <QString>

namespace filmarch {

class ScanRun;
class TTraitement;

// Adds a new entry for `Fichier` to run.MovieList under the lowest free
// number and adds it to the file run.CatalogueActif in version run.iHeader
// (the whole catalogue is written once, when the file does not hold the
// list as it is in that version). A successful save counts the entry in run.compteur; a failed
// one shows its message and stops the run after this file. When filling the
// entry fails, the entry is removed again and the failure leaves the writer.
void EcritureCatalogueAmc(ScanRun& run, TTraitement& Fichier, const InfosFilmAllo& InfosFilmAllo);

// What the user is told when the AMC catalogue cannot be written.
QString amcSaveFailedMessage();

} // namespace filmarch
