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

QByteArray pageData(const ExportCatalogue& catalogue, const std::function<PagePoster(size_t)>& poster)
{
    const auto col = [&](const char* tag) { return catalogue.column(QString::fromLatin1(tag)); };
    const int title = col("TranslatedTitle"), original = col("OriginalTitle"), year = col("Year"),
              length = col("Length"), date = col("Date"), rating = col("Rating"), director = col("Director"),
              producer = col("Producer"), actors = col("Actors"), category = col("Category"), country = col("Country"),
              description = col("Description"), url = col("URL"), comments = col("Comments"), size = col("Size");
    QJsonArray films;
    for (size_t i = 0; i < catalogue.entries.size(); ++i) {
        const ExportEntry& entry = catalogue.entries[i];
        const auto text = [&](int c) { return catalogue.value(entry, c).trimmed(); };
        QJsonObject film;
        const auto put = [&](const char* key, const QJsonValue& value) {
            if (!(value.isString() && value.toString().isEmpty()) && !(value.isArray() && value.toArray().isEmpty()))
                film.insert(QLatin1String(key), value);
        };
        const QString shown = text(title).isEmpty() ? text(original) : text(title);
        put("t", shown);
        if (text(original) != shown)
            put("o", text(original));
        bool ok = false;
        if (const int n = text(year).toInt(&ok); ok && n > 0)
            put("y", n);
        if (const int n = text(length).toInt(&ok); ok && n > 0)
            put("l", n);
        // A rating outside 0 to 10 is not one: no rating is shown.
        if (const double r = text(rating).toDouble(&ok); ok && r >= 0 && r <= 10)
            put("r", r);
        if (const double mio = text(size).toDouble(&ok); ok && mio > 0)
            put("ta", mio);
        put("d", text(date));
        put("re", text(director));
        put("pr", text(producer));
        put("ac", items(text(actors)));
        put("g", items(text(category)));
        put("p", items(text(country)));
        put("s", text(description));
        put("f", text(url));
        put("c", text(comments));
        QJsonArray technical;
        for (const Technical& field : technicalFields) {
            const int c = catalogue.column(QString::fromLatin1(field.tag));
            if (!text(c).isEmpty())
                technical.append(QJsonArray {catalogue.columnNames[c], text(c) + QString::fromUtf8(field.unit)});
        }
        put("tech", technical);
        QJsonArray others;
        for (int c = 0; c < catalogue.columns.size(); ++c) {
            const QString tag = catalogue.columns[c];
            const bool technicalField = std::any_of(std::begin(technicalFields), std::end(technicalFields),
                [&](const Technical& t) { return tag == QLatin1String(t.tag); });
            if (!text(c).isEmpty() && !ownPlaces.contains(tag) && !technicalField)
                others.append(QJsonArray {catalogue.columnNames[c], text(c)});
        }
        put("x", others);
        const PagePoster picture = poster(i);
        if (!picture.file.isEmpty()) {
            put("a", picture.file);
            put("w", picture.width);
            put("h", picture.height);
        }
        films.append(film);
    }
    QJsonObject page;
    page.insert(QStringLiteral("titre"), catalogue.name);
    page.insert(QStringLiteral("films"), films);
    // One string, read by the page with JSON.parse once it shows that it is loading:
    // much faster than the same data as a script literal.
    QByteArray json = QJsonDocument(page).toJson(QJsonDocument::Compact);
    json.replace('\\', "\\\\").replace('\'', "\\'");
    return "window.FILMARCH_DONNEES = '" + json + "';\n";
}

ExportReport writeWebPage(const ExportCatalogue& catalogue, const QString& destination, ScanProgress& progress)
{
    FolderReplacement folder(destination);
    const QDir dir(folder.path());
    if (!dir.mkdir(postersFolder))
        throw Error(QStringLiteral("impossible de créer le dossier %1").arg(dir.filePath(postersFolder)));
    std::vector<PagePoster> posters(catalogue.entries.size());
    std::vector<QString> problems(catalogue.entries.size());
    forEachOnEveryCore(
        catalogue.entries.size(),
        [&](size_t i) {
            const EntryPicture picture = entryPicture(catalogue.entries[i]);
            const QImage image = decodedPicture(picture);
            if (image.isNull()) {
                problems[i] = picture.isValid() ? QStringLiteral("image illisible") : picture.problem;
                return;
            }
            // Files named by position: nothing of the catalogue's own names reaches the disk.
            const QString file = postersFolder + QLatin1Char('/') + QString::number(i + 1) + QStringLiteral(".jpg");
            writeSyncedFile(dir.filePath(file), scaledJpeg(image, posterWidth));
            const QSize size = image.width() > posterWidth
                ? QSize(posterWidth, qMax(1, qRound(double(image.height()) * posterWidth / image.width())))
                : image.size();
            posters[i] = {file, size.width(), size.height()};
        },
        progress);
    writeSyncedFile(dir.filePath(QStringLiteral("data.js")), pageData(catalogue, [&](size_t i) { return posters[i]; }));
    for (const char* name : {"index.html", "page.js", "page.css"})
        writeSyncedFile(dir.filePath(QString::fromLatin1(name)), resource(name));
    progress.processEvents();
    ExportReport report;
    report.kept = folder.commit();
    for (size_t i = 0; i < problems.size(); ++i)
        if (!problems[i].isEmpty())
            report.badPictures << badPictureLine(catalogue, catalogue.entries[i], problems[i]);
    return report;
}

} // namespace filmarch
