#include "platform/ToolLocator.h"

#include <QDir>
#include <QFileInfo>

namespace filmarch {

namespace {
const QString kMkvmerge = QStringLiteral("mkvmerge");

QString withSeparator(QString folder)
{
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

bool holdsTool(const QString& folder)
{
    const QFileInfo tool(withSeparator(folder) + kMkvmerge);
    return tool.isFile() && tool.isExecutable();
}
} // namespace

ToolLocator::ToolLocator(QString path, QStringList folders)
    : searchPath(std::move(path)), fixedFolders(std::move(folders))
{
}

ToolLocator ToolLocator::system()
{
    return ToolLocator(
        QString::fromLocal8Bit(qgetenv("PATH")), {QStringLiteral("/usr/bin/"), QStringLiteral("/usr/local/bin/")});
}

QString ToolLocator::findMkvToolNix() const
{
    // An empty or relative PATH entry depends on the current folder: not an install folder.
    for (const QString& folder : searchPath.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(folder) && holdsTool(folder))
            return withSeparator(folder);
    for (const QString& folder : fixedFolders)
        if (!folder.isEmpty() && holdsTool(folder))
            return withSeparator(folder);
    return {};
}

} // namespace filmarch
