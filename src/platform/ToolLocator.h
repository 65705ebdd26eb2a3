#pragma once
// Finds the folder of the MKVToolNix programs (mkvmerge, mkvextract): first
// the folder of `mkvmerge` found on PATH, then the usual install folders.
// Tests build a locator with their own PATH and folders.
#include <QString>
#include <QStringList>

namespace filmarch {

class ToolLocator {
public:
    // searchPath: a PATH-style list separated by ':'; fixedFolders are tried
    // in order when nothing on searchPath has the tool.
    ToolLocator(QString searchPath, QStringList fixedFolders);

    // The locator of this machine: the process's PATH, then /usr/bin/ and /usr/local/bin/.
    static ToolLocator system();

    // Folder holding an executable `mkvmerge`, ending with '/'; empty when none.
    QString findMkvToolNix() const;

private:
    QString searchPath;
    QStringList fixedFolders;
};

} // namespace filmarch
