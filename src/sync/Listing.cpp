#include "sync/Listing.h"

#include "platform/Error.h"
#include "platform/FileCopy.h"

#include <QFile>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace filmarch {

int checkedCount(const SyncList& list)
{
    return static_cast<int>(std::count_if(list.begin(), list.end(), [](const SyncEntry& e) { return e.checked; }));
}

namespace {

struct Walk {
    bool sousRep;
    int rootLength;
    FolderId other;
    std::deque<SyncEntry> found; // in order of discovery (a deque: no entry moved as it grows)
    std::vector<UnreadablePath> unreadable;
    SyncList links;
    bool metOther = false;

    // Lists the open folder `fd`, whose path is `nativeDir`; takes it over.
    void folder(int fd, const QByteArray& nativeDir, const QString& dir)
    {
        DIR* d = fd >= 0 ? ::fdopendir(fd) : nullptr;
        if (!d) {
            unreadable.push_back({dir, systemReason(errno)});
            if (fd >= 0)
                ::close(fd);
            return;
        }
        for (;;) {
            errno = 0;
            const dirent* e = ::readdir(d);
            if (!e) {
                // An input/output error or a mount gone stale half-way.
                if (errno != 0)
                    unreadable.push_back({dir, systemReason(errno)});
                break;
            }
            const QByteArray name(e->d_name);
            if (name == "." || name == ".." || isCopyTemporary(name))
                continue;
            unsigned char type = e->d_type;
            if (type == DT_UNKNOWN) {
                struct stat st {};
                if (::fstatat(::dirfd(d), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
                    // A file or a folder: either way something is missing.
                    unreadable.push_back({dir + QFile::decodeName(name), systemReason(errno)});
                    continue;
                }
                type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISLNK(st.st_mode) ? DT_LNK : DT_REG;
            }
            if (type == DT_LNK) {
                links.push_back(SyncEntry {QFile::decodeName(name), dir, false, name, nativeDir, rootLength});
                continue;
            }
            if (type == DT_DIR) {
                subFolder(::dirfd(d), name, nativeDir, dir);
                continue;
            }
            found.push_back(SyncEntry {QFile::decodeName(name), dir, false, name, nativeDir, rootLength});
        }
        ::closedir(d);
    }

    void subFolder(int parent, const QByteArray& name, const QByteArray& nativeDir, const QString& dir)
    {
        if (!sousRep) {
            struct stat st {};
            if (::fstatat(parent, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && isOther({st.st_dev, st.st_ino}))
                metOther = true;
            return;
        }
        const QString path = dir + QFile::decodeName(name) + QLatin1Char('/');
        // Opened without following: a folder swapped for a link meanwhile is not entered.
        const int fd = ::openat(parent, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            unreadable.push_back({path, systemReason(errno)});
            return;
        }
        if (isOther(folderId(fd))) {
            metOther = true;
            ::close(fd);
            return;
        }
        folder(fd, nativeDir + name + '/', path);
    }

    bool isOther(const FolderId& id) const { return other != FolderId {} && id == other; }
};

} // namespace

ListingResult Listing(const QString& chemin, SyncList& list, bool sousRep, FolderId other)
{
    QString dir = chemin;
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    const QByteArray nativeDir = QFile::encodeName(dir);
    Walk walk {sousRep, static_cast<int>(nativeDir.size()), other, {}, {}, {}, false};
    walk.folder(openFolder(nativeDir).release(), nativeDir, dir);
    // Each entry goes on top of the list: the last one found ends first.
    list.insert(list.begin(), std::make_move_iterator(walk.found.rbegin()), std::make_move_iterator(walk.found.rend()));
    return {static_cast<int>(walk.found.size()), std::move(walk.unreadable), std::move(walk.links), walk.metOther};
}

void setAsideLinked(SyncList& list, const SyncList& links)
{
    if (links.empty())
        return;
    QSet<QByteArray> names, places;
    for (const SyncEntry& link : links) {
        names.insert(link.nativeName);
        places.insert(link.relativeFolder() + link.nativeName);
    }
    const auto linked = [&](const SyncEntry& e) {
        if (names.contains(e.nativeName))
            return true;
        // Each folder above the entry, "SF", "SF/deux" and so on.
        const QByteArray folder = e.relativeFolder();
        for (qsizetype slash = folder.indexOf('/'); slash >= 0; slash = folder.indexOf('/', slash + 1))
            if (places.contains(folder.left(slash)))
                return true;
        return false;
    };
    list.erase(std::remove_if(list.begin(), list.end(), linked), list.end());
}

void Comparaison(SyncList& list1, SyncList& list2)
{
    // For each name, the positions of list2 from the highest down, as a chain:
    // head[name] is the highest one still free, next[j] the one below j.
    QHash<QByteArray, int> head;
    head.reserve(static_cast<qsizetype>(list2.size()));
    std::vector<int> next(list2.size(), -1);
    for (int j = 0; j < static_cast<int>(list2.size()); ++j) {
        int& h = head[list2[j].nativeName];
        next[j] = h - 1;
        h = j + 1; // stored plus one: a new key reads 0, "none"
    }

    std::vector<bool> gone1(list1.size()), gone2(list2.size());
    for (int i = static_cast<int>(list1.size()) - 1; i >= 0; --i) {
        const auto it = head.find(list1[i].nativeName);
        if (it == head.end() || it.value() == 0)
            continue;
        const int j = it.value() - 1;
        it.value() = next[j] + 1;
        gone1[i] = true;
        gone2[j] = true;
    }

    const auto compact = [](SyncList& list, const std::vector<bool>& gone) {
        std::size_t out = 0;
        for (std::size_t k = 0; k < list.size(); ++k)
            if (!gone[k])
                list[out++] = std::move(list[k]);
        list.erase(list.begin() + static_cast<std::ptrdiff_t>(out), list.end());
    };
    compact(list1, gone1);
    compact(list2, gone2);
}

} // namespace filmarch
