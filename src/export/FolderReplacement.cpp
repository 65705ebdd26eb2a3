#include "export/FolderReplacement.h"

#include "export/ExportFiles.h"
#include "platform/Error.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace filmarch {
namespace {

const QString markerTitle =
    QStringLiteral("Export Filmarch : les fichiers ci-dessous sont remplacés à chaque export, tout autre "
                   "fichier de ce dossier est gardé.");
const QString postersFolder = QStringLiteral("affiches");

// What an export wrote in a folder: the files its marker lists. Folders without
// a list (written by earlier versions, or killed before the list was made) are
// known by the names the page always had.
class ExportFiles {
public:
    explicit ExportFiles(const QString& folder, bool withUsualNames)
    {
        QFile marker(QDir(folder).filePath(FolderReplacement::markerName()));
        if (marker.open(QIODevice::ReadOnly)) {
            const QStringList lines = QString::fromUtf8(marker.readAll()).split(u'\n', Qt::SkipEmptyParts);
            for (qsizetype i = 1; i < lines.size(); ++i)
                listed.insert(lines[i]);
        }
        usualNames = withUsualNames || listed.isEmpty();
    }

    bool isFile(const QString& relative) const
    {
        if (relative == FolderReplacement::markerName() || listed.contains(relative))
            return true;
        if (!usualNames)
            return false;
        static const QStringList pageFiles = {QStringLiteral("index.html"), QStringLiteral("page.js"),
            QStringLiteral("page.css"), QStringLiteral("data.js")};
        if (pageFiles.contains(relative))
            return true;
        static const QRegularExpression poster(QStringLiteral("^affiches/[0-9]+\\.jpg$"));
        return poster.match(relative).hasMatch();
    }
    bool hasList() const { return !listed.isEmpty(); }
    // A folder that holds files of the export (and perhaps some of the user's).
    bool holdsFiles(const QString& relative) const
    {
        if (usualNames && relative == postersFolder)
            return true;
        const QString start = relative + QLatin1Char('/');
        return std::any_of(listed.begin(), listed.end(), [&](const QString& f) { return f.startsWith(start); });
    }

private:
    QSet<QString> listed;
    bool usualNames = false;
};

QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

bool isRealFolder(const QString& path)
{
    const QFileInfo info(path);
    return info.isDir() && !info.isSymLink();
}

QString join(const QString& relative, const QString& name)
{
    return relative.isEmpty() ? name : relative + QLatin1Char('/') + name;
}

// A name free in the new folder for a user's file that meets one of the export.
QString freeName(const QString& path)
{
    for (int n = 1;; ++n) {
        const QString candidate =
            path + QStringLiteral(" (gardé%1)").arg(n > 1 ? QStringLiteral(" %1").arg(n) : QString());
        if (!QFileInfo::exists(candidate) && !QFileInfo(candidate).isSymLink())
            return candidate;
    }
}

// Moves what is not the export's from `from` to the same place in `to`; the
// files of the export stay behind. Returns the paths moved.
QStringList moveUserFiles(const QString& from, const QString& to, const ExportFiles& ours, const QString& relative = {})
{
    QStringList moved;
    for (const QString& name : entriesOf(join(from, relative))) {
        const QString path = join(relative, name);
        const QString source = from + QLatin1Char('/') + path;
        if (ours.isFile(path))
            continue;
        if (isRealFolder(source) && ours.holdsFiles(path)) {
            moved << moveUserFiles(from, to, ours, path);
            continue;
        }
        QString target = to + QLatin1Char('/') + path;
        QDir().mkpath(QFileInfo(target).absolutePath());
        if (QFileInfo::exists(target) || QFileInfo(target).isSymLink())
            target = freeName(target);
        if (std::rename(QFile::encodeName(source).constData(), QFile::encodeName(target).constData()) == 0)
            moved << target.mid(to.size() + 1);
    }
    return moved;
}

// Removes the export's files and the folders left empty; anything else stays.
void removeExportFiles(const QString& folder, const ExportFiles& ours, const QString& relative = {})
{
    for (const QString& name : entriesOf(join(folder, relative))) {
        const QString path = join(relative, name);
        const QString full = folder + QLatin1Char('/') + path;
        if (ours.isFile(path))
            ::unlink(QFile::encodeName(full).constData());
        else if (isRealFolder(full) && ours.holdsFiles(path))
            removeExportFiles(folder, ours, path);
    }
    ::rmdir(QFile::encodeName(join(folder, relative)).constData());
}

QStringList writtenFiles(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next().mid(folder.size() + 1);
    files.removeOne(FolderReplacement::markerName());
    files.sort();
    return files;
}

// A killed export left `dead`: an unfinished result, or the earlier export it
// had just replaced with the user's files still in it.
QStringList clearDeadFolder(const QString& dead, const QString& destination)
{
    const ExportFiles ours(dead, true);
    // Killed between putting the earlier export aside and the new one in place:
    // a complete export (its marker lists its files, written last) goes back.
    if (!QFileInfo::exists(destination) && ours.hasList()
        && std::rename(QFile::encodeName(dead).constData(), QFile::encodeName(destination).constData()) == 0)
        return {};
    QStringList moved;
    if (isRealFolder(destination))
        moved = moveUserFiles(dead, destination, ours);
    removeExportFiles(dead, ours);
    return moved;
}

QString checkedDestination(const QString& destinationPath)
{
    const QString destination = cleanDestination(destinationPath);
    const QFileInfo target(destination);
    if (target.isSymLink())
        throw Error(QStringLiteral("%1 est un lien symbolique ; choisissez le dossier lui-même").arg(destination));
    if (target.exists()) {
        if (!target.isDir())
            throw Error(QStringLiteral("%1 existe et n'est pas un dossier").arg(destination));
        const bool empty =
            QDir(destination).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        if (!empty && !QFileInfo::exists(QDir(destination).filePath(FolderReplacement::markerName())))
            throw Error(QStringLiteral("le dossier %1 n'est pas vide et ne contient pas un export précédent ; "
                                       "choisissez un dossier vide ou nouveau")
                            .arg(destination));
    }
    return destination;
}

QStringList clearDeadFolders(const QString& destination)
{
    QStringList restored;
    for (const QString& dead : deadWorkFolders(destination, {QStringLiteral("ecriture"), QStringLiteral("ancien")}))
        restored << clearDeadFolder(dead, destination);
    return restored;
}

} // namespace

QString FolderReplacement::markerName()
{
    return QStringLiteral(".filmarch-export");
}

FolderReplacement::FolderReplacement(const QString& destinationPath)
    : destination(checkedDestination(destinationPath)),
      restored(clearDeadFolders(destination)),
      work(destination, "ecriture")
{
}

QStringList FolderReplacement::commit()
{
    const QString temporary = work.path();
    QFile marker(QDir(temporary).filePath(markerName()));
    const QStringList files = writtenFiles(temporary);
    work.syncAll(files);
    writeSyncedFile(marker.fileName(), (QStringList {markerTitle} + files).join(u'\n').toUtf8() + '\n');
    if (isRealFolder(QDir(temporary).filePath(postersFolder)))
        syncPath(QDir(temporary).filePath(postersFolder));
    syncPath(temporary);
    const QString parent = QFileInfo(destination).absolutePath();
    const QByteArray from = QFile::encodeName(temporary);
    const QByteArray to = QFile::encodeName(destination);
    if (!QFileInfo::exists(destination)) {
        if (std::rename(from.constData(), to.constData()) != 0)
            throw Error(
                QStringLiteral("impossible de renommer %1 en %2 : %3").arg(temporary, destination, diskReason(errno)));
        work.release();
        syncPath(parent);
        return restored;
    }
    const ExportFiles earlier(destination, false);
    QString old = temporary;
    // One exchange puts the new folder in place: nobody ever sees the destination missing.
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_EXCHANGE) != 0) {
        // Systems without the exchange: the earlier folder steps aside first.
        old = QFileInfo(destination).absolutePath() + QStringLiteral("/.") + QFileInfo(destination).fileName()
            + QStringLiteral(".ancien-") + QFileInfo(temporary).fileName().section(u'-', -1);
        if (std::rename(to.constData(), QFile::encodeName(old).constData()) != 0)
            throw Error(QStringLiteral("impossible de remplacer %1 : %2").arg(destination, diskReason(errno)));
        if (std::rename(from.constData(), to.constData()) != 0) {
            const QString reason = diskReason(errno);
            std::rename(QFile::encodeName(old).constData(), to.constData());
            throw Error(QStringLiteral("impossible de remplacer %1 : %2").arg(destination, reason));
        }
    }
    work.release();
    syncPath(parent);
    QStringList kept = restored + moveUserFiles(old, destination, earlier);
    kept.removeDuplicates();
    removeExportFiles(old, earlier);
    return kept;
}

} // namespace filmarch
