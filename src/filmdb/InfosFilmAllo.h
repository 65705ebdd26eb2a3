#pragma once
// Film data found by a lookup, handed to the catalogue writers. An empty text
// means no value; with no lookup every slot is empty.
#include <QString>
#include <array>

namespace filmarch {

enum InfoSlot {
    InfoTitre = 0,
    InfoTitreOriginal = 1,
    InfoAnneeSortie = 2,
    InfoRealisateur = 3,
    InfoAnneeProduction = 4,
    InfoPays = 5,
    InfoGenre = 6,
    InfoActeurs = 7,
    InfoDuree = 8,
    InfoSynopsis = 9,
    InfoNotePresse = 10,
    InfoNoteSpectateurs = 11,
    InfoAffiche = 12,
    // The film's identifiers in the film databases, for a later run, the
    // verification and the exports to name it exactly.
    InfoTmdbId = 13, // "348"
    InfoImdbId = 14, // "tt0078748"
};

using InfosFilmAllo = std::array<QString, 15>;

} // namespace filmarch
