#pragma once
// Runs the MKVToolNix programs on a Matroska file: mkvmerge lists its
// attachments into the analysed file, mkvextract writes the chosen picture to
// the poster folder.
#include "media/Traitement.h"
#include "platform/DosCommand.h"

#include <functional>

namespace filmarch {

struct MkvToolSettings {
    QString CheminMkvToolNix;                        // folder of the tools, ending with '/'
    QString EdRepAffiche;                            // poster folder, created when missing
    std::function<void(const QString&)> EcritureLog; // a line of the scan log
    TErrorBox errorBox;                              // where the runner reports a tool it cannot start
    TErrorBox extractErrorBox;                       // where a mkvextract that cannot start is also reported
    int silenceLimit = 60;                           // seconds: a mkvmerge silent that long is ended
    // False when the poster is only passed on (the AMC catalogue stores it): it
    // keeps a temporary name of its own and no file of the folder is replaced.
    bool replacePoster = true;
};

// Lists the attachments of Fichier.NomDuFichier with mkvmerge -i into Comment,
// ID and PremsAffiche. A mkvmerge ended by the silence limit leaves them as they were.
void LanceMkvmerge(TTraitement& Fichier, const MkvToolSettings& tools);

// Extracts attachment Fichier.ID into the poster folder as TitreTraduit + ".jpg"
// and sets LienAffiche to that path. The poster is written under a temporary
// name and takes the place of an older one only once mkvextract has succeeded;
// otherwise LienAffiche is left as it was. When mkvextract cannot be started,
// the log says so, and extractErrorBox gets "<command line> doesn't exist.".
void LanceMkvextract(TTraitement& Fichier, const MkvToolSettings& tools);

// Starts a program from its name and arguments, with its standard streams on
// /dev/null, and waits for its end in a nested event loop. `Appli` is the command
// line shown to the user. Returns the exit code; throws Error when the program
// cannot be started.
int LanceAppliAttenteFin(
    const QString& Appli, const QString& program, const QStringList& arguments, const QStringList& environment = {});

// Path of the poster of a title in a folder: a "/" in the title cannot lead out of the folder.
QString mkvPosterPath(const QString& folder, const QString& title);

// Environment changes for the tools: they read and print file names in the
// locale's encoding, so a locale that is not UTF-8 gets C.UTF-8.
QStringList mkvToolEnvironment();

} // namespace filmarch
