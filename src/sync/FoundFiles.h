#pragma once
// The files a listing found, in order of discovery, held compactly: each name
// once, as the bytes the system gave, side by side in one block. Trees of tens
// of thousands of files are compared in this form, and only the files left
// after the comparison become list entries.
#include "sync/SyncList.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <vector>

namespace filmarch {

class FoundFiles {
public:
    // `rootLength`: the bytes of every folder path that are the listed folder itself.
    explicit FoundFiles(int rootLength = 0) : root(rootLength) {}
    int rootLength() const { return root; }

    // A folder met, by its bytes and its text (both ending with '/'); the
    // files added with the number returned are in it.
    int addFolder(const QByteArray& nativeDir, const QString& dir);
    void add(QByteArrayView name, int folder);

    std::size_t size() const { return files.size(); }
    QByteArrayView name(std::size_t k) const { return QByteArrayView(names).sliced(files[k].start, files[k].length); }
    // The file found k-th as a list entry, its text made now.
    SyncEntry entry(std::size_t k) const;

private:
    struct Folder {
        QByteArray native;
        QString text;
    };
    struct File {
        qsizetype start; // in `names`
        int length;
        int folder;
    };
    QByteArray names;
    std::vector<File> files;
    std::vector<Folder> folders;
    int root;
};

} // namespace filmarch
