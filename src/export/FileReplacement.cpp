#include "export/FileReplacement.h"

#include "export/ExportFiles.h"
#include "platform/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>

namespace filmarch {
namespace {

QString clearedOfDeadWork(const QString& destination)
{
    // "images" held the covers of a Tellico export in earlier versions.
    for (const QString& dead : deadWorkFolders(destination, {QStringLiteral("ecriture"), QStringLiteral("images")}))
        removeTree(dead);
    for (const QString& old : oldTemporaryFiles(destination))
        QFile::remove(old);
    return destination;
}

} // namespace

FileReplacement::FileReplacement(const QString& destinationPath)
    : destination(clearedOfDeadWork(cleanDestination(destinationPath))), work(destination, "ecriture")
{
}

QString FileReplacement::path() const
{
    return QDir(work.path()).filePath(QStringLiteral("resultat"));
}

void FileReplacement::commit()
{
    syncPath(path());
    if (std::rename(QFile::encodeName(path()).constData(), QFile::encodeName(destination).constData()) != 0)
        throw Error(QStringLiteral("impossible de mettre le fichier écrit à la place de %1 : %2")
                        .arg(destination, diskReason(errno)));
    syncPath(QFileInfo(destination).absolutePath());
}

} // namespace filmarch
