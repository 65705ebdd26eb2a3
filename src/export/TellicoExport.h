#pragma once
// The catalogue as a Tellico video collection: a zip (".tc") holding
// tellico.xml in UTF-8, valid against Tellico's DTD, and the covers under images/.
#include <QByteArray>
#include <QString>
#include <functional>
#include <map>

namespace filmarch {

class ExportCatalogue;
class ScanProgress;
struct ExportReport;

// tellico.xml for the catalogue. `cover(i)` gives the image id of entry i
// (empty without cover); `images` lists every id with its format and size.
struct TellicoImage {
    QByteArray format; // "JPEG", "PNG"
    int width = 0;
    int height = 0;
};
QByteArray tellicoXml(const ExportCatalogue& catalogue, const std::function<QString(size_t)>& cover,
    const std::map<QString, TellicoImage>& images);

// Writes the collection to `destination`, replaced only by a complete file. Throws Error.
ExportReport writeTellico(const ExportCatalogue& catalogue, const QString& destination, ScanProgress& progress);

} // namespace filmarch
