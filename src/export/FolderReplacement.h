#pragma once
// A result folder is written beside its destination under a hidden name and
// put in its place only once complete. An existing destination is replaced
// only when it is empty or holds an earlier export (never a folder of the
// user's own), and a failure leaves it as it was.
#include <QString>

namespace filmarch {

class FolderReplacement {
public:
    // Throws Error when the destination cannot be replaced or the folder beside
    // it cannot be made.
    explicit FolderReplacement(const QString& destination);
    ~FolderReplacement(); // removes the folder unless it took its place
    FolderReplacement(const FolderReplacement&) = delete;
    FolderReplacement& operator=(const FolderReplacement&) = delete;

    // Where to write the result.
    const QString& path() const { return temporary; }
    // Puts the written folder in the destination's place. Throws Error.
    void commit();

    // The file that marks a folder as an export that may be replaced.
    static QString markerName();

private:
    QString destination;
    QString temporary;
    bool committed = false;
};

} // namespace filmarch
