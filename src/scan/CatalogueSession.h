#pragma once
// The catalogue a run writes, with one owner: its lock, the open AMC file, the
// list or document in memory, and the names it already holds. Writers add
// through it; the run decides when it is prepared, saved and released.
#include "platform/AppendFile.h"
#include "platform/CatalogueLock.h"
#include "scan/CatalogueKind.h"
#include "scan/EntryMapping.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <set>

namespace filmarch {

class UserDialogs;
class TMovie;
class TMovieList;
class XmlCatalogue;

class CatalogueSession {
public:
    // Refusals are told to the user through `dialogs`.
    explicit CatalogueSession(UserDialogs& dialogs);
    ~CatalogueSession();
    CatalogueSession(const CatalogueSession&) = delete;
    CatalogueSession& operator=(const CatalogueSession&) = delete;

    // Validates and loads the catalogue to complete at `path`. Returns its
    // number of entries, or -1 (with a message when the file was unusable or
    // is being written by another run; without one for an empty path or
    // another extension). A catalogue that does not load to its end is refused.
    // With `tellBusy` false, a catalogue that another run is writing is
    // refused without a message (inUse() then says so).
    int validate(const QString& path, bool tellBusy = true);
    // True when the last validation was refused because another run writes the catalogue.
    bool inUse() const { return busy; }

    enum class Preparation {
        Ready,
        Refused,     // the user was told; nothing changed
        Unusable,    // the catalogue to complete no longer validates (the user was told)
        NotWritable, // the catalogue cannot be replaced: notWritableReason() says why
    };
    // Makes `path` the catalogue being written, as it is on disk now: locked,
    // cleared of what killed runs left, loaded again when `completing` and
    // changed since its validation, and backed up when it is an AMC file.
    Preparation prepare(const QString& path, bool completing);
    QString notWritableReason() const { return reason; }
    // The kind of the catalogue being written, decided by prepare(); nothing
    // for a name of neither kind, to which no entry is written.
    std::optional<CatalogueKind> kind() const { return writtenKind; }
    // Entries held when the run started.
    int loadedCount() const { return startCount; }
    // True when the loaded catalogue holds a file of that stored name.
    bool isCatalogued(const QString& storedName) const { return cataloguedNames.contains(storedName); }
    // True when an entry of the loaded catalogue names that file as one of
    // the other parts of its film.
    bool isCataloguedPart(const QString& fileName) const { return catalogueParts.contains(fileName); }

    // Adds `entry`, whole with its picture, under the lowest free number, and
    // appends it to the file; its extra fields are read with the catalogue's
    // definitions. Returns the reason of a failed save (the entry then stays
    // in memory only), nothing once saved.
    std::optional<QString> addAmcEntry(TMovie entry);

    // The number of the next XML entry: one no entry has (the entries of a
    // completed catalogue need not be numbered 1 to n). A new catalogue gets
    // its document here, at its first entry.
    int nextXmlNumber();
    // Appends one Movie element with these attributes.
    void appendXmlMovie(const XmlAttributes& attributes);
    // True when an XML entry names that picture file (a poster whose file may
    // be gone keeps its name all the same).
    bool isPictureOfEntry(const QString& path) const;
    // Writes the XML document to the catalogue (nothing for an AMC file, whose
    // entries are saved one by one), then removes the pending entries it took.
    // Throws Error.
    void saveXml();

    // Entries analysed for an XML catalogue whose save failed are kept in a
    // catalogue of their own beside it ("films.xml": "films.en-attente.xml"),
    // small enough to fit where the whole catalogue did not, and openable as
    // any catalogue. The next run writing that catalogue takes them first.
    static QString pendingFileOf(const QString& catalogueFile);
    // Entries taken from the pending file at the preparation, and why a
    // pending file there was left as it was (empty when none was).
    int pendingTaken() const { return takenCount; }
    QString pendingProblem() const { return pendingRefusal; }
    // True when a taken pending entry is of a file of that stored name, or
    // names it as one of its film's other parts: the file was analysed already.
    bool isPending(const QString& storedName) const { return pendingNames.contains(storedName); }
    // Writes the entries this run added to the XML document (the pending ones
    // it took included) to the pending file, replacing it. Returns their
    // number. Throws Error.
    int keepUnsaved();

    // Ends the writing: the AMC file forced to disk and closed, the lock given
    // back, and what was held in memory dropped.
    void finish();
    // Drops the catalogue held in memory, if any.
    void release();
    bool holdsCatalogue() const { return MovieList || XMLDoc; }

private:
    int loadAmc(const QString& path);
    void saveAmcEntry(const TMovie& NewMovie);
    int firstFreeNumber();
    void notePicture(const QString& picture, const QString& catalogueFile);
    void takePending();

    // What a file was when it was read: a catalogue that kept it was not changed since.
    struct FileStamp {
        quint64 device = 0, inode = 0;
        qint64 size = -1, seconds = 0, nanoseconds = 0;
        static FileStamp of(const QString& path);
        bool operator==(const FileStamp&) const = default;
    };

    UserDialogs& dialogs;
    CatalogueLock catalogueLock; // held from the preparation to the end of the run
    bool busy = false;
    AppendFile amcFile; // the AMC catalogue, to which each new entry is added
    // The AMC catalogue: a list loaded whole only when it must be written whole
    // again (an older version); else its properties and the new entries, the
    // loaded entries being known by their numbers and names.
    std::unique_ptr<TMovieList> MovieList;
    std::unique_ptr<XmlCatalogue> XMLDoc;
    int iHeader = 0;
    int amcEntries = 0;       // entries of the loaded AMC file
    qint64 loadedSize = 0;    // its length, 0 when no file was loaded
    bool loadedWhole = false; // the list holds its entries (and pictures)
    std::set<int> usedNumbers;
    int freeFrom = 1; // no number below it is free
    QStringList FichierPresent;
    QString loadedCatalogue; // path whose content is held in memory
    FileStamp loadedStamp;
    QSet<QString> cataloguedNames; // file-name parts of the loaded catalogue's URLs
    QSet<QString> catalogueParts;  // the other parts its entries list
    QSet<QString> entryPictures;   // the XML entries' pictures, as absolute paths
    QString path;                  // the catalogue being written
    int firstNew = 0;              // the first XML entry of this run
    int takenCount = 0;
    QString pendingRefusal;
    QSet<QString> pendingNames;
    bool completing = false;
    int startCount = 0;
    QString reason;
    std::optional<CatalogueKind> writtenKind;
};

} // namespace filmarch
