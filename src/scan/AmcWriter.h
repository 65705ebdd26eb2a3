#pragma once
// Adds one film to the AMC catalogue being written and saves it.
#include "filmdb/InfosFilmAllo.h"

#include <QString>
#include <optional>

namespace filmarch {

class CatalogueSession;
class TTraitement;
struct EntrySources;

// Adds a new entry for `Fichier` under the lowest free number and appends it
// to the catalogue file; its poster is downloaded first. Returns the reason of
// a failed save (nothing once the entry was added). When a value cannot be
// read, nothing is added nor downloaded and the failure leaves the writer.
std::optional<QString> EcritureCatalogueAmc(
    CatalogueSession& catalogue, const EntrySources& sources, TTraitement& Fichier, const InfosFilmAllo& InfosFilmAllo);

// What the user is told when the AMC catalogue cannot be written.
QString amcSaveFailedMessage();

} // namespace filmarch
