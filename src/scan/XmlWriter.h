#pragma once
// Adds one film to the XML catalogue being written.
#include "filmdb/InfosFilmAllo.h"

namespace filmarch {

class CatalogueSession;
class TTraitement;
struct EntrySources;

// Appends one Movie element for `Fichier` to the catalogue's document
// (creating the document for the first entry of a new catalogue). Nothing is
// written to disk here: the run saves the document once at its end. When a
// value cannot be computed the failure leaves before anything was added.
void EcritureCatalogueXML(
    CatalogueSession& catalogue, const EntrySources& sources, TTraitement& Fichier, const InfosFilmAllo& InfosFilmAllo);

} // namespace filmarch
