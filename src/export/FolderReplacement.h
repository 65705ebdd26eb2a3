#pragma once
// A result folder is written beside its destination in a work folder and put
// in its place only once complete. An existing destination is replaced only
// when it is empty or holds an earlier export (never a folder of the user's
// own); a failure leaves it as it was. What the user put into an earlier
// export stays: only the files its marker lists are replaced.
#include "export/WorkFolder.h"

#include <QString>
#include <QStringList>

namespace filmarch {

class FolderReplacement {
public:
    // Throws Error when the destination cannot be replaced or the folder beside
    // it cannot be made. Work folders of killed exports to the same destination
    // are cleared first, the user's files in them put back.
    explicit FolderReplacement(const QString& destination);

    // Where to write the result.
    const QString& path() const { return work.path(); }
    // Puts the written folder in the destination's place and returns what the
    // user had put into the earlier export and finds again in the new one
    // (paths relative to the folder). Throws Error.
    QStringList commit();

    // The file that marks a folder as an export and lists what it wrote.
    static QString markerName();

private:
    QString destination;
    QStringList restored; // user's files found in the work folders of killed exports
    WorkFolder work;
};

} // namespace filmarch
