#include "scan/EntryMapping.h"

#include "catalog/Movie.h"
#include "core/Options.h"
#include "media/IntegerText.h"
#include "media/ReleaseName.h"
#include "media/Traitement.h"
#include "scan/FilmParts.h"
#include "scan/WriterText.h"

#include <algorithm>

namespace filmarch {

namespace {

int integerWithoutSpaces(const QString& text)
{
    return toInteger(withoutSpaces(text));
}

// The looked-up rating on the scale of a format: spectators first, then press.
QString scaledRating(const InfosFilmAllo& infos, int scale)
{
    if (!infos[InfoNoteSpectateurs].isEmpty())
        return QString::number(scale * toInteger(infos[InfoNoteSpectateurs]));
    if (!infos[InfoNotePresse].isEmpty())
        return QString::number(scale * toInteger(infos[InfoNotePresse]));
    return {};
}

// The year of the entry: the looked-up one, else the one the file name gives.
// A year is four digits or nothing.
QString entryYear(const QString& lookedUp, const QString& fromFileName)
{
    static const auto fourDigits = [](const QString& text) {
        return text.size() == 4 && std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
    };
    if (!lookedUp.isEmpty())
        return lookedUp;
    return fourDigits(fromFileName) ? fromFileName : QString();
}

// The original and translated titles: the looked-up ones, else those of the
// file name, read as a release name when the options say so.
std::pair<QString, QString> titlesOf(const TTraitement& Fichier, const ScanOptions& opts, const InfosFilmAllo& infos)
{
    if (!infos[InfoTitre].isEmpty() || !infos[InfoTitreOriginal].isEmpty() || !opts.CbTitresNettoyes)
        return {firstNonEmpty(infos[InfoTitreOriginal], Fichier.TitreOriginal),
            firstNonEmpty(infos[InfoTitre], Fichier.TitreTraduit)};
    const ReleaseName name = readReleaseName(Fichier.NomDuFichier);
    return {name.alternativeTitle, firstNonEmpty(name.title, Fichier.TitreTraduit)};
}

// The film's identifiers as one line of the comments, so that a later run,
// the verification and the exports name the film exactly:
// "TMDb : 348 · IMDb : tt0078748"; empty when no lookup gave any.
QString identifiersLine(const InfosFilmAllo& infos)
{
    QStringList ids;
    if (!infos[InfoTmdbId].isEmpty())
        ids << QStringLiteral("TMDb : ") + infos[InfoTmdbId];
    if (!infos[InfoImdbId].isEmpty())
        ids << QStringLiteral("IMDb : ") + infos[InfoImdbId];
    return ids.join(QStringLiteral(" · "));
}

// The comments: the attachments' names when asked for (in the format's own
// form), then the identifiers' line.
QString comments(const QString& attachments, const InfosFilmAllo& infos)
{
    const QString ids = identifiersLine(infos);
    if (ids.isEmpty() || attachments.isEmpty() || attachments.endsWith(QLatin1Char('\n')))
        return attachments + ids;
    return attachments + QStringLiteral("\r\n") + ids;
}

} // namespace

void fillAmcEntry(TMovie& NewMovie, const TTraitement& Fichier, const ScanOptions& opts, const InfosFilmAllo& infos)
{
    NewMovie.bChecked = true;
    if (const QString rating = scaledRating(infos, 20); !rating.isEmpty())
        NewMovie.iRating = rating.toInt();
    if (const QString year =
            entryYear(firstNonEmpty(infos[InfoAnneeProduction], infos[InfoAnneeSortie]), Fichier.Annee);
        !year.isEmpty())
        NewMovie.iYear = toInteger(year);

    if (opts.CbGenDuree) {
        const QString length = Fichier.Lengths();
        if (!length.isEmpty())
            NewMovie.iLength = integerWithoutSpaces(length);
    }
    if (opts.CbGenVideo) {
        const QString rate = Fichier.VideoBitrate();
        if (!rate.isEmpty())
            NewMovie.iVideoBitrate = integerWithoutSpaces(rate);
    }
    if (opts.CbGenAudio) {
        const QString rate = Fichier.AudioBitrate();
        if (!rate.isEmpty())
            NewMovie.iAudioBitrate = integerWithoutSpaces(rate);
    }
    if (opts.CbGenTitre) {
        const auto [original, translated] = titlesOf(Fichier, opts, infos);
        NewMovie.strOriginalTitle = original;
        NewMovie.strTranslatedTitle = translated;
    }
    NewMovie.strDirector = infos[InfoRealisateur];
    NewMovie.strCountry = infos[InfoPays];
    NewMovie.strCategory = infos[InfoGenre];
    NewMovie.strActors = infos[InfoActeurs];
    if (opts.CbGenUrl)
        NewMovie.strURL = Fichier.URL;
    NewMovie.strDescription = infos[InfoSynopsis];
    // The attachment names, one a line, the film's identifiers, then the other parts of the film.
    NewMovie.strComments = withPartsComment(
        comments(opts.CbPieceJointe ? QString(Fichier.Comment).replace(QLatin1Char('|'), QStringLiteral("\r\n"))
                                    : QString(),
            infos),
        Fichier.otherParts);
    if (Fichier.Disks > 1)
        NewMovie.iDisks = Fichier.Disks;
    if (opts.CbGenVideo) {
        NewMovie.strVideoFormat = Fichier.VideoFormat();
        NewMovie.strFramerate = Fichier.Framerate;
        NewMovie.strResolution = Fichier.Resolution;
    }
    if (opts.CbGenAudio) {
        NewMovie.strAudioFormat = Fichier.ListeFormatAudio();
        NewMovie.strLanguages = Fichier.ListeLanguagesAudio();
    }
    if (opts.CbGenSousTitre)
        NewMovie.strSubtitles = Fichier.ListeLangauagesSousTitre();
    if (opts.CbGenTaille)
        NewMovie.strSize = Fichier.size();
}

XmlAttributes xmlMovieAttributes(const TTraitement& Fichier, const ScanOptions& opts, const InfosFilmAllo& infos,
    int number, const QString& date, const QString& picture)
{
    XmlAttributes attrs;
    auto set = [&attrs](const char* name, const QString& value) { attrs.emplace_back(QLatin1String(name), value); };
    set("Number", QString::number(number));
    set("Checked", QStringLiteral("True"));
    set("Date", date);
    if (opts.CbGenTitre) {
        const auto [original, translated] = titlesOf(Fichier, opts, infos);
        set("OriginalTitle", original);
        set("TranslatedTitle", translated);
    }
    if (opts.CbGenDuree)
        set("Length", Fichier.Lengths());
    if (opts.CbGenUrl)
        set("URL", Fichier.URL);
    if (const QString text =
            withPartsComment(comments(opts.CbPieceJointe ? Fichier.Comment : QString(), infos), Fichier.otherParts);
        opts.CbPieceJointe || !text.isEmpty())
        set("Comments", text);
    if (opts.CbGenVideo) {
        set("VideoFormat", Fichier.VideoFormat());
        set("VideoBitrate", withoutSpaces(Fichier.VideoBitrate()));
        set("Resolution", Fichier.Resolution);
        set("Framerate", Fichier.Framerate);
    }
    if (opts.CbGenAudio) {
        set("AudioFormat", Fichier.ListeFormatAudio());
        set("AudioBitrate", withoutSpaces(Fichier.AudioBitrate()));
        set("Languages", Fichier.ListeLanguagesAudio());
    }
    if (opts.CbGenSousTitre)
        set("Subtitles", Fichier.ListeLangauagesSousTitre());
    if (opts.CbGenTaille)
        set("Size", Fichier.size());
    if (!picture.isEmpty())
        set("Picture", picture);
    set("Year", entryYear(firstNonEmpty(infos[InfoAnneeSortie], infos[InfoAnneeProduction]), Fichier.Annee));
    set("Director", infos[InfoRealisateur]);
    set("Country", infos[InfoPays]);
    set("Category", infos[InfoGenre]);
    set("Actors", infos[InfoActeurs]);
    set("Description", infos[InfoSynopsis]);
    if (const QString rating = scaledRating(infos, 2); !rating.isEmpty())
        set("Rating", rating);
    set("Disks", QString::number(Fichier.Disks));
    return attrs;
}

} // namespace filmarch
