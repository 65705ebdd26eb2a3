#include "catalog/PictureFiles.h"

#include "catalog/Movie.h"
#include "platform/PathText.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <chrono>
#include <thread>

namespace filmarch {
namespace {

QString folderPrefix(const QString& path)
{
    return path.left(path.lastIndexOf(u'/') + 1);
}

} // namespace

QString ExtractFileExt(const QString& FileName)
{
    return exactExtension(FileName);
}

bool FileOrDirExists(const QString& FileName)
{
    const QFileInfo info(FileName);
    return info.exists() || info.isSymLink();
}

QString MakeUniqueFileName(const QString& strFileName, const QString& Separator)
{
    QString r = strFileName;
    while (FileOrDirExists(r)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(QRandomGenerator::global()->bounded(1, 25)));
        const auto ticks =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
                .count();
        r = withoutExtension(strFileName) + Separator + QString::number(qint32(ticks)) + ExtractFileExt(strFileName);
    }
    return r;
}

QString GetPictureName(const QString& CatalogFile, const TMovie& Movie, const QString& PictureExt)
{
    QString r = QString::number(Movie.iNumber) + PictureExt;
    const QString prefix = withoutExtension(fileNamePart(CatalogFile));
    if (!prefix.isEmpty() && !r.startsWith(prefix + u'_'))
        r = prefix + u'_' + r;
    constexpr qsizetype maxLength = 160;
    if (r.size() > maxLength) {
        const qsizetype keep = std::max<qsizetype>(0, maxLength - PictureExt.size());
        r = r.left(keep) + PictureExt.right(maxLength - keep);
    }
    return fileNamePart(MakeUniqueFileName(folderPrefix(CatalogFile) + r, QStringLiteral("_")));
}

} // namespace filmarch
