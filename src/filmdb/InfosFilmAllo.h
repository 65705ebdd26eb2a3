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
};

using InfosFilmAllo = std::array<QString, 13>;

} // namespace filmarch
