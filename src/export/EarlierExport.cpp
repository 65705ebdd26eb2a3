#include "export/EarlierExport.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <sys/stat.h>

namespace filmarch {
namespace {

QString noteOf(const QString& destination)
{
    const QFileInfo info(destination);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".filmarch-export");
}

// What tells the file apart from any other version of it: a save by any
// program gives another inode or time of change.
QByteArray identity(const QString& destination, const QString& cataloguePath)
{
    struct stat file {};
    if (::lstat(QFile::encodeName(destination).constData(), &file) != 0 || !S_ISREG(file.st_mode))
        return {};
    const QString catalogue = QFileInfo(cataloguePath).canonicalFilePath();
    return "Export Filmarch du catalogue :\n" + catalogue.toUtf8() + '\n' + QByteArray::number(qint64(file.st_ino))
        + ' ' + QByteArray::number(qint64(file.st_size)) + ' ' + QByteArray::number(qint64(file.st_mtim.tv_sec)) + '.'
        + QByteArray::number(qint64(file.st_mtim.tv_nsec)) + '\n';
}

} // namespace

bool isUnchangedExport(const QString& destination, const QString& cataloguePath)
{
    QFile note(noteOf(destination));
    if (QFileInfo(note.fileName()).isSymLink() || !note.open(QIODevice::ReadOnly))
        return false;
    const QByteArray expected = identity(destination, cataloguePath);
    return !expected.isEmpty() && note.read(4096) == expected;
}

void noteExport(const QString& destination, const QString& cataloguePath)
{
    // Without the note, the next export asks before replacing: nothing is lost.
    QSaveFile note(noteOf(destination));
    if (QFileInfo(note.fileName()).isSymLink())
        return;
    if (note.open(QIODevice::WriteOnly)) {
        note.write(identity(destination, cataloguePath));
        note.commit();
    }
}

} // namespace filmarch
