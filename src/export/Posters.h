#pragma once
// The pictures of exported entries: read from the catalogue or from the linked
// file, bounded in size, measured from their header alone, and decoded
// upright (as their EXIF orientation says) only where their pixels are needed.
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

namespace filmarch {

class ExportCatalogue;
struct ExportEntry;

struct EntryPicture {
    QByteArray bytes;    // as stored
    QByteArray format;   // "jpeg", "png"... as the bytes really are
    QSize size;          // upright; invalid when there is no picture or it cannot be read
    bool turned = false; // the bytes must be turned to show the picture upright
    QString problem;     // why the picture the entry names cannot be used; empty otherwise
    bool isValid() const { return size.isValid(); }
};

// The entry's picture, its pixels left undecoded; a missing, oversized or
// unreadable one is not valid and says why.
EntryPicture entryPicture(const ExportEntry& entry);

// The picture's pixels, upright and, when `maxWidth` is given, scaled down
// (never up) to at most that width; a null image when they cannot be decoded.
QImage decodedPicture(const EntryPicture& picture, int maxWidth = 0);

// JPEG bytes of the image, scaled down (never up) to at most `maxWidth` pixels
// wide; transparent parts on white.
QByteArray scaledJpeg(const QImage& image, int maxWidth);

// The line of the run's summary for a picture that could not be used.
QString badPictureLine(const ExportCatalogue& catalogue, const ExportEntry& entry, const QString& problem);

} // namespace filmarch
