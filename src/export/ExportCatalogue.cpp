#include "export/ExportCatalogue.h"

#include "catalog/MovieList.h"
#include "catalog/XmlCatalogue.h"
#include "platform/Error.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <cmath>

namespace filmarch {
namespace {

struct BuiltIn {
    int id;
    const char* label;
};

// FormattedTitle has no value of its own: it is left out.
const BuiltIn builtIns[] = {{fieldNumber, "Numéro"}, {fieldChecked, "Coché"}, {fieldMedia, "Support"},
    {fieldMediaType, "Type de support"}, {fieldSource, "Source"}, {fieldDate, "Date d'ajout"},
    {fieldBorrower, "Emprunteur"}, {fieldRating, "Note"}, {fieldOriginalTitle, "Titre original"},
    {fieldTranslatedTitle, "Titre"}, {fieldDirector, "Réalisateur"}, {fieldProducer, "Producteur"},
    {fieldCountry, "Pays"}, {fieldCategory, "Genre"}, {fieldYear, "Année"}, {fieldLength, "Durée"},
    {fieldActors, "Acteurs"}, {fieldURL, "Fichier"}, {fieldDescription, "Synopsis"}, {fieldComments, "Commentaires"},
    {fieldVideoFormat, "Format vidéo"}, {fieldVideoBitrate, "Débit vidéo"}, {fieldAudioFormat, "Format audio"},
    {fieldAudioBitrate, "Débit audio"}, {fieldResolution, "Résolution"}, {fieldFramerate, "Images par seconde"},
    {fieldLanguages, "Langues"}, {fieldSubtitles, "Sous-titres"}, {fieldSize, "Taille"}, {fieldDisks, "Disques"},
    {fieldColorTag, "Étiquette de couleur"}};

const QString pictureTag = QStringLiteral("Picture");

void addBuiltInColumns(ExportCatalogue& catalogue)
{
    for (const BuiltIn& field : builtIns) {
        catalogue.columns << QString(strTagFields[field.id]);
        catalogue.columnNames << QString::fromUtf8(field.label);
    }
    catalogue.columns << pictureTag;
    catalogue.columnNames << QStringLiteral("Affiche");
}

// Numbers that mean "none" when zero or below (the program leaves 0 where it knows nothing).
bool positiveOnly(int id)
{
    return id == fieldRating || id == fieldYear || id == fieldLength || id == fieldVideoBitrate
        || id == fieldAudioBitrate || id == fieldDisks || id == fieldDate;
}

QString ratingText(double outOfTen)
{
    return QLocale::c().toString(std::round(outOfTen * 10) / 10, 'g', 4);
}

// One form for the attachment lists: one name per line, whatever the format wrote.
QString linesText(const QString& text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (!lines.contains(u'\n') && lines.contains(u'|'))
        lines = splitList(lines).join(u'\n');
    while (lines.endsWith(u'\n'))
        lines.chop(1);
    return lines;
}

// Catalogues made on Windows write their paths with backslashes: where the name as
// written is no file here, it is tried with "/" (a relative one beside the catalogue).
QString absolutePicture(const QString& link, const QString& folder)
{
    if (link.trimmed().isEmpty())
        return {};
    const QString asWritten = QDir::cleanPath(QDir(folder).absoluteFilePath(link));
    if (!link.contains(u'\\') || QFileInfo::exists(asWritten))
        return asWritten;
    return QDir::cleanPath(QDir(folder).absoluteFilePath(QString(link).replace(u'\\', u'/')));
}

QString amcValue(const TMovie& movie, int id)
{
    switch (id) {
    case fieldDate: return movie.iDate > 0 ? QDate(1899, 12, 30).addDays(movie.iDate).toString(Qt::ISODate) : QString();
    case fieldRating: return movie.iRating > 0 ? ratingText(movie.iRating / 10.0) : QString();
    case fieldComments: return linesText(movie.strComments);
    default: break;
    }
    if (positiveOnly(id) && movie.GetIntFieldValue(id) <= 0)
        return {};
    return movie.GetFieldValue(id);
}

QString xmlValue(const QString& text, int id)
{
    const QString value = text.trimmed();
    if (id == fieldDate) {
        const QDate date = QDate::fromString(value, QStringLiteral("dd/MM/yyyy"));
        return date.isValid() ? date.toString(Qt::ISODate) : value;
    }
    if (id == fieldRating) {
        bool ok = false;
        const double rating = QLocale::c().toDouble(QString(value).replace(u',', u'.'), &ok);
        return ok ? (rating > 0 ? ratingText(rating) : QString()) : value;
    }
    if (id == fieldComments)
        return linesText(text);
    if (positiveOnly(id)) {
        bool ok = false;
        const int n = value.toInt(&ok);
        return ok && n <= 0 ? QString() : value;
    }
    return text;
}

} // namespace

QStringList splitList(const QString& text)
{
    QStringList items;
    QString item;
    int depth = 0;
    const auto flush = [&] {
        const QString trimmed = item.trimmed();
        if (!trimmed.isEmpty())
            items << trimmed;
        item.clear();
    };
    for (const QChar c : text) {
        if (c == u'(')
            ++depth;
        else if (c == u')' && depth > 0)
            --depth;
        if (depth == 0 && (c == u',' || c == u';' || c == u'|' || c == u'\n' || c == u'\r'))
            flush();
        else
            item += c;
    }
    flush();
    return items;
}

ExportCatalogue ExportCatalogue::fromAmcBytes(const QByteArray& bytes, const QString& folder)
{
    TMovieList list;
    list.LoadFromBytes(bytes);
    if (list.damagedEntry() > 0)
        throw Error(QStringLiteral("l'entrée %1 du catalogue est illisible (octet %2) ; rien n'est exporté d'un "
                                   "catalogue lu à moitié")
                        .arg(list.damagedEntry())
                        .arg(list.damagedOffset()));
    ExportCatalogue catalogue;
    addBuiltInColumns(catalogue);
    const TCustomFieldsProperties& extras = list.CustomFieldsProperties;
    for (int i = 0; i < extras.Count(); ++i) {
        catalogue.columns << extras.GetItem(i).FieldTag;
        catalogue.columnNames << extras.GetItem(i).FieldName;
    }
    catalogue.entries.reserve(size_t(list.Count()));
    for (int i = 0; i < list.Count(); ++i) {
        const TMovie& movie = list.GetItem(i);
        ExportEntry entry;
        for (const BuiltIn& field : builtIns)
            entry.values << amcValue(movie, field.id);
        if (movie.Picture && !movie.Picture->isEmpty())
            // A deep copy: the loaded pictures point into the list's own bytes.
            entry.pictureBytes = QByteArray(movie.Picture->constData(), movie.Picture->size());
        else if (!movie.Picture)
            entry.picturePath = absolutePicture(movie.strPicture, folder);
        entry.values << entry.picturePath;
        for (int k = 0; k < extras.Count(); ++k)
            entry.values << movie.CustomFields.GetFieldValue(extras.GetItem(k).FieldTag);
        catalogue.entries.push_back(std::move(entry));
    }
    return catalogue;
}

ExportCatalogue ExportCatalogue::fromXmlBytes(const QByteArray& bytes, const QString& folder)
{
    const std::unique_ptr<XmlCatalogue> xml = XmlCatalogue::fromBytes(bytes);
    ExportCatalogue catalogue;
    addBuiltInColumns(catalogue);
    QHash<QString, int> index;
    for (int c = 0; c < catalogue.columns.size(); ++c)
        index.insert(catalogue.columns[c], c);
    QHash<int, int> idOfColumn;
    for (int c = 0; c < int(std::size(builtIns)); ++c)
        idOfColumn.insert(c, builtIns[c].id);
    const int pictureColumn = catalogue.column(pictureTag);

    catalogue.entries.reserve(size_t(xml->movieCount()));
    for (int i = 0; i < xml->movieCount(); ++i) {
        ExportEntry entry;
        // Attributes beyond the known fields, and extra fields kept in a child
        // element, become columns of their own in the order first met.
        auto attributes = xml->movieAttributes(i);
        attributes += xml->movieAttributes(i, QStringLiteral("CustomFields"));
        for (const auto& [name, text] : attributes) {
            auto found = index.constFind(name);
            if (found == index.constEnd()) {
                found = index.insert(name, int(catalogue.columns.size()));
                catalogue.columns << name;
                catalogue.columnNames << name;
            }
            const int c = *found;
            if (entry.values.size() <= c)
                entry.values.resize(c + 1);
            if (c == pictureColumn) {
                entry.picturePath = absolutePicture(text, folder);
                entry.values[c] = entry.picturePath;
            } else {
                entry.values[c] = idOfColumn.contains(c) ? xmlValue(text, idOfColumn.value(c)) : text;
            }
        }
        catalogue.entries.push_back(std::move(entry));
    }
    for (ExportEntry& entry : catalogue.entries)
        entry.values.resize(catalogue.columns.size());
    return catalogue;
}

ExportCatalogue ExportCatalogue::read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || QFileInfo(path).isDir())
        throw Error(QStringLiteral("Lecture du catalogue impossible : %1 (%2)")
                        .arg(path, QFileInfo(path).isDir() ? QStringLiteral("c'est un dossier") : file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Error(QStringLiteral("Lecture du catalogue impossible : %1 (%2)").arg(path, file.errorString()));
    const QString folder = QFileInfo(path).absolutePath();
    try {
        ExportCatalogue catalogue =
            bytes.startsWith(" AMC_") ? fromAmcBytes(bytes, folder) : fromXmlBytes(bytes, folder);
        catalogue.name = QFileInfo(path).completeBaseName();
        return catalogue;
    } catch (const Error& e) {
        throw Error(QStringLiteral("Lecture du catalogue impossible : %1 (%2)").arg(path, e.message()));
    }
}

} // namespace filmarch
