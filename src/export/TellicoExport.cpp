#include "export/TellicoExport.h"

#include "core/ScanProgress.h"
#include "export/ExportCatalogue.h"
#include "export/ExportFiles.h"
#include "export/Exporter.h"
#include "export/FileReplacement.h"
#include "export/Posters.h"
#include "platform/Error.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>
#include <QXmlStreamWriter>

#include <exception>
#include <vector>
#include <zip.h>

namespace filmarch {
namespace {

struct Field {
    const char* name;
    const char* title;
    const char* category;
    int type;   // 1 line, 2 paragraph, 6 number, 7 URL, 8 table, 10 image, 14 rating
    int flags;  // 1 several values, 2 grouped, 4 completion, 8 not deletable
    int format; // 0 plain, 1 title, 2 name, 4 none
    std::vector<std::pair<const char*, const char*>> props;
};

const std::vector<Field>& fields()
{
    static const std::vector<Field> list = {
        {"title", "Titre", "Général", 1, 8, 1, {}},
        {"alttitle", "Titre original", "Général", 8, 0, 1, {{"columns", "1"}, {"column1", "Titre"}}},
        {"year", "Année", "Général", 6, 2, 4, {}},
        {"genre", "Genre", "Général", 1, 7, 0, {}},
        {"nationality", "Pays", "Général", 1, 7, 0, {}},
        {"running-time", "Durée", "Général", 6, 0, 4, {}},
        {"director", "Réalisateur", "Générique", 1, 7, 2, {}},
        {"producer", "Producteur", "Générique", 1, 7, 2, {}},
        {"cast", "Distribution", "Distribution", 8, 3, 2,
            {{"columns", "2"}, {"column1", "Acteur"}, {"column2", "Rôle"}}},
        {"format", "Format vidéo", "Fiche technique", 1, 2, 4, {}},
        {"audio-track", "Pistes audio", "Fiche technique", 1, 7, 0, {}},
        {"language", "Langues", "Fiche technique", 1, 7, 0, {}},
        {"subtitle", "Sous-titres", "Fiche technique", 1, 7, 0, {}},
        {"aspect-ratio", "Format d'image", "Fiche technique", 1, 7, 0, {}},
        {"plot", "Synopsis", "Synopsis", 2, 0, 4, {}},
        {"rating", "Note", "Personnel", 14, 2, 4, {{"maximum", "10"}, {"minimum", "1"}}},
        {"url", "Fichier", "Personnel", 7, 0, 4, {}},
        {"cover", "Affiche", "Affiche", 10, 0, 4, {}},
        {"comments", "Commentaires", "Personnel", 2, 0, 4, {}},
    };
    return list;
}

// Fields that have an element of their own; the others go into the comments.
const QStringList mappedTags = {QStringLiteral("Number"), QStringLiteral("Checked"), QStringLiteral("ColorTag"),
    QStringLiteral("Picture"), QStringLiteral("OriginalTitle"), QStringLiteral("TranslatedTitle"),
    QStringLiteral("Director"), QStringLiteral("Producer"), QStringLiteral("Country"), QStringLiteral("Category"),
    QStringLiteral("Year"), QStringLiteral("Length"), QStringLiteral("Actors"), QStringLiteral("URL"),
    QStringLiteral("Description"), QStringLiteral("Comments"), QStringLiteral("VideoFormat"),
    QStringLiteral("AudioFormat"), QStringLiteral("Languages"), QStringLiteral("Subtitles"), QStringLiteral("Rating")};

// Paragraph fields are shown as rich text: the text escaped, line breaks as breaks.
QString paragraph(const QString& text)
{
    QString html = text.toHtmlEscaped();
    html.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    html.replace(QLatin1Char('\n'), QStringLiteral("<br/>"));
    return html;
}

// "1920x800" gives "2.40:1"; nothing for anything else.
QString aspectRatio(const QString& resolution)
{
    const QStringList parts = resolution.split(QLatin1Char('x'));
    if (parts.size() != 2)
        return {};
    bool okW = false, okH = false;
    const int w = parts[0].trimmed().toInt(&okW), h = parts[1].trimmed().toInt(&okH);
    if (!okW || !okH || w <= 0 || h <= 0)
        return {};
    return QString::number(double(w) / h, 'f', 2) + QStringLiteral(":1");
}

QString withUnit(const QString& tag, const QString& value)
{
    if (tag == QLatin1String("VideoBitrate") || tag == QLatin1String("AudioBitrate"))
        return value + QStringLiteral(" kbit/s");
    if (tag == QLatin1String("Size"))
        return value + QStringLiteral(" Mio");
    return value;
}

// The link Tellico opens for the film's file: a web address as it is, a path
// of this system as a file address. A Windows path (a drive letter, a network
// share) leads nowhere here: it gets no link and the comments keep it as text.
QString fileLink(const QString& file)
{
    static const QRegularExpression web(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    static const QRegularExpression windows(QStringLiteral("^([A-Za-z]:[\\\\/]|\\\\\\\\)"));
    if (file.isEmpty() || windows.match(file).hasMatch())
        return {};
    if (web.match(file).hasMatch())
        return file;
    return QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded);
}

class EntryWriter {
public:
    EntryWriter(QXmlStreamWriter& xml, const ExportCatalogue& catalogue) : xml(xml), catalogue(catalogue) {}

    void write(const ExportEntry& entry, size_t id, const QString& cover)
    {
        const auto value = [&](const char* tag) {
            return catalogue.value(entry, catalogue.column(QString::fromLatin1(tag))).trimmed();
        };
        xml.writeStartElement(QStringLiteral("entry"));
        xml.writeAttribute(QStringLiteral("id"), QString::number(id));
        QString title = value("TranslatedTitle");
        const QString original = value("OriginalTitle");
        xml.writeTextElement(QStringLiteral("title"), title.isEmpty() ? original : title);
        if (!original.isEmpty() && original != title && !title.isEmpty())
            table("alttitle", {{original}});
        single("year", value("Year"));
        several("genre", splitList(value("Category")));
        several("nationality", splitList(value("Country")));
        single("running-time", value("Length"));
        several("director", splitList(value("Director")));
        several("producer", splitList(value("Producer")));
        std::vector<QStringList> cast;
        for (const QString& actor : splitList(value("Actors"))) {
            const qsizetype open = actor.indexOf(QLatin1Char('('));
            if (open > 0 && actor.endsWith(QLatin1Char(')')))
                cast.push_back({actor.left(open).trimmed(), actor.mid(open + 1, actor.size() - open - 2).trimmed()});
            else
                cast.push_back({actor});
        }
        table("cast", cast);
        single("format", value("VideoFormat"));
        several("audio-track", splitList(value("AudioFormat")));
        several("language", splitList(value("Languages")));
        several("subtitle", splitList(value("Subtitles")));
        several("aspect-ratio", {aspectRatio(value("Resolution"))});
        if (!value("Description").isEmpty())
            single("plot", paragraph(value("Description")));
        bool ok = false;
        const double rating = value("Rating").toDouble(&ok);
        if (ok && rating >= 0.5)
            single("rating", QString::number(qRound(rating)));
        single("url", fileLink(value("URL")));
        single("cover", cover);
        single("comments", comments(entry));
        xml.writeEndElement();
    }

private:
    void single(const char* name, const QString& text)
    {
        if (!text.isEmpty())
            xml.writeTextElement(QString::fromLatin1(name), text);
    }
    void several(const char* name, const QStringList& items)
    {
        QStringList kept = items;
        kept.removeAll(QString());
        if (kept.isEmpty())
            return;
        xml.writeStartElement(QString::fromLatin1(name) + QLatin1Char('s'));
        for (const QString& item : kept)
            xml.writeTextElement(QString::fromLatin1(name), item);
        xml.writeEndElement();
    }
    void table(const char* name, const std::vector<QStringList>& rows)
    {
        if (rows.empty())
            return;
        xml.writeStartElement(QString::fromLatin1(name) + QLatin1Char('s'));
        for (const QStringList& row : rows) {
            xml.writeStartElement(QString::fromLatin1(name));
            for (const QString& column : row)
                xml.writeTextElement(QStringLiteral("column"), column);
            xml.writeEndElement();
        }
        xml.writeEndElement();
    }
    // The entry's own comments (attachment names), then every field Tellico has no place for.
    QString comments(const ExportEntry& entry) const
    {
        QStringList lines;
        const QString own = catalogue.value(entry, catalogue.column(QStringLiteral("Comments"))).trimmed();
        if (!own.isEmpty())
            lines << own << QString();
        const QString file = catalogue.value(entry, catalogue.column(QStringLiteral("URL"))).trimmed();
        if (!file.isEmpty() && fileLink(file).isEmpty())
            lines << catalogue.columnNames[catalogue.column(QStringLiteral("URL"))] + QStringLiteral(" : ") + file;
        for (int c = 0; c < catalogue.columns.size(); ++c) {
            const QString text = catalogue.value(entry, c).trimmed();
            if (!text.isEmpty() && !mappedTags.contains(catalogue.columns[c]))
                lines << catalogue.columnNames[c] + QStringLiteral(" : ") + withUnit(catalogue.columns[c], text);
        }
        while (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return paragraph(lines.join(QLatin1Char('\n')));
    }

    QXmlStreamWriter& xml;
    const ExportCatalogue& catalogue;
};

void writeFieldDefinitions(QXmlStreamWriter& xml)
{
    xml.writeStartElement(QStringLiteral("fields"));
    for (const Field& field : fields()) {
        xml.writeStartElement(QStringLiteral("field"));
        xml.writeAttribute(QStringLiteral("name"), QString::fromLatin1(field.name));
        xml.writeAttribute(QStringLiteral("title"), QString::fromUtf8(field.title));
        xml.writeAttribute(QStringLiteral("category"), QString::fromUtf8(field.category));
        xml.writeAttribute(QStringLiteral("type"), QString::number(field.type));
        xml.writeAttribute(QStringLiteral("flags"), QString::number(field.flags));
        xml.writeAttribute(QStringLiteral("format"), QString::number(field.format));
        xml.writeAttribute(QStringLiteral("i18n"), QStringLiteral("false"));
        for (const auto& [name, value] : field.props) {
            xml.writeStartElement(QStringLiteral("prop"));
            xml.writeAttribute(QStringLiteral("name"), QString::fromLatin1(name));
            xml.writeCharacters(QString::fromUtf8(value));
            xml.writeEndElement();
        }
        xml.writeEndElement();
    }
    xml.writeEndElement();
}

QString zipError(zip_t* archive)
{
    zip_error_t* error = zip_get_error(archive);
    if (zip_error_system_type(error) == ZIP_ET_SYS && zip_error_code_system(error) != 0)
        return diskReason(zip_error_code_system(error));
    return QString::fromUtf8(zip_strerror(archive));
}

// Asks the progress bar, while the zip is written, whether to stop; what it
// throws waits here until the zip has let go.
struct Stop {
    ScanProgress& progress;
    std::exception_ptr thrown;

    static int asked(zip_t*, void* state)
    {
        auto* stop = static_cast<Stop*>(state);
        if (stop->thrown)
            return 1;
        try {
            stop->progress.processEvents();
        } catch (...) {
            stop->thrown = std::current_exception();
            return 1;
        }
        return 0;
    }
};

} // namespace

QByteArray tellicoXml(const ExportCatalogue& catalogue, const std::function<QString(size_t)>& cover,
    const std::map<QString, TellicoImage>& images)
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartDocument();
    xml.writeDTD(QStringLiteral("<!DOCTYPE tellico PUBLIC \"-//Robby Stephenson/DTD Tellico V11.0//EN\" "
                                "\"http://periapsis.org/tellico/dtd/v11/tellico.dtd\">"));
    xml.writeStartElement(QStringLiteral("tellico"));
    xml.writeAttribute(QStringLiteral("xmlns"), QStringLiteral("http://periapsis.org/tellico/"));
    xml.writeAttribute(QStringLiteral("syntaxVersion"), QStringLiteral("11"));
    xml.writeStartElement(QStringLiteral("collection"));
    xml.writeAttribute(QStringLiteral("title"), catalogue.name.isEmpty() ? QStringLiteral("Films") : catalogue.name);
    xml.writeAttribute(QStringLiteral("type"), QStringLiteral("3"));
    writeFieldDefinitions(xml);
    EntryWriter entries(xml, catalogue);
    for (size_t i = 0; i < catalogue.entries.size(); ++i)
        entries.write(catalogue.entries[i], i + 1, cover(i));
    if (!images.empty()) {
        xml.writeStartElement(QStringLiteral("images"));
        for (const auto& [id, image] : images) {
            xml.writeEmptyElement(QStringLiteral("image"));
            xml.writeAttribute(QStringLiteral("id"), id);
            xml.writeAttribute(QStringLiteral("format"), QString::fromLatin1(image.format));
            xml.writeAttribute(QStringLiteral("width"), QString::number(image.width));
            xml.writeAttribute(QStringLiteral("height"), QString::number(image.height));
        }
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
}

ExportReport writeTellico(const ExportCatalogue& catalogue, const QString& destination, ScanProgress& progress)
{
    // The covers wait on the disk beside the result, not in memory, until the zip takes them.
    FileReplacement result(destination);
    const QDir staging(result.folder());
    ExportReport report;
    std::vector<QString> covers(catalogue.entries.size());
    std::map<QString, TellicoImage> images;
    for (size_t i = 0; i < catalogue.entries.size(); ++i) {
        const EntryPicture picture = entryPicture(catalogue.entries[i]);
        // Tellico reads JPEG and PNG as they are, sized from their header; other pictures are converted.
        const bool kept = picture.format == "jpeg" || picture.format == "png";
        QByteArray bytes = picture.bytes;
        QSize size = picture.size;
        if (picture.isValid() && (!kept || picture.turned)) {
            const QImage image = decodedPicture(picture);
            bytes.clear();
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            if (image.isNull() || !image.save(&buffer, "PNG"))
                bytes.clear();
            size = image.size();
        }
        if (!picture.isValid() || bytes.isEmpty()) {
            if (!picture.problem.isEmpty() || picture.isValid())
                report.badPictures << badPictureLine(catalogue, catalogue.entries[i],
                    picture.problem.isEmpty() ? QStringLiteral("image illisible") : picture.problem);
        } else {
            const QByteArray format = kept && !picture.turned ? picture.format.toUpper() : QByteArrayLiteral("PNG");
            const QString id = QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex())
                + QLatin1Char('.') + QString::fromLatin1(format.toLower());
            if (!images.count(id)) {
                writeSyncedFile(staging.filePath(id), bytes);
                images[id] = {format, size.width(), size.height()};
            }
            covers[i] = id;
        }
        progress.setPosition(int(i + 1));
        progress.processEvents();
    }
    const QByteArray xml = tellicoXml(
        catalogue, [&](size_t i) { return covers[i]; }, images);

    const QString temporary = result.path();
    int status = 0;
    zip_t* archive = zip_open(QFile::encodeName(temporary).constData(), ZIP_CREATE | ZIP_TRUNCATE, &status);
    if (!archive)
        throw Error(QStringLiteral("impossible de créer %1").arg(temporary));
    // Writing the zip is the longest step with many covers: a stop asked for meanwhile ends it.
    Stop stop {progress, nullptr};
    zip_register_cancel_callback_with_state(archive, &Stop::asked, nullptr, &stop);
    const auto fail = [&](const QString& what) {
        const QString reason = zipError(archive);
        zip_discard(archive);
        if (stop.thrown)
            std::rethrow_exception(stop.thrown);
        throw Error(QStringLiteral("%1 : %2").arg(what, reason));
    };
    zip_source_t* source = zip_source_buffer(archive, xml.constData(), zip_uint64_t(xml.size()), 0);
    if (!source || zip_file_add(archive, "tellico.xml", source, ZIP_FL_ENC_UTF_8) < 0) {
        zip_source_free(source);
        fail(QStringLiteral("ajout de tellico.xml impossible"));
    }
    for (const auto& [id, image] : images) {
        const QByteArray path = QFile::encodeName(staging.filePath(id));
        zip_source_t* file = zip_source_file(archive, path.constData(), 0, -1);
        const QByteArray name = "images/" + id.toLatin1();
        if (!file || zip_file_add(archive, name.constData(), file, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(file);
            fail(QStringLiteral("ajout de l'image %1 impossible").arg(id));
        }
        // Pictures are compressed already.
        zip_set_file_compression(archive, zip_int64_t(zip_get_num_entries(archive, 0) - 1), ZIP_CM_STORE, 0);
    }
    if (zip_close(archive) != 0)
        fail(QStringLiteral("écriture de %1 impossible").arg(destination));
    progress.processEvents();
    result.commit();
    return report;
}

} // namespace filmarch
