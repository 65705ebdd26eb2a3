#include "scan/CatalogueCheck.h"
#include "scan/CatalogueKind.h"

#include "catalog/MovieList.h"
#include "catalog/XmlCatalogue.h"
#include "media/Traitement.h"
#include "platform/CatalogueLock.h"
#include "platform/Error.h"
#include "platform/PathText.h"
#include "platform/RegularFile.h"
#include "platform/SafeFile.h"
#include "scan/FileAnalysis.h"
#include "scan/FilmParts.h"
#include "scan/FolderWalk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <sys/stat.h>

namespace filmarch {

namespace {

// The catalogue as read, in the form it was written in.
struct Catalogue {
    QByteArray bytes;
    std::unique_ptr<XmlCatalogue> xml;
    std::unique_ptr<TMovieList> amc;
    int version = 0;

    int count() const { return xml ? xml->movieCount() : amc->Count(); }
};

// Reads the catalogue, refusing a file that is not one or that does not load
// to its end. The caller holds its lock.
Catalogue readCatalogue(const QString& path)
{
    const std::optional<CatalogueKind> kind = catalogueKindOf(path);
    if (!kind)
        throw Error(QStringLiteral("le catalogue doit porter l'extension \".xml\" ou \".amc\" : ") + path);
    if (!isRegularFile(path))
        throw Error(QStringLiteral("le catalogue n'est pas un fichier lisible : ") + path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("le catalogue ne peut pas être lu : %1 (%2)").arg(path, file.errorString()));
    Catalogue c;
    c.bytes = file.readAll();
    try {
        if (kind == CatalogueKind::Xml) {
            c.xml = XmlCatalogue::fromBytes(c.bytes);
        } else {
            c.amc = std::make_unique<TMovieList>();
            c.version = c.amc->LoadFromBytes(c.bytes);
        }
    } catch (const std::exception&) {
        throw Error(QStringLiteral("le fichier n'est pas un catalogue lisible : ") + path);
    }
    if (c.amc && c.amc->damagedEntry())
        throw Error(QStringLiteral("le catalogue est endommagé à partir de l'entrée %1 : il n'est pas modifié.")
                        .arg(c.amc->damagedEntry()));
    return c;
}

CheckedEntry entryOf(const Catalogue& c, int i)
{
    CheckedEntry e;
    e.index = i;
    QString comments;
    if (c.xml) {
        e.url = c.xml->movieAttribute(i, QStringLiteral("URL"));
        e.title = c.xml->movieAttribute(i, QStringLiteral("TranslatedTitle"));
        if (e.title.isEmpty())
            e.title = c.xml->movieAttribute(i, QStringLiteral("OriginalTitle"));
        e.size = c.xml->movieAttribute(i, QStringLiteral("Size")).trimmed();
        e.length = c.xml->movieAttribute(i, QStringLiteral("Length")).trimmed();
        comments = c.xml->movieAttribute(i, QStringLiteral("Comments"));
    } else {
        const TMovie& m = c.amc->GetItem(i);
        e.url = m.strURL;
        e.title = m.strTranslatedTitle.isEmpty() ? m.strOriginalTitle : m.strTranslatedTitle;
        e.size = m.strSize.trimmed();
        if (m.iLength > 0)
            e.length = QString::number(m.iLength);
        comments = m.strComments;
    }
    const QString folder = QFileInfo(e.url).path();
    for (const QString& name : partsInComments(comments))
        e.otherParts << folder + QLatin1Char('/') + name;
    return e;
}

bool under(const QString& path, const QString& folder)
{
    return path.size() > folder.size() && path.startsWith(folder)
        && (folder.endsWith(QLatin1Char('/')) || path.at(folder.size()) == QLatin1Char('/'));
}

// The folders that hold the entries' files, without those inside another.
QStringList foldersOfEntries(const std::vector<CheckedEntry>& entries)
{
    QSet<QString> seen;
    QStringList folders;
    for (const CheckedEntry& e : entries) {
        if (!e.url.startsWith(QLatin1Char('/')))
            continue;
        const QString folder = QDir::cleanPath(QFileInfo(e.url).path());
        if (!seen.contains(folder) && QFileInfo(folder).isDir()) {
            seen.insert(folder);
            folders << folder;
        }
    }
    folders.sort();
    QStringList outermost;
    for (const QString& f : std::as_const(folders))
        if (outermost.isEmpty() || !(f == outermost.last() || under(f, outermost.last())))
            outermost << f;
    return outermost;
}

enum class OnDisk { Present, Gone, Unknown };

OnDisk lookFor(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0)
        return OnDisk::Present;
    return errno == ENOENT || errno == ENOTDIR ? OnDisk::Gone : OnDisk::Unknown;
}

// The file that is the gone entry: the same size and length (those the entry
// stores), a single one, or among several the one of the same name. An entry
// that stores neither is only recognised by its name.
int movedTo(const CheckedEntry& e, const QStringList& candidates, const std::vector<FileFacts>& facts,
    const std::vector<bool>& taken)
{
    const QString name = fileNamePart(e.url);
    const bool measured = !e.size.isEmpty() || !e.length.isEmpty();
    std::vector<int> fitting;
    for (int i = 0; i < candidates.size(); ++i) {
        const FileFacts& f = facts[size_t(i)];
        if (taken[size_t(i)] || !f.film)
            continue;
        if (measured ? (e.size.isEmpty() || f.size == e.size) && (e.length.isEmpty() || f.length == e.length)
                     : fileNamePart(candidates[i]) == name)
            fitting.push_back(i);
    }
    if (fitting.size() == 1)
        return fitting.front();
    const auto sameName =
        std::count_if(fitting.begin(), fitting.end(), [&](int i) { return fileNamePart(candidates[i]) == name; });
    if (sameName == 1)
        return *std::find_if(
            fitting.begin(), fitting.end(), [&](int i) { return fileNamePart(candidates[i]) == name; });
    return -1;
}

} // namespace

FileProbe mediaProbe(MesFonctionMediaInfo& media)
{
    return [&media](const QString& path) {
        AnalysisJob job;
        job.path = path;
        job.media = &media;
        const AnalysedFile analysed = analyseFile(job);
        FileFacts facts;
        if (!analysed.Fichier)
            return facts;
        facts.film = true;
        try {
            facts.size = analysed.Fichier->size();
            facts.length = analysed.Fichier->Lengths();
        } catch (const std::exception&) {
            // Unreadable values match no entry; the file is still new.
        }
        return facts;
    };
}

CatalogueCheck checkCatalogue(const QString& path, const QStringList& folders, const FileProbe& probe)
{
    CatalogueCheck check;
    {
        // A catalogue that a run is writing is not read half-way.
        CatalogueLock lock;
        if (!lock.tryLock(path))
            throw Error(lock.refusal());
        const Catalogue c = readCatalogue(path);
        check.entries.reserve(size_t(c.count()));
        for (int i = 0; i < c.count(); ++i)
            check.entries.push_back(entryOf(c, i));
    }

    // What the entries name: files, the parts beside them, and disc folders
    // with all they hold.
    QSet<QString> named;
    for (const CheckedEntry& e : check.entries) {
        named.insert(e.url);
        for (const QString& part : e.otherParts)
            named.insert(part);
    }
    QStringList walked;
    FolderWalk walk;
    walk.subFolders = true;
    walk.onFile = [&walked](const QString& file, const QByteArray&) { walked << file; };
    walk.onUnreadable = [&check](const QString& folder) { check.unreadableFolders << folder; };
    const QStringList roots = folders.isEmpty() ? foldersOfEntries(check.entries) : folders;
    for (const QString& root : roots)
        walk.run(root);
    QSet<QString> onDisk(walked.begin(), walked.end());

    // A file inside a catalogued disc folder is part of that film.
    const auto isNamed = [&named](const QString& file) {
        for (QStringView p = file; p.size() > 1; p = p.left(std::max<qsizetype>(p.lastIndexOf(u'/'), 0)))
            if (named.contains(p.toString()))
                return true;
        return false;
    };
    QStringList candidates;
    for (const QString& file : std::as_const(walked))
        if (!isNamed(file))
            candidates << file;

    for (int i = 0; i < int(check.entries.size()); ++i) {
        const CheckedEntry& e = check.entries[size_t(i)];
        if (e.url.isEmpty() || onDisk.contains(e.url))
            continue;
        switch (lookFor(e.url)) {
        case OnDisk::Present: break;
        case OnDisk::Unknown: check.notChecked << e.url; break;
        case OnDisk::Gone: check.gone.push_back({i, {}}); break;
        }
    }

    std::vector<FileFacts> facts;
    facts.reserve(size_t(candidates.size()));
    for (const QString& file : std::as_const(candidates))
        facts.push_back(probe ? probe(file) : FileFacts {true, {}, {}});
    std::vector<bool> taken(size_t(candidates.size()), false);
    for (CatalogueCheck::Gone& g : check.gone) {
        const int found = movedTo(check.entries[size_t(g.entry)], candidates, facts, taken);
        if (found >= 0) {
            taken[size_t(found)] = true;
            g.newPath = candidates[found];
        }
    }
    for (int i = 0; i < candidates.size(); ++i)
        if (!taken[size_t(i)] && facts[size_t(i)].film)
            check.newFiles << candidates[i];
    return check;
}

std::optional<QString> applyCheck(const QString& path, const std::vector<CheckDecision>& decisions,
    const std::function<void(const QString& line)>& log)
{
    if (decisions.empty())
        return std::nullopt;
    CatalogueLock lock;
    if (!lock.tryLock(path))
        return lock.refusal();
    for (const QString& leftover : leftoverTemporaries(path))
        QFile::remove(leftover);
    try {
        Catalogue c = readCatalogue(path);
        std::vector<CheckDecision> sorted = decisions;
        std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.index > b.index; });
        for (const CheckDecision& d : sorted)
            if (d.index < 0 || d.index >= c.count() || entryOf(c, d.index).url != d.url)
                throw Error(QStringLiteral("le catalogue a changé depuis sa vérification : ") + path);
        if (const QString why = cannotReplaceReason(path); !why.isEmpty())
            throw Error(why);
        copyFile(path, backupFileName(path), c.bytes.size());

        // From the last entry back, so that the positions still hold.
        for (const CheckDecision& d : sorted) {
            if (c.xml) {
                if (d.newPath.isEmpty())
                    c.xml->removeMovie(d.index);
                else
                    c.xml->movie(d.index).setAttribute(QStringLiteral("URL"), d.newPath);
            } else if (d.newPath.isEmpty()) {
                c.amc->Delete(d.index);
            } else {
                c.amc->GetItem(d.index).strURL = d.newPath;
            }
        }
        const QByteArray bytes = c.xml ? c.xml->toBytes() : c.amc->SaveToBytes(c.version);
        replaceFile(path, bytes);
        QFile back(path);
        if (!back.open(QIODevice::ReadOnly) || back.readAll() != bytes) {
            copyFile(backupFileName(path), path, c.bytes.size());
            throw Error(QStringLiteral("le catalogue écrit ne se relit pas tel quel ; il a été remis comme avant"));
        }
    } catch (const Error& e) {
        return e.message();
    } catch (const std::exception& e) {
        return QString::fromStdString(e.what());
    }
    if (log) {
        int moved = 0;
        for (const CheckDecision& d : decisions) {
            if (d.newPath.isEmpty()) {
                log(QStringLiteral("Entrée retirée du catalogue, son fichier n'existe plus : ") + d.url);
            } else {
                ++moved;
                log(QStringLiteral("Entrée déplacée : %1 -> %2").arg(d.url, d.newPath));
            }
        }
        log(QStringLiteral("Catalogue vérifié à l'emplacement %1 : %2 entrée(s) déplacée(s), %3 retirée(s)")
                .arg(path)
                .arg(moved)
                .arg(int(decisions.size()) - moved));
    }
    return std::nullopt;
}

} // namespace filmarch
