#pragma once
// A catalogue read for an export, whatever its format (AMC 3.1 to 4.1, XML):
// one column per field with its values as texts in one form for every
// format, and each entry's picture. Reading never changes the catalogue.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace filmarch {

struct ExportEntry {
    QStringList values;      // one per column of the catalogue
    QByteArray pictureBytes; // a picture stored in the catalogue
    QString picturePath;     // else a linked picture file, absolute; empty without picture
};

class ExportCatalogue {
public:
    // Reads the catalogue at `path`: an AMC file by its header, else an XML
    // catalogue. Throws Error with the reason when it cannot be read whole.
    static ExportCatalogue read(const QString& path);
    static ExportCatalogue fromAmcBytes(const QByteArray& bytes, const QString& folder);
    static ExportCatalogue fromXmlBytes(const QByteArray& bytes, const QString& folder);

    // Field tags: the built-in fields, "Picture", then the extra fields in
    // the catalogue's order. Values are normalised: dates "yyyy-MM-dd",
    // ratings on 0 to 10 with "." ("7.5"), integers in decimal, empty for none.
    QStringList columns;
    QStringList columnNames; // what the user calls each column (extra fields' names)
    std::vector<ExportEntry> entries;
    QString name; // the catalogue's file name without extension

    int column(const QString& tag) const { return int(columns.indexOf(tag)); }
    QString value(const ExportEntry& entry, int column) const
    {
        return column >= 0 && column < entry.values.size() ? entry.values[column] : QString();
    }
};

// A list field split into its items: separated by commas, semicolons, vertical
// bars or line breaks, never inside parentheses ("Nom(Rôle, autre)"); items trimmed.
QStringList splitList(const QString& text);

} // namespace filmarch
