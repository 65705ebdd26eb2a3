#include "filmdb/FilmLookup.h"

#include "core/Options.h"
#include "filmdb/AllocineSource.h"
#include "filmdb/TmdbSource.h"

namespace filmarch {

FilmLookup::FilmLookup(HttpClient& http, const AppPaths& paths)
    : wait([this](int seconds) { guard.pause(seconds); }), http(http), paths(paths)
{
}

FilmLookup::~FilmLookup() = default;

LookupSource* FilmLookup::source(const ScanOptions& options)
{
    if (!lookupConfigured(options))
        return nullptr;
    const bool tmdb = usesTmdb(options);
    const QStringList settings = tmdb
        ? QStringList {QStringLiteral("TMDb"), options.ServeurTMDb, options.CleTMDb.trimmed(), options.LangueTMDb}
        : QStringList {QStringLiteral("Allocine"), options.Serveur.trimmed()};
    std::lock_guard hold(lock);
    if (!current || settings != currentSettings) {
        if (current)
            replaced.push_back(std::move(current));
        if (tmdb)
            current = std::make_unique<TmdbSource>(
                settings[1], settings[2], settings[3], paths, http, guard, [this](int seconds) { wait(seconds); });
        else
            current = std::make_unique<AllocineSource>(settings[1], paths, http, guard);
        currentSettings = settings;
    }
    return current.get();
}

} // namespace filmarch
