#include "catalog/PictureFiles.h"

#include "catalog/Movie.h"
#include "platform/PathText.h"

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
