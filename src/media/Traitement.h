#pragma once
// The analysis of one film file: whether it holds video, a few measurements, the
// title fields, and the ready-made catalogue texts the writers ask for. Every
// value is the one the MediaInfo handle gives for the file open in it (the
// handle asks each once), but where the entry stands for more than the file.
#include "media/DiscFolder.h"
#include "media/MediaInfoDll.h"
#include "platform/ReadableName.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace filmarch {

class TTraitement {
public:
    // The title filter ("EFiltreTitre"), asked afresh at every cleaning so that a
    // change in the window takes effect at the next file.
    using TitleFilter = std::function<QString()>;

    // Precondition: media.New() and media.Open(NomFichier) were called.
    // Destruction calls media.Delete().
    TTraitement(const QString& NomFichier, bool ImageOnly, MesFonctionMediaInfo& media, TitleFilter titleFilter);
    ~TTraitement();
    TTraitement(const TTraitement&) = delete;
    TTraitement& operator=(const TTraitement&) = delete;

    QString URL, Resolution, Framerate;
    bool TestVideo = true;
    QString NomDuFichier, Comment, ID, LienAffiche;
    bool PremsAffiche = false, Image = false;
    QString TitreTraduit, TitreOriginal, Annee;

    // The file's own name is not valid text: the library was given `name`'s
    // link, which the tools are given too; URL stays the file's name.
    void readThrough(const ReadableName& name);
    // The file is the main title of this disc: the entry is the folder's,
    // named after it and as large as all it holds.
    void takeDiscFolder(const DiscFolder& disc);
    // What the other parts of a film in several files add to the first one.
    struct OtherPart {
        QString fileName; // beside the first part
        QString size;     // bytes, as the library gives them
        QString duration; // milliseconds, of the video else of the file
    };
    // The file is the first part of a film in several files: its length and
    // size become the sums; its other values stay its own.
    void takeOtherParts(const std::vector<OtherPart>& parts);
    // The parts of the film: 1 but for a film in several files.
    int Disks = 1;
    // The file names of the other parts, in part order.
    QStringList otherParts;
    // The name that opens the file.
    QString readPath() const { return readable.link().isEmpty() ? NomDuFichier : readable.link(); }

    QString VideoFormat() const;
    QString ListeFormatAudio() const;
    QString ListeLanguagesAudio() const;
    QString ListeLangauagesSousTitre() const;
    QString Lengths() const;      // whole minutes; throws ConversionError on an unreadable duration
    double lengthSeconds() const; // exact, to the millisecond; -1 when unknown or unreadable
    QString size() const;         // whole mebibytes; throws ConversionError on an unreadable size
    QString VideoBitrate() const;
    QString AudioBitrate() const;
    // Asks the handle now for every value above, so that they can be read
    // later without waiting for the library (a value that cannot be read is
    // asked again then).
    void readEveryValue() const;

    // Fills TitreTraduit, TitreOriginal and Annee from the file name and title
    // tag, reading the title filter afresh; returns TitreTraduit.
    QString Titre();
    // Drops the filter words and separators from a name.
    QString Nettoyer(const QString& chaine) const;
    // The year in a text: the rightmost four-digit group starting with 2, else with 1.
    static QString AnneeTitre(const QString& chainedepart);

private:
    QString get(TMIStreamKind kind, int number, const QString& parameter) const;
    QString duration() const; // milliseconds as the library gives them, of the video else of the file
    // Number of streams of a kind from the General stream's count (0 when empty).
    int streamCount(const QString& countParameter) const;

    MesFonctionMediaInfo& media;
    TitleFilter titleFilter;
    ReadableName readable;
    // The entry's own values where it stands for more than the file: a disc
    // folder's name and size, the sums of a film's parts.
    QHash<QString, QString> adjusted;
};

} // namespace filmarch
