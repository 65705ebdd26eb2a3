// Requests a film file costs the TMDb lookup, against the stand-in service on
// the loopback: searches (second pages included), details, finds by IMDb
// number. Names and films are made here; the bounds are three searches, three
// details beyond the chosen film's and one find per identifier.
#include "core/Options.h"
#include "filmdb/FilmLookup.h"
#include "filmdb/TmdbSource.h"
#include "platform/HttpClient.h"
#include "support/FakeTmdb.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using namespace filmarch;
using filmarch::test::FakeTmdb;
using filmarch::test::FakeTmdbFilm;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    FakeTmdb service;
    // Every title three times, in three years, the oldest most popular; and a
    // longer, more popular title holding the same words.
    const char* titles[] = {"Le Voyage", "La Nuit", "Les Autres", "Hamlet", "Solaris", "Le Cercle", "Un Jour",
        "La Maison", "Le Retour", "Nuit Blanche"};
    long id = 1;
    for (const char* t : titles) {
        for (int k = 0; k < 3; ++k, ++id)
            service.addFilm({id, t, t, std::to_string(1960 + 20 * k) + "-06-01", 50.0 - k, 90 + 10 * k,
                "tt70" + std::to_string(10000 + id)});
        service.addFilm({id++, std::string(t) + " : la suite", "", "2010-01-01", 90});
    }
    QStringList names;
    for (const char* t : titles) {
        const QString title = QString::fromUtf8(t);
        names << title + QStringLiteral(".1980.1080p.BluRay.x264-GRP.mkv") << title + QStringLiteral(" (1961).avi")
              << title + QStringLiteral(".avi") << QStringLiteral("[XYZ] ") + title + QStringLiteral(" 2001 FRENCH.mkv")
              << QStringLiteral("Films/") + title + QStringLiteral(" (2000)/abc-def.avi")
              << title + QStringLiteral(" (Autre Titre) 1975.mkv") << title + QStringLiteral(" CD1.avi");
    }
    names << QStringLiteral("Quelque chose tt7010005.mkv") << QStringLiteral("Autre chose [tmdbid-3].mkv");

    QTemporaryDir folder;
    HttpClient http;
    FilmLookup lookup(http, AppPaths::beside(folder.path()));
    ScanOptions options;
    options.CleTMDb = QString::fromStdString(service.key);
    options.ServeurTMDb = service.server();
    LookupSource* source = lookup.source(options);
    source->lookUp(QStringLiteral("Le Voyage"), QString()); // the configuration, once a run

    int found = 0, worst[3] = {0, 0, 0};
    const int before[3] = {service.count("/3/search/movie"), service.count("/3/movie/"), service.count("/3/find/")};
    QElapsedTimer timer;
    timer.start();
    for (const QString& name : names) {
        const int s = service.count("/3/search/movie"), d = service.count("/3/movie/"), f = service.count("/3/find/");
        FilmQuery query;
        query.name = readReleaseName(name);
        query.NomFilm = query.name.title;
        query.fileSeconds = 100 * 60;
        found += source->lookUpFile(query).code == 0 ? 1 : 0;
        worst[0] = std::max(worst[0], service.count("/3/search/movie") - s);
        worst[1] = std::max(worst[1], service.count("/3/movie/") - d);
        worst[2] = std::max(worst[2], service.count("/3/find/") - f);
    }
    const double n = names.size();
    std::printf("TMDb requests per file, %d files (%d found) in %lld ms:\n", int(n), found,
        static_cast<long long>(timer.elapsed()));
    std::printf("  searches %.2f on average, %d at most (bound 3)\n",
        (service.count("/3/search/movie") - before[0]) / n, worst[0]);
    std::printf("  details  %.2f on average, %d at most (bound 4: the film's and three to tell films apart)\n",
        (service.count("/3/movie/") - before[1]) / n, worst[1]);
    std::printf("  finds    %.2f on average, %d at most (bound 1 an identifier)\n",
        (service.count("/3/find/") - before[2]) / n, worst[2]);
    return worst[0] <= 3 && worst[1] <= 4 && worst[2] <= 1 ? 0 : 1;
}
