#include "sync/FoundFiles.h"

#include <QFile>

namespace filmarch {

int FoundFiles::addFolder(const QByteArray& nativeDir, const QString& dir)
{
    folders.push_back({nativeDir, dir});
    return static_cast<int>(folders.size()) - 1;
}

void FoundFiles::add(QByteArrayView name, int folder)
{
    files.push_back({names.size(), static_cast<int>(name.size()), folder});
    names.append(name);
}

SyncEntry FoundFiles::entry(std::size_t k) const
{
    const QByteArray native = name(k).toByteArray();
    const Folder& f = folders[static_cast<std::size_t>(files[k].folder)];
    return SyncEntry {QFile::decodeName(native), f.text, false, native, f.native, root};
}

} // namespace filmarch
