#pragma once
// Where the program keeps its files. What it ships (the MediaInfo library link,
// Vide.jpeg) lies beside the executable. What it writes (options.ini, the log
// folder, the stored film-database answers and thumbnails) goes there too when
// that folder may be written (the build folder, a portable copy); an installed
// program writes into the user's folders instead, as Linux programs do.
#include <QProcessEnvironment>
#include <QString>

namespace filmarch {

class AppPaths {
public:
    AppPaths() = default;
    AppPaths(QString programDir, QString settingsDir, QString stateDir);
    // Every file beside the program in `programDir`.
    static AppPaths beside(const QString& programDir);
    // Beside the program when its folder may be written by this user, else
    // settings in $XDG_CONFIG_HOME/filmarch and the rest in
    // $XDG_STATE_HOME/filmarch (~/.config and ~/.local/state by default).
    static AppPaths forProgram(
        const QString& programDir, const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment());

    // The folder of the executable: the files the program ships.
    const QString& programDir() const { return program; }
    // options.ini lives here.
    const QString& settingsDir() const { return settings; }
    // The log folder, ListeRecherche.xml, InfosFilm.xml and images/ live here.
    const QString& stateDir() const { return state; }

    QString optionsIni() const;
    QString logFolder() const;
    QString shippedFile(const QString& name) const;
    QString stateFile(const QString& name) const;
    bool besideProgram() const { return settings == program && state == program; }

private:
    QString program;
    QString settings;
    QString state;
};

// True when this user may create files in `folder`. The folder's own
// permission bits decide, even for root: a folder that says it is read-only
// is an installed one.
bool mayWriteFolder(const QString& folder);

} // namespace filmarch
