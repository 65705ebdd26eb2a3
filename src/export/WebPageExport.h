#pragma once
// The catalogue as a web page that opens from the disk with no network: a
// folder holding index.html, page.js, page.css, the films in data.js and the
// posters, scaled down, in affiches/.
#include <QByteArray>
#include <QString>
#include <functional>

namespace filmarch {

class ExportCatalogue;
class ScanProgress;
struct ExportReport;

// The script that hands the films to the page. `poster(i)` gives the poster
// file of entry i relative to the page and its size (empty when none).
struct PagePoster {
    QString file;
    int width = 0;
    int height = 0;
};
QByteArray pageData(const ExportCatalogue& catalogue, const std::function<PagePoster(size_t)>& poster);

// Writes the page into the folder `destination`, which is replaced only once
// the new one is complete. Throws Error.
ExportReport writeWebPage(const ExportCatalogue& catalogue, const QString& destination, ScanProgress& progress);

} // namespace filmarch
