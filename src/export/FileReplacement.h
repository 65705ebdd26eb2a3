#pragma once
// A result file (CSV, Tellico) is written in a work folder beside its
// destination, synced, and renamed into place only once complete: a failure
// or a kill leaves the destination as it was. Work folders of killed exports
// to the same destination are removed first.
#include "export/WorkFolder.h"

#include <QString>

namespace filmarch {

class FileReplacement {
public:
    explicit FileReplacement(const QString& destination); // throws Error

    // The work folder, for what the result is made from.
    const QString& folder() const { return work.path(); }
    // Where to write the result.
    QString path() const;
    // Syncs the written file and puts it in the destination's place. Throws Error.
    void commit();

private:
    QString destination;
    WorkFolder work;
};

} // namespace filmarch
