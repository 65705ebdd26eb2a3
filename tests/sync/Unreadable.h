#pragma once
// A folder that cannot be read. Permissions do not stop root, and the suite
// runs as root: the steps that must meet such a folder run as "nobody" (the
// effective user and group only, given back when the guard ends). Under any
// other user, the folder's own permissions do it and no identity changes.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QString>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace filmarch::test {

class AsNobody {
public:
    AsNobody()
    {
        if (::geteuid() != 0)
            return;
        const passwd* nobody = ::getpwnam("nobody");
        switched = nobody && ::setegid(nobody->pw_gid) == 0;
        if (switched && ::seteuid(nobody->pw_uid) != 0) {
            switched = false;
            if (::setegid(0) != 0)
                std::abort(); // the tests would go on under another group
        }
        refused = !switched;
    }
    ~AsNobody()
    {
        if (switched && (::seteuid(0) != 0 || ::setegid(0) != 0))
            std::abort(); // the tests would go on as nobody
    }
    AsNobody(const AsNobody&) = delete;
    AsNobody& operator=(const AsNobody&) = delete;

    // True when the folders made unreadable would still be read (root without
    // the right to change its identity): the caller skips its test.
    bool refused = false;

private:
    bool switched = false;
};

// Everything below `folder`, and the folder itself, open to every user, so
// that the steps run as nobody reach what they must.
inline void openToEveryone(const QString& folder)
{
    ::chmod(QFile::encodeName(folder).constData(), 0777);
    QDirIterator it(
        folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QByteArray p = QFile::encodeName(it.next());
        struct stat st {};
        if (::lstat(p.constData(), &st) != 0 || S_ISLNK(st.st_mode))
            continue;
        const bool runnable = S_ISDIR(st.st_mode) || (st.st_mode & S_IXUSR);
        ::chmod(p.constData(), runnable ? 0777 : 0666);
    }
}

// A folder nobody but root may list, made readable again when the guard ends
// so that the temporary folder can be removed whoever runs the test.
class UnreadableFolder {
public:
    explicit UnreadableFolder(const QString& path) : native(QFile::encodeName(path)) { ::chmod(native.constData(), 0); }
    ~UnreadableFolder() { ::chmod(native.constData(), 0755); }
    UnreadableFolder(const UnreadableFolder&) = delete;
    UnreadableFolder& operator=(const UnreadableFolder&) = delete;

private:
    QByteArray native;
};

} // namespace filmarch::test
