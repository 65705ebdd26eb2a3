#include "platform/AppendFile.h"

#include "platform/Error.h"
#include "platform/SafeFile.h"
#include "platform/WriteAll.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/falloc.h>
#include <sys/stat.h>
#include <unistd.h>

namespace filmarch {

namespace {
} // namespace

void AppendFile::open(const QString& path)
{
    close();
    const QByteArray name = resolvedFileName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) == 0 && !(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)))
        throw Error(QStringLiteral("le fichier est en lecture seule"));
    FileDescriptor f(::open(name.constData(), O_WRONLY | O_CLOEXEC));
    if (!f.isOpen())
        throw Error(systemReason(errno));
    if (::fstat(f.get(), &st) != 0 || !S_ISREG(st.st_mode))
        throw Error(QStringLiteral("n'est pas un fichier"));
    fd = std::move(f);
    length = st.st_size;
    dev = st.st_dev;
    ino = st.st_ino;
}

void AppendFile::append(const QByteArray& bytes)
{
    if (!fd.isOpen())
        throw Error(QStringLiteral("fichier non ouvert"));
    // The room is taken first, without making the file longer: a full disk
    // is found before a byte is added, and a kill never leaves zeros behind.
    if (::fallocate(fd.get(), FALLOC_FL_KEEP_SIZE, length, bytes.size()) != 0 && errno != EOPNOTSUPP
        && errno != ENOSYS) {
        const int error = errno;
        if (::ftruncate(fd.get(), length) != 0) {
            // The failure said is the first one.
        }
        throw Error(systemReason(error));
    }
    if (const int error = writeAllAt(fd.get(), bytes, length)) {
        if (::ftruncate(fd.get(), length) != 0) {
            // The failure said is the first one.
        }
        throw Error(systemReason(error));
    }
    length += bytes.size();
}

void AppendFile::sync()
{
    if (fd.isOpen())
        (void)::fdatasync(fd.get());
}

void AppendFile::close()
{
    fd.reset();
    length = 0;
}

void truncateFile(const QString& path, qint64 size)
{
    if (::truncate(resolvedFileName(path).constData(), size) != 0)
        throw Error(systemReason(errno));
}

} // namespace filmarch
