#pragma once
// Adds records at the end of a file that stays whole between additions: a
// failed addition (a full disk) takes the file back to its last whole length.
#include "platform/FileDescriptor.h"

#include <QByteArray>
#include <QString>

#include <sys/types.h>

namespace filmarch {

class AppendFile {
public:
    AppendFile() = default;
    ~AppendFile() { close(); }
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    // Opens `path` (through links) to add to it; its present length is whole.
    // Throws Error.
    void open(const QString& path);
    bool isOpen() const { return fd.isOpen(); }
    // Adds `bytes` at the end. Throws Error, the file cut back to what it was.
    void append(const QByteArray& bytes);
    // Forces what was added to the disk (failures ignored: the file is whole).
    void sync();
    void close();

    qint64 size() const { return length; }
    dev_t device() const { return dev; }
    ino_t inode() const { return ino; }

private:
    FileDescriptor fd;
    qint64 length = 0;
    dev_t dev = 0;
    ino_t ino = 0;
};

// Cuts the file at `path` to `size` bytes. Throws Error.
void truncateFile(const QString& path, qint64 size);

} // namespace filmarch
