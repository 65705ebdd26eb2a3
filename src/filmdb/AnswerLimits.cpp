#include "filmdb/AnswerLimits.h"

#include <iterator>
#include <tuple>

namespace filmarch {

namespace {
const char* const kFieldNames[] = {"titre", "titre original", "année de sortie", "réalisateur", "année de production",
    "pays", "genre", "acteurs", "durée", "synopsis", "note de la presse", "note des spectateurs", "affiche", "identifiant TMDb", "identifiant IMDb"};
static_assert(std::size(kFieldNames) == std::tuple_size_v<InfosFilmAllo>);
} // namespace

QStringList capFields(InfosFilmAllo& infos, const QString& title)
{
    QStringList lines;
    for (size_t i = 0; i < infos.size(); ++i) {
        QString& field = infos[i];
        if (field.size() <= kLongestField)
            continue;
        // A character made of two halves is not cut in the middle.
        qsizetype keep = kLongestField;
        if (field.at(keep - 1).isHighSurrogate())
            --keep;
        field.truncate(keep);
        lines << QStringLiteral("Réponse de la base de films trop longue, champ %1 coupé à %2 caractères : %3")
                     .arg(QString::fromUtf8(kFieldNames[i]))
                     .arg(kLongestField)
                     .arg(title);
    }
    return lines;
}

} // namespace filmarch
