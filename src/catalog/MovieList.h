#pragma once
// The AMC catalogue in memory: its entries (owned, in list order), its
// properties and the definitions of its extra fields; loaded from and saved to
// the binary AMC file.
#include "catalog/Movie.h"
#include "platform/SafeFile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace filmarch {

class TMovieList {
public:
    TMovieList() : CustomFieldsProperties(this) {}
    // Entries point at this list's definitions: the list stays where it was made.
    TMovieList(const TMovieList&) = delete;
    TMovieList& operator=(const TMovieList&) = delete;

    int Count() const { return int(items.size()); }
    TMovie& GetItem(int idx) { return *items.at(idx); }
    const TMovie& GetItem(int idx) const { return *items.at(idx); }

    // A new entry for this catalogue's definitions, appended at the end.
    TMovie& Add();
    // Ascending by the field's value (the number for field 0); entries with
    // equal values keep their order.
    void Sort(int Field);
    // The lowest number from 1 upward that no entry uses; sorts by number first
    // unless `ListIsSorted`.
    int FirstFreeNumber(bool ListIsSorted);
    // The distinct non-empty texts of a field over all entries, sorted without
    // regard to letter case; of texts differing only by case the first met stays.
    void GetValues(QStringList& AList, int Field) const;
    void Clear()
    {
        items.clear();
        loadedBytes.clear();
    }
    // Removes and releases one entry.
    void Delete(int idx);
    // Position of the entry in the list, -1 when it is not one of its entries.
    int IndexOf(const TMovie& m) const;

    // Replaces the content by the catalogue in the file and returns the version
    // read (31, 33, 35, 40 or 41). Throws Error "Unable to load file "<path>": <reason>".
    // An entry that cannot be read ends the load without error: damagedEntry()
    // then tells which one it was.
    int LoadFromFile(const QString& AFileName, bool OnlyReadProperties = false);
    // Writes the whole catalogue to `FilenameDst` in the layout of `Version`
    // (4.1 from 41, 4.0 for 40, else 3.5); the file is replaced only by a
    // complete one. Links to pictures relative to `FilenameSrc` are then made
    // valid for `FilenameDst` in memory (the next save writes them).
    // Throws Error "Unable to save file "<path>": <reason>".
    void SaveToFile(const QString& FilenameSrc, const QString& FilenameDst, int Version, bool ConvertPictures = false);

    // What adding entries to the catalogue in a file needs of it, read without
    // holding its pictures: the list gets the file's properties and field
    // definitions but no entry; damagedEntry() and damagedOffset() tell where
    // the entries stop being readable, as after LoadFromFile.
    struct Outline {
        int version = 0;
        qint64 size = 0;             // bytes of the file
        std::vector<qint32> numbers; // of its entries, in file order
        QStringList urls;            // of the same entries
        QStringList comments;        // of the same entries
    };
    Outline LoadOutline(const QString& AFileName);

    // The same on bytes; failures carry the bare reason.
    int LoadFromBytes(const QByteArray& data, bool OnlyReadProperties = false);
    QByteArray SaveToBytes(int Version) const;
    // The record of one entry in the layout of `Version`, as a save writes it.
    QByteArray EntryBytes(const TMovie& m, int Version) const;
    // True when a file of `Version` is written in its own layout, so that new
    // records can follow its entries as they are.
    static bool WrittenAsRead(int Version);

    // Position (from 1) of the entry at which the last load stopped because it
    // could not be read; 0 when the file was read to its end.
    int damagedEntry() const { return damaged; }
    // Where that entry starts in the file.
    qint64 damagedOffset() const { return damagedAt; }
    // The bytes of the file last loaded, as they were read.
    const QByteArray& LoadedBytes() const { return loadedBytes; }

    TMovieProperties MovieProperties;
    TCustomFieldsProperties CustomFieldsProperties;

private:
    void WriteTo(QByteArray& out, int Version) const;

    // Before the entries, whose pictures point into it: it outlives them.
    QByteArray loadedBytes;
    int damaged = 0;
    qint64 damagedAt = 0;
    std::vector<std::unique_ptr<TMovie>> items;
};

} // namespace filmarch
