#include "export/Posters.h"

#include "export/ExportCatalogue.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

namespace filmarch {
namespace {

// A poster is a few hundred kilobytes; anything far larger is not one.
constexpr qint64 maxPictureBytes = 32 * 1024 * 1024;
constexpr int maxPixels = 8000;

QByteArray pictureFileBytes(const QString& path, QString& problem)
{
    QFile file(path);
    if (!QFileInfo::exists(path)) {
        problem = QStringLiteral("fichier introuvable");
        return {};
    }
    if (!file.open(QIODevice::ReadOnly)) {
        problem = file.errorString();
        return {};
    }
    if (file.size() > maxPictureBytes) {
        problem = QStringLiteral("fichier de plus de 32 Mio");
        return {};
    }
    return file.read(maxPictureBytes);
}

} // namespace

EntryPicture entryPicture(const ExportEntry& entry)
{
    EntryPicture picture;
    if (entry.pictureBytes.isEmpty() && entry.picturePath.isEmpty())
        return picture;
    picture.bytes =
        entry.pictureBytes.isEmpty() ? pictureFileBytes(entry.picturePath, picture.problem) : entry.pictureBytes;
    if (picture.bytes.isEmpty()) {
        if (picture.problem.isEmpty())
            picture.problem = QStringLiteral("fichier vide");
        return picture;
    }
    QBuffer buffer(&picture.bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    QSize size = reader.size();
    picture.format = reader.format();
    if (!size.isValid() || picture.format.isEmpty()) {
        picture.problem = QStringLiteral("image illisible");
        return picture;
    }
    if (size.width() > maxPixels || size.height() > maxPixels) {
        picture.problem = QStringLiteral("image de plus de %1 pixels de côté").arg(maxPixels);
        return picture;
    }
    picture.turned = reader.transformation() != QImageIOHandler::TransformationNone;
    if (reader.transformation() & QImageIOHandler::TransformationRotate90)
        size.transpose();
    picture.size = size;
    return picture;
}

QImage decodedPicture(const EntryPicture& picture, int maxWidth)
{
    if (!picture.isValid())
        return {};
    QByteArray bytes = picture.bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, picture.format);
    reader.setAutoTransform(true);
    if (maxWidth > 0 && picture.size.width() > maxWidth) {
        // A JPEG is then decoded at a fraction of its size, several times faster
        // than decoding it whole and scaling it down. The size asked is the
        // stored picture's, before it is turned upright.
        QSize scaled(maxWidth, qMax(1, qRound(double(picture.size.height()) * maxWidth / picture.size.width())));
        if (reader.transformation() & QImageIOHandler::TransformationRotate90)
            scaled.transpose();
        reader.setScaledSize(scaled);
        reader.setQuality(100); // smooth scaling of what the decoder leaves to do
    }
    return reader.read();
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

QString badPictureLine(const ExportCatalogue& catalogue, const ExportEntry& entry, const QString& problem)
{
    QString title = catalogue.value(entry, catalogue.column(QStringLiteral("TranslatedTitle"))).trimmed();
    if (title.isEmpty())
        title = catalogue.value(entry, catalogue.column(QStringLiteral("OriginalTitle"))).trimmed();
    const QString number = catalogue.value(entry, catalogue.column(QStringLiteral("Number"))).trimmed();
    const QString where = entry.pictureBytes.isEmpty() ? entry.picturePath : QStringLiteral("image du catalogue");
    return QStringLiteral("n° %1 « %2 » : %3 (%4)").arg(number, title, where, problem);
}

} // namespace filmarch
