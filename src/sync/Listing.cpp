#include "sync/Listing.h"

#include "platform/Error.h"
#include "platform/FileCopy.h"

#include <QFile>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace filmarch {

int checkedCount(const SyncList& list)
{
    return static_cast<int>(std::count_if(list.begin(), list.end(), [](const SyncEntry& e) { return e.checked; }));
}

void removeMarked(SyncList& list, const std::vector<bool>& gone)
{
    std::size_t out = 0;
    for (std::size_t k = 0; k < list.size(); ++k)
        if (!gone[k])
            list[out++] = std::move(list[k]);
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(out), list.end());
}

namespace {

struct Walk {
    bool sousRep;
    FolderId other;
    FoundFiles& found;
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
        const int here = found.addFolder(nativeDir, dir);
        for (;;) {
            errno = 0;
            const dirent* e = ::readdir(d);
            if (!e) {
                // An input/output error or a mount gone stale half-way.
                if (errno != 0)
                    unreadable.push_back({dir, systemReason(errno)});
                break;
            }
            const QByteArrayView name(e->d_name);
            if (name == "." || name == ".." || isCopyTemporary(name))
                continue;
            unsigned char type = e->d_type;
            if (type == DT_UNKNOWN) {
                struct stat st {};
                if (::fstatat(::dirfd(d), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
                    // A file or a folder: either way something is missing.
                    unreadable.push_back({dir + QFile::decodeName(e->d_name), systemReason(errno)});
                    continue;
                }
                type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISLNK(st.st_mode) ? DT_LNK : DT_REG;
            }
            if (type == DT_LNK) {
                const QByteArray native = name.toByteArray();
                links.push_back(
                    SyncEntry {QFile::decodeName(native), dir, false, native, nativeDir, found.rootLength()});
                continue;
            }
            if (type == DT_DIR) {
                subFolder(::dirfd(d), name.toByteArray(), nativeDir, dir);
                continue;
            }
            found.add(name, here);
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

ListingResult listFiles(const QString& chemin, FoundFiles& found, bool sousRep, FolderId other)
{
    QString dir = chemin;
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    const QByteArray nativeDir = QFile::encodeName(dir);
    found = FoundFiles(static_cast<int>(nativeDir.size()));
    Walk walk {sousRep, other, found, {}, {}, false};
    walk.folder(openFolder(nativeDir).release(), nativeDir, dir);
    return {static_cast<int>(found.size()), std::move(walk.unreadable), std::move(walk.links), walk.metOther};
}

ListingResult Listing(const QString& chemin, SyncList& list, bool sousRep, FolderId other)
{
    FoundFiles found;
    ListingResult result = listFiles(chemin, found, sousRep, other);
    // Each entry goes on top of the list: the last one found ends first.
    SyncList listed;
    listed.reserve(found.size());
    for (std::size_t k = found.size(); k-- > 0;)
        listed.push_back(found.entry(k));
    list.insert(list.begin(), std::make_move_iterator(listed.begin()), std::make_move_iterator(listed.end()));
    return result;
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

namespace {

// The pairing of two lists of names, by their places: `name1(i)` is the name
// at place i of the first list, `name2(j)` at place j of the second. Marks
// the pairs gone in `gone1` and `gone2`, sized to the lists.
template <class Name1, class Name2>
void pairOff(const Name1& name1, std::vector<bool>& gone1, const Name2& name2, std::vector<bool>& gone2)
{
    // For each name, the places of the second list from the highest down, as
    // a chain: head[name] is the highest one still free, next[j] the one below j.
    const int n2 = static_cast<int>(gone2.size());
    QHash<QByteArrayView, int> head;
    head.reserve(n2);
    std::vector<int> next(gone2.size(), -1);
    for (int j = 0; j < n2; ++j) {
        int& h = head[name2(j)];
        next[j] = h - 1;
        h = j + 1; // stored plus one: a new key reads 0, "none"
    }
    for (int i = static_cast<int>(gone1.size()) - 1; i >= 0; --i) {
        const auto it = head.find(name1(i));
        if (it == head.end() || it.value() == 0)
            continue;
        const int j = it.value() - 1;
        it.value() = next[j] + 1;
        gone1[i] = true;
        gone2[j] = true;
    }
}

} // namespace

void Comparaison(SyncList& list1, SyncList& list2)
{
    std::vector<bool> gone1(list1.size()), gone2(list2.size());
    const auto nameIn = [](const SyncList& list) {
        return [&list](int k) { return QByteArrayView(list[static_cast<std::size_t>(k)].nativeName); };
    };
    pairOff(nameIn(list1), gone1, nameIn(list2), gone2);
    removeMarked(list1, gone1);
    removeMarked(list2, gone2);
}

void Comparaison(const FoundFiles& found1, const FoundFiles& found2, SyncList& list1, SyncList& list2)
{
    // Place k of a side's list holds the file found last but k.
    const auto nameIn = [](const FoundFiles& found) {
        return [&found](int k) { return found.name(found.size() - 1 - static_cast<std::size_t>(k)); };
    };
    std::vector<bool> gone1(found1.size()), gone2(found2.size());
    pairOff(nameIn(found1), gone1, nameIn(found2), gone2);
    const auto left = [](const FoundFiles& found, const std::vector<bool>& gone) {
        SyncList list;
        list.reserve(static_cast<std::size_t>(std::count(gone.begin(), gone.end(), false)));
        for (std::size_t k = 0; k < gone.size(); ++k)
            if (!gone[k])
                list.push_back(found.entry(found.size() - 1 - k));
        return list;
    };
    list1 = left(found1, gone1);
    list2 = left(found2, gone2);
}

} // namespace filmarch
