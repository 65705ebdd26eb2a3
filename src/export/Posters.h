#pragma once
// The pictures of exported entries: read from the catalogue or from the linked
// file, bounded in size, and scaled down for the page.
#include <QByteArray>
#include <QImage>

namespace filmarch {

struct ExportEntry;

struct EntryPicture {
    QByteArray bytes;  // as stored
    QByteArray format; // "jpeg", "png"... as the bytes really are
    QImage image;      // null when there is no picture or it cannot be read
};

// The entry's picture; a missing, oversized or unreadable one gives a null image.
EntryPicture entryPicture(const ExportEntry& entry);

// JPEG bytes of the image, scaled down (never up) to at most `maxWidth` pixels
// wide; transparent parts on white.
QByteArray scaledJpeg(const QImage& image, int maxWidth);

} // namespace filmarch
