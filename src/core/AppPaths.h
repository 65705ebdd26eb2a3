#pragma once
// Where the program finds what it ships and keeps what it writes. Run from the
// build folder (or a folder a user unpacked it into) everything lies beside the
// executable. Installed (<prefix>/lib/filmarch/ with <prefix>/bin/ and
// <prefix>/share/ beside it), it never writes under its prefix: settings, log,
// cache and posters go to the user's XDG folders, root's included.
#include <QProcessEnvironment>
#include <QString>

namespace filmarch {

class AppPaths {
public:
    struct Folders {
        QString program;  // the executable's folder
        QString shared;   // what the program ships (Vide.jpeg)
        QString settings; // options.ini
        QString state;    // the log folder
        QString cache;    // the stored film-database answers and the lookup thumbnails
        QString posters;  // the default poster folder
    };

    AppPaths() = default;
    explicit AppPaths(Folders folders) : folders(std::move(folders)) {}
    // Every file beside the program in `programDir`; posters in ~/Affiches.
    static AppPaths beside(const QString& programDir);
    // The XDG folders for an installed layout, else beside the program.
    static AppPaths forProgram(
        const QString& programDir, const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());
    // True when `programDir` is <prefix>/lib/filmarch and <prefix> holds bin/ and share/.
    static bool isInstalledLayout(const QString& programDir);

    const QString& programDir() const { return folders.program; }
    const QString& settingsDir() const { return folders.settings; }
    const QString& stateDir() const { return folders.state; }
    const QString& cacheDir() const { return folders.cache; }
    const QString& posterDir() const { return folders.posters; }

    QString optionsIni() const;
    QString logFolder() const;
    QString shippedFile(const QString& name) const;
    QString cacheFile(const QString& name) const;
    bool besideProgram() const;

    // The MediaInfo library: the system's, found by the dynamic loader from its
    // soname, unless another file is named (a test's broken library).
    QString mediaInfoLibrary() const;
    AppPaths withMediaInfoLibrary(const QString& library) const;

private:
    Folders folders;
    QString mediaInfo;
};

} // namespace filmarch
