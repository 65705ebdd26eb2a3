#include "scan/StoredName.h"

#include "catalog/XmlCatalogue.h"
#include "platform/PathText.h"
#include "platform/Windows1252.h"

#include <QRegularExpression>

namespace filmarch {

QString storedFileName(const QString& path, std::optional<CatalogueKind> kind)
{
    // The MediaInfo library gives every line break of a value as " / ".
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QString url = path;
    url.replace(lineBreak, QStringLiteral(" / "));
    if (kind == CatalogueKind::Xml)
        url = XmlCatalogue::storedText(url);
    else if (kind == CatalogueKind::Amc)
        url = fromWindows1252(toWindows1252(url));
    return fileNamePart(url);
}

} // namespace filmarch
