#include "export/WebPageExport.h"

#include "core/ScanProgress.h"
#include "export/EveryCore.h"
#include "export/ExportCatalogue.h"
#include "export/ExportFiles.h"
#include "export/Exporter.h"
#include "export/FolderReplacement.h"
#include "export/Posters.h"
#include "platform/Error.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <vector>

namespace filmarch {
namespace {

constexpr int posterWidth = 400;
const QString postersFolder = QStringLiteral("affiches");

// Fields the page shows in places of their own; the rest are listed at the end.
const QStringList ownPlaces = {QStringLiteral("Number"), QStringLiteral("Checked"), QStringLiteral("ColorTag"),
    QStringLiteral("Picture"), QStringLiteral("OriginalTitle"), QStringLiteral("TranslatedTitle"),
    QStringLiteral("Director"), QStringLiteral("Producer"), QStringLiteral("Country"), QStringLiteral("Category"),
    QStringLiteral("Year"), QStringLiteral("Length"), QStringLiteral("Actors"), QStringLiteral("URL"),
    QStringLiteral("Description"), QStringLiteral("Comments"), QStringLiteral("Rating"), QStringLiteral("Date")};

struct Technical {
    const char* tag;
    const char* unit;
};
const Technical technicalFields[] = {{"VideoFormat", ""}, {"VideoBitrate", " kbit/s"}, {"Resolution", ""},
    {"Framerate", " images/s"}, {"AudioFormat", ""}, {"AudioBitrate", " kbit/s"}, {"Languages", ""}, {"Subtitles", ""},
    {"Size", " Mio"}};

QJsonArray items(const QString& text)
{
    QJsonArray array;
    for (QString item : splitList(text)) {
        // "Nom(Rôle)" as the film database writes it reads better spaced.
        const qsizetype open = item.indexOf(QLatin1Char('('));
        if (open > 0 && item[open - 1] != QLatin1Char(' '))
            item.insert(open, QLatin1Char(' '));
        array.append(item);
    }
    return array;
}

QByteArray resource(const char* name)
{
    QFile file(QStringLiteral(":/export/page/") + QString::fromLatin1(name));
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("la page %1 manque au programme").arg(QString::fromLatin1(name)));
    return file.readAll();
}

} // namespace

PageFilm pageFilm(const ExportCatalogue& catalogue, size_t index, const PagePoster& poster)
{
    const ExportEntry& entry = catalogue.entries[index];
    const auto text = [&](const char* tag) {
        return catalogue.value(entry, catalogue.column(QString::fromLatin1(tag))).trimmed();
    };
    QJsonObject card, details;
    const auto put = [](QJsonObject& film, const char* key, const QJsonValue& value) {
        if (!(value.isString() && value.toString().isEmpty()) && !(value.isArray() && value.toArray().isEmpty()))
            film.insert(QLatin1String(key), value);
    };
    const QString original = text("OriginalTitle");
    const QString shown = text("TranslatedTitle").isEmpty() ? original : text("TranslatedTitle");
    put(card, "t", shown);
    if (original != shown)
        put(card, "o", original);
    bool ok = false;
    if (const int n = text("Year").toInt(&ok); ok && n > 0)
        put(card, "y", n);
    if (const int n = text("Length").toInt(&ok); ok && n > 0)
        put(card, "l", n);
    // A rating outside 0 to 10 is not one: no rating is shown.
    if (const double r = text("Rating").toDouble(&ok); ok && r >= 0 && r <= 10)
        put(card, "r", r);
    if (const double mio = text("Size").toDouble(&ok); ok && mio > 0)
        put(card, "ta", mio);
    put(card, "d", text("Date"));
    put(card, "re", text("Director"));
    put(card, "ac", items(text("Actors")));
    put(card, "g", items(text("Category")));
    put(card, "p", items(text("Country")));
    put(card, "f", text("URL"));
    if (!poster.file.isEmpty()) {
        put(card, "a", poster.file);
        put(card, "w", poster.width);
        put(card, "h", poster.height);
    }
    put(details, "pr", text("Producer"));
    put(details, "s", text("Description"));
    put(details, "c", text("Comments"));
    QJsonArray technical;
    for (const Technical& field : technicalFields) {
        const int c = catalogue.column(QString::fromLatin1(field.tag));
        const QString value = catalogue.value(entry, c).trimmed();
        if (!value.isEmpty())
            technical.append(QJsonArray {catalogue.columnNames[c], value + QString::fromUtf8(field.unit)});
    }
    put(details, "tech", technical);
    QJsonArray others;
    for (int c = 0; c < catalogue.columns.size(); ++c) {
        const QString tag = catalogue.columns[c];
        const bool technicalField = std::any_of(std::begin(technicalFields), std::end(technicalFields),
            [&](const Technical& t) { return tag == QLatin1String(t.tag); });
        const QString value = catalogue.value(entry, c).trimmed();
        if (!value.isEmpty() && !ownPlaces.contains(tag) && !technicalField)
            others.append(QJsonArray {catalogue.columnNames[c], value});
    }
    put(details, "x", others);
    return {QJsonDocument(card).toJson(QJsonDocument::Compact), QJsonDocument(details).toJson(QJsonDocument::Compact)};
}

PageScripts pageScripts(const ExportCatalogue& catalogue, const std::vector<PageFilm>& films)
{
    QByteArray cards =
        QJsonDocument(QJsonObject {{QStringLiteral("titre"), catalogue.name}}).toJson(QJsonDocument::Compact);
    cards.chop(1);
    cards += ",\"films\":[";
    QByteArray details = "[";
    for (size_t i = 0; i < films.size(); ++i) {
        const char* comma = i ? "," : "";
        cards += comma + films[i].card;
        details += comma + films[i].details;
    }
    cards += "]}";
    details += "]";
    // Each a string, read by the page with JSON.parse: much faster than the
    // same data as a script literal.
    const auto script = [](const char* variable, QByteArray json) {
        json.replace('\\', "\\\\").replace('\'', "\\'");
        return "window." + QByteArray(variable) + " = '" + json + "';\n";
    };
    return {script("FILMARCH_DONNEES", cards), script("FILMARCH_FICHES", details)};
}

ExportReport writeWebPage(const ExportCatalogue& catalogue, const QString& destination, ScanProgress& progress)
{
    FolderReplacement folder(destination);
    const QDir dir(folder.path());
    if (!dir.mkdir(postersFolder))
        throw Error(QStringLiteral("impossible de créer le dossier %1").arg(dir.filePath(postersFolder)));
    std::vector<PageFilm> films(catalogue.entries.size());
    std::vector<QString> problems(catalogue.entries.size());
    // Each film on whichever core is free, its poster first: the folder is
    // synced once, as a whole, before it is put in place.
    forEachOnEveryCore(
        catalogue.entries.size(),
        [&](size_t i) {
            PagePoster poster;
            const EntryPicture picture = entryPicture(catalogue.entries[i]);
            const QImage image = decodedPicture(picture, posterWidth);
            if (image.isNull()) {
                problems[i] = picture.isValid() ? QStringLiteral("image illisible") : picture.problem;
            } else {
                // Files named by position: nothing of the catalogue's own names reaches the disk.
                poster.file = postersFolder + QLatin1Char('/') + QString::number(i + 1) + QStringLiteral(".jpg");
                writeUnsyncedFile(dir.filePath(poster.file), scaledJpeg(image, posterWidth));
                poster.width = image.width();
                poster.height = image.height();
            }
            films[i] = pageFilm(catalogue, i, poster);
        },
        progress);
    const PageScripts scripts = pageScripts(catalogue, films);
    writeUnsyncedFile(dir.filePath(QStringLiteral("data.js")), scripts.cards);
    writeUnsyncedFile(dir.filePath(QStringLiteral("fiches.js")), scripts.details);
    for (const char* name : {"index.html", "page.js", "page.css"})
        writeUnsyncedFile(dir.filePath(QString::fromLatin1(name)), resource(name));
    progress.processEvents();
    ExportReport report;
    report.kept = folder.commit();
    for (size_t i = 0; i < problems.size(); ++i)
        if (!problems[i].isEmpty())
            report.badPictures << badPictureLine(catalogue, catalogue.entries[i], problems[i]);
    return report;
}

} // namespace filmarch
