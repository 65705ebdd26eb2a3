#pragma once
// Adds one film to the XML catalogue held by the run.
#include "filmdb/InfosFilmAllo.h"

namespace filmarch {

class ScanRun;
class TTraitement;

// Appends one Movie element for `Fichier` to run.XMLDoc (creating the document
// for the first entry of a new catalogue), counts it in run.compteur and
// advances the progress bar. Nothing is written to disk here: the run saves
// the document once at its end. When a value cannot be computed the failure
// leaves before anything was added.
void EcritureCatalogueXML(ScanRun& run, TTraitement& Fichier, const InfosFilmAllo& InfosFilmAllo);

} // namespace filmarch
