#pragma once
// The two forms a catalogue is written in, told apart once by the extension of
// its path as written: everything else asks this value, not the name again.
#include "platform/PathText.h"

#include <QString>
#include <optional>

namespace filmarch {

enum class CatalogueKind { Amc, Xml };

// The kind of catalogue `path` names by its extension, exactly ".amc" or
// ".xml"; nothing for any other name (".XML" included).
inline std::optional<CatalogueKind> catalogueKindOf(const QString& path)
{
    const QString ext = exactExtension(path);
    if (ext == QLatin1String(".amc"))
        return CatalogueKind::Amc;
    if (ext == QLatin1String(".xml"))
        return CatalogueKind::Xml;
    return std::nullopt;
}

} // namespace filmarch
