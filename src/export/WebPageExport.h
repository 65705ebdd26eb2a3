#pragma once
// The catalogue as a web page that opens from the disk with no network: a
// folder holding index.html, page.js, page.css, the films in data.js (their
// details in fiches.js) and the posters, scaled down, in affiches/.
#include <QByteArray>
#include <QString>
#include <vector>

namespace filmarch {

class ExportCatalogue;
class ScanProgress;
struct ExportReport;

// The poster file of an entry relative to the page, and its size (empty when none).
struct PagePoster {
    QString file;
    int width = 0;
    int height = 0;
};

// One film as JSON: what the grid, its sorts, filters and search need, and
// apart what only the film's own view shows, read by the page once the first
// cards are on the screen.
struct PageFilm {
    QByteArray card;
    QByteArray details;
};
PageFilm pageFilm(const ExportCatalogue& catalogue, size_t index, const PagePoster& poster);

// The two scripts that hand the films to the page: data.js and fiches.js.
struct PageScripts {
    QByteArray cards;
    QByteArray details;
};
PageScripts pageScripts(const ExportCatalogue& catalogue, const std::vector<PageFilm>& films);

// Writes the page into the folder `destination`, which is replaced only once
// the new one is complete. Throws Error.
ExportReport writeWebPage(const ExportCatalogue& catalogue, const QString& destination, ScanProgress& progress);

} // namespace filmarch
