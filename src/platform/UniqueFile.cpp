#include "platform/UniqueFile.h"

#include "platform/FileCopy.h"
#include "platform/FileDescriptor.h"
#include "platform/PathText.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace filmarch {

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
        r = withoutExtension(strFileName) + Separator + QString::number(qint32(ticks)) + exactExtension(strFileName);
    }
    return r;
}

QString freeFileName(const QString& path, const std::function<bool(const QString&)>& taken)
{
    QString r = path;
    for (int n = 2; FileOrDirExists(r) || (taken && taken(r)); ++n)
        r = withoutExtension(path) + QStringLiteral(" (%1)").arg(n) + exactExtension(path);
    return r;
}

namespace {
// Renames without ever replacing: 0, or errno (EEXIST when the name is taken).
int renameWithoutReplacing(const QByteArray& from, const QByteArray& to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without that flag: a second link cannot replace either.
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return 0;
    }
    if (errno != EPERM && errno != EOPNOTSUPP)
        return errno;
    // Nor links (FAT): the name is looked at just before.
    if (FileOrDirExists(QFile::decodeName(to)))
        return EEXIST;
    return std::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}
} // namespace

QString moveToFreeName(const QString& source, const QString& wanted, const std::function<bool(const QString&)>& taken)
{
    // A name made by someone else between the choice and the move: the next one.
    for (int tries = 0; tries < 100; ++tries) {
        const QString target = freeFileName(wanted, taken);
        const int error = renameWithoutReplacing(QFile::encodeName(source), QFile::encodeName(target));
        if (error == 0)
            return target;
        if (error != EEXIST)
            return QString();
    }
    return QString();
}

bool replaceWithCopy(const QString& source, const QString& target)
{
    // A source reached through links is copied from the file they lead to.
    const QFileInfo from(QFileInfo(source).canonicalFilePath());
    const QFileInfo to(target);
    if (from.filePath().isEmpty())
        return false;
    // A link in the copy's place is replaced by the copy, never written through.
    if (to.isSymLink() && !QFile::remove(target))
        return false;
    const auto openFolder = [](const QString& folder) {
        return FileDescriptor(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    };
    const FileDescriptor fromFolder = openFolder(from.absolutePath());
    const FileDescriptor toFolder = openFolder(to.absolutePath());
    if (!fromFolder.isOpen() || !toFolder.isOpen())
        return false;
    const std::atomic<bool> stop {false};
    return copyFileChunked(fromFolder.get(), QFile::encodeName(from.fileName()), toFolder.get(),
               QFile::encodeName(to.fileName()), stop, nullptr)
               .status
        == CopyOutcome::Copied;
}

} // namespace filmarch
