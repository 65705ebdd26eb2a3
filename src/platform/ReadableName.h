#pragma once
// A name as text by which a file can be opened. A file whose own name is not
// valid text (bytes written by an older system) cannot be reached by a name
// given as text, which is all the MediaInfo library and the Matroska tools
// take: it is reached through a link named as the file is shown, in a private
// folder that goes with the last copy of this object. The folder's name
// carries the process that made it, so that the folders of a killed process
// can be told and removed by the next one.
#include <QByteArray>
#include <QString>

#include <memory>

class QTemporaryDir;

namespace filmarch {

class ReadableName {
public:
    ReadableName() = default;
    // `shown` is the file's name as text, `native` its bytes on disk. Throws
    // Error when no link can be made.
    ReadableName(const QString& shown, const QByteArray& native);

    // The link's name; empty when the file's own name serves.
    const QString& link() const { return linkPath; }

private:
    std::shared_ptr<QTemporaryDir> folder;
    QString linkPath;
};

// Removes from the temporary folder the link folders of this user whose
// process has ended (a killed scan leaves them). Returns how many went.
int removeOrphanedNameFolders();

} // namespace filmarch
