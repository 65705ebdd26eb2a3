#pragma once
// Runs the MKVToolNix programs on a Matroska file: mkvmerge lists its
// attachments into the analysed file, mkvextract writes the chosen picture to
// the poster folder.
#include "media/Traitement.h"
#include "platform/ToolRun.h"

#include <chrono>
#include <functional>

namespace filmarch {

// Bounds of one run of a tool; zero means none.
struct ToolLimits {
    std::chrono::milliseconds total {0};   // the whole run
    std::chrono::milliseconds silence {0}; // without any output
};

// Shows a message to the user.
using TErrorBox = std::function<void(const QString& message)>;

// Every callback is called on the calling thread before the call that uses it
// returns. A call uses only its own objects, so calls may run at once on
// several threads.
struct MkvToolSettings {
    QString CheminMkvToolNix;                        // folder of the tools, ending with '/'
    QString EdRepAffiche;                            // poster folder, created when missing
    std::function<void(const QString&)> EcritureLog; // a line of the scan log
    TErrorBox errorBox;                              // where the runner reports a tool it cannot start
    TErrorBox extractErrorBox;                       // where a mkvextract that cannot start is also reported
    // The run's stop flag ("Stop", Ctrl-C), asked while a tool runs: true ends the tool.
    std::function<bool()> stopRequested;
    ToolLimits mkvmergeLimits {std::chrono::minutes(5), std::chrono::minutes(1)};
    ToolLimits mkvextractLimits {std::chrono::minutes(5), std::chrono::minutes(2)};
    qint64 maxListingBytes = 8 << 20;    // mkvmerge's identification of one file
    qsizetype maxCommentText = 32 << 10; // characters the attachment names may add to the comments
    // False when the poster is only passed on (the AMC catalogue stores it): it
    // keeps a temporary name of its own and no file of the folder is replaced.
    bool replacePoster = true;
};

// Lists the attachments of Fichier.NomDuFichier with mkvmerge -J into Comment,
// ID and PremsAffiche. A mkvmerge ended by a limit or a stop, or a listing
// longer than maxCommentText, leaves them as they were and logs one line.
void LanceMkvmerge(TTraitement& Fichier, const MkvToolSettings& tools);

// Extracts attachment Fichier.ID into the poster folder as TitreTraduit + ".jpg"
// and sets LienAffiche to that path. The poster is written under a temporary
// name and takes the place of an older one only once mkvextract has succeeded;
// otherwise LienAffiche is left as it was. When mkvextract cannot be started,
// the log says so, and extractErrorBox gets "<command line> doesn't exist.";
// when a limit or a stop ends it, the log says so.
void LanceMkvextract(TTraitement& Fichier, const MkvToolSettings& tools);

// Starts a program from its name and arguments, its input on /dev/null and
// its output read and dropped, and waits for its end. `Appli` is the command
// line shown to the user. A limit passed or a stop requested ends the program.
// Throws Error when the program cannot be started.
ToolRun LanceAppliAttenteFin(const QString& Appli, const QString& program, const QStringList& arguments,
    const QStringList& environment = {}, const ToolLimits& limits = {},
    const std::function<bool()>& stopRequested = {});

// Path of the poster of a title in a folder: a "/" in the title cannot lead out of the folder.
QString mkvPosterPath(const QString& folder, const QString& title);

// Environment changes for the tools: they read and print file names in the
// locale's encoding, so a locale that is not UTF-8 gets C.UTF-8.
QStringList mkvToolEnvironment();

} // namespace filmarch
