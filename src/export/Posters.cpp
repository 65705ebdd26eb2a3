#include "export/Posters.h"

#include "export/ExportCatalogue.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>

namespace filmarch {
namespace {

// A poster is a few hundred kilobytes; anything far larger is not one.
constexpr qint64 maxPictureBytes = 32 * 1024 * 1024;
constexpr int maxPixels = 8000;

QByteArray pictureFileBytes(const QString& path)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly) || file.size() > maxPictureBytes)
        return {};
    return file.read(maxPictureBytes);
}

} // namespace

EntryPicture entryPicture(const ExportEntry& entry)
{
    EntryPicture picture;
    picture.bytes = entry.pictureBytes.isEmpty() ? pictureFileBytes(entry.picturePath) : entry.pictureBytes;
    if (picture.bytes.isEmpty() || picture.bytes.size() > maxPictureBytes)
        return {};
    QBuffer buffer(&picture.bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > maxPixels || size.height() > maxPixels)
        return {};
    picture.format = reader.format();
    if (!reader.read(&picture.image))
        return {};
    return picture;
}

QByteArray scaledJpeg(const QImage& image, int maxWidth)
{
    QImage scaled = image.width() > maxWidth ? image.scaledToWidth(maxWidth, Qt::SmoothTransformation) : image;
    if (scaled.hasAlphaChannel()) {
        QImage opaque(scaled.size(), QImage::Format_RGB32);
        opaque.fill(Qt::white);
        QPainter(&opaque).drawImage(0, 0, scaled);
        scaled = opaque;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    scaled.save(&buffer, "JPG", 85);
    return bytes;
}

} // namespace filmarch
