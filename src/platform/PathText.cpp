#include "platform/PathText.h"

#include <algorithm>

namespace filmarch {

QString fileNamePart(const QString& path)
{
    const qsizetype cut = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(cut + 1);
}

QString exactExtension(const QString& path)
{
    const QString name = fileNamePart(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

QString withoutExtension(const QString& path)
{
    return path.chopped(exactExtension(path).size());
}

} // namespace filmarch
