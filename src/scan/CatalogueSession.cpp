#include "scan/CatalogueSession.h"

#include "catalog/MovieList.h"
#include "catalog/XmlCatalogue.h"
#include "core/UserDialogs.h"
#include "platform/Error.h"
#include "platform/PathText.h"
#include "platform/RegularFile.h"
#include "platform/SafeFile.h"
#include "platform/UniqueFile.h"
#include "scan/FilmParts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <limits>
#include <sys/stat.h>

namespace filmarch {

CatalogueSession::FileStamp CatalogueSession::FileStamp::of(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return {quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size), qint64(st.st_mtim.tv_sec),
        qint64(st.st_mtim.tv_nsec)};
}

CatalogueSession::CatalogueSession(UserDialogs& userDialogs) : dialogs(userDialogs)
{
}
CatalogueSession::~CatalogueSession() = default;

void CatalogueSession::release()
{
    MovieList.reset();
    amcEntries = 0;
    loadedSize = 0;
    loadedWhole = false;
    usedNumbers.clear();
    freeFrom = 1;
    FichierPresent.clear();
    XMLDoc.reset();
    loadedCatalogue.clear();
    cataloguedNames.clear();
    catalogueParts.clear();
    entryPictures.clear();
    firstNew = 0;
    takenCount = 0;
    pendingNames.clear();
}

int CatalogueSession::validate(const QString& path, bool tellBusy)
{
    busy = false;
    const std::optional<CatalogueKind> kind = catalogueKindOf(path);
    if (!kind)
        return -1;
    // A named pipe or a device would block the load for ever.
    if (!isRegularFile(path)) {
        release();
        dialogs.showMessage(*kind == CatalogueKind::Xml
                ? QStringLiteral("Le fichier catalogue renseigné n'est pas compatible")
                : QStringLiteral("Chargement du catalogue à compléter impossible"));
        return -1;
    }
    // Outside a run the lock is held for the load only: a catalogue that a
    // run is writing is not read half-way.
    const bool ownLock = !catalogueLock.held();
    if (ownLock && !catalogueLock.tryLock(path)) {
        release();
        busy = catalogueLock.heldElsewhere();
        if (tellBusy || !busy)
            dialogs.showMessage(catalogueLock.refusal());
        return -1;
    }
    const auto unlock = qScopeGuard([this, ownLock] {
        if (ownLock)
            catalogueLock.release();
    });

    release();
    if (*kind == CatalogueKind::Xml) {
        try {
            XMLDoc = XmlCatalogue::loadFile(path);
        } catch (const std::exception&) {
            release();
            dialogs.showMessage(QStringLiteral("Le fichier catalogue renseigné n'est pas compatible"));
            return -1;
        }
        loadedCatalogue = path;
        loadedStamp = FileStamp::of(path);
        const int n = XMLDoc->movieCount();
        for (int i = 0; i < n; ++i) {
            cataloguedNames.insert(fileNamePart(XMLDoc->movieAttribute(i, QStringLiteral("URL"))));
            for (const QString& part : partsInComments(XMLDoc->movieAttribute(i, QStringLiteral("Comments"))))
                catalogueParts.insert(part);
            notePicture(XMLDoc->movieAttribute(i, QStringLiteral("Picture")), path);
        }
        return n;
    }
    return loadAmc(path);
}

int CatalogueSession::loadAmc(const QString& path)
{
    int version = 0;
    TMovieList::Outline outline;
    try {
        // Completion reads the numbers and the names, not the pictures.
        MovieList = std::make_unique<TMovieList>();
        outline = MovieList->LoadOutline(path);
        // What a killed run was adding is cut off; any other damage stays.
        if (MovieList->damagedEntry() && catalogueLock.unfinishedAfter(path, MovieList->damagedOffset())) {
            truncateFile(path, MovieList->damagedOffset());
            outline = MovieList->LoadOutline(path);
        }
        version = outline.version;
        loadedWhole = !TMovieList::WrittenAsRead(version);
        if (loadedWhole && !MovieList->damagedEntry()) {
            // An older version is written whole again at the first entry.
            MovieList->LoadFromFile(path);
            loadedSize = MovieList->LoadedBytes().size();
        }
    } catch (const std::exception&) {
        release();
        dialogs.showMessage(QStringLiteral("Chargement du catalogue à compléter impossible"));
        return -1;
    }
    if (const int damaged = MovieList->damagedEntry()) {
        release();
        dialogs.showMessage(QStringLiteral("Le catalogue est endommagé à partir de l'entrée ")
            + QString::number(damaged) + QStringLiteral(" : il n'est pas complété."));
        return -1;
    }
    iHeader = version;
    if (!loadedWhole)
        loadedSize = outline.size;
    amcEntries = int(outline.numbers.size());
    usedNumbers = std::set<int>(outline.numbers.begin(), outline.numbers.end());
    freeFrom = 1;
    FichierPresent = outline.urls;
    loadedCatalogue = path;
    loadedStamp = FileStamp::of(path);
    for (const QString& url : std::as_const(FichierPresent))
        cataloguedNames.insert(fileNamePart(url));
    for (const QString& comments : std::as_const(outline.comments))
        for (const QString& part : partsInComments(comments))
            catalogueParts.insert(part);
    return amcEntries;
}

CatalogueSession::Preparation CatalogueSession::prepare(const QString& catalogue, bool completingRun)
{
    path = catalogue;
    writtenKind = catalogueKindOf(path);
    completing = completingRun;
    reason.clear();
    if (!writtenKind) {
        release();
        MovieList = std::make_unique<TMovieList>();
        return Preparation::Ready;
    }
    if (!catalogueLock.tryLock(path)) {
        dialogs.showMessage(catalogueLock.refusal());
        return Preparation::Refused;
    }
    for (const QString& leftover : leftoverTemporaries(path))
        QFile::remove(leftover);

    if (completing) {
        // Loaded when it was chosen and not changed since: that is the
        // catalogue on the disk now.
        const bool current = loadedCatalogue == path && (MovieList || XMLDoc) && loadedStamp == FileStamp::of(path);
        const int n = current ? (XMLDoc ? XMLDoc->movieCount() : amcEntries) : validate(path);
        if (n < 0) {
            catalogueLock.release();
            return Preparation::Unusable;
        }
        startCount = n;
    } else {
        release();
        MovieList = std::make_unique<TMovieList>();
        startCount = 0;
    }

    reason = cannotReplaceReason(path);
    if (!reason.isEmpty()) {
        catalogueLock.release();
        release();
        return Preparation::NotWritable;
    }
    // The backup is the file as it was, byte for byte, on the disk before
    // the first change.
    if (completing && writtenKind == CatalogueKind::Amc) {
        try {
            // The file is as it was loaded (it is locked, and unchanged since).
            if (QFileInfo(path).size() != loadedSize)
                throw Error(QStringLiteral("le catalogue a changé"));
            copyFile(path, backupFileName(path), loadedSize);
        } catch (const std::exception&) {
            dialogs.showMessage(QStringLiteral("Chargement du catalogue à compléter impossible"));
            catalogueLock.release();
            release();
            return Preparation::Refused;
        }
    }
    if (writtenKind == CatalogueKind::Xml)
        takePending();
    return Preparation::Ready;
}

QString CatalogueSession::pendingFileOf(const QString& catalogueFile)
{
    return withoutExtension(catalogueFile) + QStringLiteral(".en-attente.xml");
}

// The pending entries join the document under numbers of their own, as new
// entries of this run.
void CatalogueSession::takePending()
{
    firstNew = XMLDoc ? XMLDoc->movieCount() : 0;
    takenCount = 0;
    pendingRefusal.clear();
    pendingNames.clear();
    const QString file = pendingFileOf(path);
    if (!FileOrDirExists(file))
        return;
    std::unique_ptr<XmlCatalogue> pending;
    try {
        // A named pipe or a device would block the run for ever.
        if (!isRegularFile(file))
            throw Error(QStringLiteral("ce n'est pas un fichier"));
        pending = XmlCatalogue::loadFile(file);
    } catch (const Error& e) {
        pendingRefusal = e.message();
        return;
    }
    for (int i = 0; i < pending->movieCount(); ++i) {
        XmlAttributes attributes;
        const QString number = QString::number(nextXmlNumber());
        for (auto [name, value] : pending->movieAttributes(i)) {
            if (name == QLatin1String("Number"))
                value = number;
            else if (name == QLatin1String("URL"))
                pendingNames.insert(fileNamePart(value));
            // The other parts of a film were analysed with it.
            else if (name == QLatin1String("Comments"))
                for (const QString& part : partsInComments(value))
                    pendingNames.insert(part);
            attributes.emplace_back(name, value);
        }
        appendXmlMovie(attributes);
    }
    takenCount = pending->movieCount();
}

int CatalogueSession::keepUnsaved()
{
    const int count = XMLDoc ? XMLDoc->movieCount() : 0;
    auto pending = XmlCatalogue::createNew();
    for (int i = firstNew; i < count; ++i) {
        XmlCatalogue::Movie movie = pending->appendMovie();
        for (const auto& [name, value] : XMLDoc->movieAttributes(i))
            movie.setAttribute(name, value);
    }
    pending->saveFile(pendingFileOf(path));
    return count - firstNew;
}

std::optional<QString> CatalogueSession::addAmcEntry(TMovie entry)
{
    TMovieList& list = *MovieList;
    list.Sort(0);
    TMovie& NewMovie = list.Add();
    TCustomFieldsProperties* const definitions = NewMovie.CustomFields.Properties;
    NewMovie = std::move(entry);
    NewMovie.CustomFields.Properties = definitions;
    NewMovie.iNumber = firstFreeNumber();
    usedNumbers.insert(NewMovie.iNumber);
    try {
        saveAmcEntry(NewMovie);
        return std::nullopt;
    } catch (const std::exception& e) {
        amcFile.close();
        return QString::fromStdString(e.what());
    }
}

// Each save adds the new entry's record at the end of the file, which stays
// whole before and after: the work is that of the entry, not of the catalogue.
// The file is written whole first when it does not hold the list in the layout
// of the version (a new catalogue, an older version converted).
void CatalogueSession::saveAmcEntry(const TMovie& NewMovie)
{
    TMovieList& list = *MovieList;
    if (!amcFile.isOpen()) {
        if (completing && loadedSize > 0 && !loadedWhole) {
            amcFile.open(path);
            // Only the list's new entries are in memory: the file cannot be written whole.
            if (amcFile.size() != loadedSize) {
                amcFile.close();
                throw Error(QStringLiteral("le catalogue a changé depuis son chargement"));
            }
        }
        if (!amcFile.isOpen()) {
            list.SaveToFile(path, path, iHeader);
            amcFile.open(path);
            return;
        }
    }
    // Should the run be killed while adding, the next one cuts back to here.
    catalogueLock.recordCommitted({amcFile.device(), amcFile.inode(), amcFile.size()});
    amcFile.append(list.EntryBytes(NewMovie, iHeader));
}

// The lowest number from 1 upward that no entry uses: numbers are only ever
// added during a run, so it never goes down.
int CatalogueSession::firstFreeNumber()
{
    while (freeFrom < std::numeric_limits<int>::max() && usedNumbers.count(freeFrom))
        ++freeFrom;
    return freeFrom;
}

int CatalogueSession::nextXmlNumber()
{
    if (!XMLDoc)
        XMLDoc = XmlCatalogue::createNew();
    return XMLDoc->firstFreeNumber();
}

void CatalogueSession::appendXmlMovie(const XmlAttributes& attributes)
{
    if (!XMLDoc)
        XMLDoc = XmlCatalogue::createNew();
    XmlCatalogue::Movie movie = XMLDoc->appendMovie();
    for (const auto& [name, value] : attributes) {
        movie.setAttribute(name, value);
        if (name == QLatin1String("Picture"))
            notePicture(value, path);
    }
}

// A relative picture is beside the catalogue.
void CatalogueSession::notePicture(const QString& picture, const QString& catalogueFile)
{
    if (!picture.isEmpty())
        entryPictures.insert(QDir::cleanPath(QFileInfo(catalogueFile).dir().absoluteFilePath(picture)));
}

bool CatalogueSession::isPictureOfEntry(const QString& picture) const
{
    return entryPictures.contains(QDir::cleanPath(QFileInfo(picture).absoluteFilePath()));
}

void CatalogueSession::saveXml()
{
    if (!XMLDoc || writtenKind != CatalogueKind::Xml)
        return;
    XMLDoc->saveFile(path);
    // Saved in the catalogue: a later failure must not bring them twice.
    if (takenCount > 0)
        QFile::remove(pendingFileOf(path));
}

void CatalogueSession::finish()
{
    amcFile.sync();
    amcFile.close();
    catalogueLock.release();
    release();
}

} // namespace filmarch
