#include "export/FolderReplacement.h"

#include "platform/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>

namespace filmarch {
namespace {

QString besideName(const QString& destination, const char* kind)
{
    const QFileInfo info(destination);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() + QLatin1Char('.') + QLatin1String(kind)
        + QLatin1Char('-') + QString::number(QRandomGenerator::global()->generate(), 36);
}

void removeTree(const QString& path)
{
    std::error_code ignored;
    std::filesystem::remove_all(QFile::encodeName(path).toStdString(), ignored);
}

QString systemError()
{
    return systemReason(errno);
}

} // namespace

QString FolderReplacement::markerName()
{
    return QStringLiteral(".filmarch-export");
}

FolderReplacement::FolderReplacement(const QString& destinationPath)
    : destination(QFileInfo(destinationPath).absoluteFilePath())
{
    const QFileInfo target(destination);
    if (target.exists() || target.isSymLink()) {
        if (!target.isDir() || target.isSymLink())
            throw Error(QStringLiteral("%1 existe et n'est pas un dossier").arg(destination));
        const bool empty =
            QDir(destination).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        if (!empty && !QFileInfo::exists(QDir(destination).filePath(markerName())))
            throw Error(QStringLiteral("le dossier %1 n'est pas vide et ne contient pas un export précédent ; "
                                       "choisissez un dossier vide ou nouveau")
                            .arg(destination));
    }
    temporary = besideName(destination, "ecriture");
    if (!QDir().mkdir(temporary))
        throw Error(QStringLiteral("impossible de créer le dossier %1").arg(temporary));
    QFile marker(QDir(temporary).filePath(markerName()));
    if (!marker.open(QIODevice::WriteOnly)
        || marker.write("Export Filmarch : ce dossier est remplacé à chaque export.\n") < 0) {
        removeTree(temporary);
        throw Error(QStringLiteral("impossible d'écrire dans %1").arg(temporary));
    }
}

FolderReplacement::~FolderReplacement()
{
    if (!committed)
        removeTree(temporary);
}

void FolderReplacement::commit()
{
    const QByteArray from = QFile::encodeName(temporary);
    const QByteArray to = QFile::encodeName(destination);
    if (!QFileInfo::exists(destination)) {
        if (std::rename(from.constData(), to.constData()) != 0)
            throw Error(
                QStringLiteral("impossible de renommer %1 en %2 : %3").arg(temporary, destination, systemError()));
        committed = true;
        return;
    }
    // One exchange puts the new folder in place: nobody ever sees the destination missing.
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_EXCHANGE) == 0) {
        removeTree(temporary); // now the earlier export
        committed = true;
        return;
    }
    // Systems without the exchange: the earlier folder steps aside first.
    const QString old = besideName(destination, "ancien");
    if (std::rename(to.constData(), QFile::encodeName(old).constData()) != 0)
        throw Error(QStringLiteral("impossible de remplacer %1 : %2").arg(destination, systemError()));
    if (std::rename(from.constData(), to.constData()) != 0) {
        const QString reason = systemError();
        std::rename(QFile::encodeName(old).constData(), to.constData());
        throw Error(QStringLiteral("impossible de remplacer %1 : %2").arg(destination, reason));
    }
    committed = true;
    removeTree(old);
}

} // namespace filmarch
