// The binary AMC file: a 65-byte header naming the version, the catalogue
// properties, the extra-field definitions (4.0 and 4.1), then entry records up
// to the end of the file. Integers are 32-bit little-endian, Booleans one byte,
// strings a 32-bit byte count followed by windows-1252 bytes.
#include "catalog/MovieList.h"

#include "platform/Error.h"
#include "platform/SafeFile.h"
#include "platform/Windows1252.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <map>

namespace filmarch {
namespace {

constexpr qsizetype headerSize = 65;

struct Header {
    int version;
    const char* text; // exactly headerSize bytes
};

const std::array<Header, 5> headers = {{
    {41, " AMC_4.1 Ant Movie Catalog 4.1.x   antp/soulsnake    www.antp.be "},
    {40, " AMC_4.0 Ant Movie Catalog 4.0.x   antp/soulsnake    www.antp.be "},
    {35, " AMC_3.5 Ant Movie Catalog 3.5.x   www.buypin.com    www.antp.be "},
    {33, " AMC_3.3 Ant Movie Catalog 3.3.x   www.buypin.com  www.ant.be.tf "},
    {31, " AMC_3.1 Ant Movie Catalog 3.1.x   www.buypin.com  www.ant.be.tf "},
}};

const char* headerOf(int layout)
{
    for (const Header& h : headers)
        if (h.version == layout)
            return h.text;
    return headers[0].text;
}

int layoutFor(int version)
{
    return version >= 41 ? 41 : version == 40 ? 40 : 35;
}

// Reading past the end of the bytes, or a count larger than what is left.
struct ReadError {};

class Reader {
public:
    Reader(const QByteArray& bytes, qsizetype start) : data(bytes.constData()), size(bytes.size()), pos(start) {}
    // Reads the file a window at a time: what is skipped is never read. A
    // file that cannot be read throws Error (not a damaged entry).
    Reader(QFile& f, qsizetype start) : file(&f), size(f.size()), pos(start) {}

    bool atEnd() const { return pos >= size; }

    qint32 int32()
    {
        const qint32 v = qFromLittleEndian<qint32>(need(4));
        pos += 4;
        return v;
    }
    quint8 byte()
    {
        const quint8 v = quint8(*need(1));
        pos += 1;
        return v;
    }
    bool boolean() { return byte() != 0; }
    QString string()
    {
        const qint32 n = int32();
        if (n <= 0)
            return QString();
        const QString text = fromWindows1252(need(n), n);
        pos += n;
        return text;
    }
    // Shares the bytes being read (from memory): they must outlive what is made of them.
    QByteArray sharedBytes(qint32 n)
    {
        const char* at = need(n);
        const QByteArray b = file ? QByteArray(at, n) : QByteArray::fromRawData(at, n);
        pos += n;
        return b;
    }
    qsizetype position() const { return pos; }
    void skip(qsizetype n)
    {
        if (n < 0 || n > size - pos)
            throw ReadError();
        pos += n;
    }

private:
    const char* need(qsizetype n)
    {
        if (n < 0 || n > size - pos)
            throw ReadError();
        if (!file)
            return data + pos;
        if (pos < windowStart || pos + n > windowStart + window.size()) {
            windowStart = pos;
            window = file->seek(pos) ? file->read(std::max<qsizetype>(n, 1 << 20)) : QByteArray();
            if (window.size() < n)
                throw Error(file->errorString());
        }
        return window.constData() + (pos - windowStart);
    }
    const char* data = nullptr;
    QFile* file = nullptr;
    QByteArray window;
    qsizetype windowStart = 0;
    qsizetype size;
    qsizetype pos;
};

class Writer {
public:
    explicit Writer(QByteArray& target) : out(target) {}

    void raw(const char* bytes, qsizetype n) { out.append(bytes, n); }
    void int32(qint32 v)
    {
        char b[4];
        qToLittleEndian(v, b);
        out.append(b, 4);
    }
    void byte(quint8 v) { out.append(char(v)); }
    void boolean(bool v) { byte(v ? 1 : 0); }
    void string(QStringView text)
    {
        const qsizetype countAt = out.size();
        out.append(4, '\0');
        const qsizetype n = appendWindows1252(out, text);
        qToLittleEndian(qint32(n), out.data() + countAt);
    }

private:
    QByteArray& out;
};

void readDefinition(Reader& r, TCustomFieldProperties& def, int version)
{
    def.FieldName = r.string();
    if (version >= 41)
        def.FieldExt = r.string();
    def.FieldType = ConvertFieldTypeFromString(r.string());
    def.DefaultValue = ConvertFieldValue(r.string(), def.FieldType, false, true, true);
    if (version >= 41)
        def.MediaInfo = r.string();
    def.MultiValues = r.boolean();
    if (version >= 41) {
        // Separator block: the separator as a 16-bit unit, then copies of the
        // two flags that follow it; the copies are not used.
        const quint8 low = r.byte();
        const quint8 high = r.byte();
        const quint16 sep = quint16(low | (high << 8));
        def.MultiValuesSep = sep ? QChar(sep) : QChar(u',');
        r.skip(2);
        def.MultiValuesRmP = r.boolean();
        def.MultiValuesPatch = r.boolean();
    }
    def.ExcludedInScripts = r.boolean();
    def.GUIProperties = r.string();
    if (def.FieldType == ftList) {
        const qint32 n = r.int32();
        for (qint32 i = 0; i < n; ++i)
            def.ListValues.append(r.string());
        if (version >= 41) {
            def.ListAutoAdd = r.boolean();
            def.ListSort = r.boolean();
            def.ListAutoComplete = r.boolean();
            def.ListUseCatalogValues = r.boolean();
        }
    }
}

void writeDefinition(Writer& w, const TCustomFieldProperties& def, int layout)
{
    w.string(def.FieldName);
    if (layout >= 41)
        w.string(def.FieldExt);
    w.string(ConvertFieldTypeToString(def.FieldType));
    w.string(ConvertFieldValue(def.DefaultValue, def.FieldType, false, true, true));
    if (layout >= 41)
        w.string(def.MediaInfo);
    w.boolean(def.MultiValues);
    if (layout >= 41) {
        const char16_t sep = def.MultiValuesSep.unicode();
        w.byte(quint8(sep & 0xFF));
        w.byte(quint8(sep >> 8));
        w.boolean(def.MultiValuesRmP);
        w.boolean(def.MultiValuesPatch);
        w.boolean(def.MultiValuesRmP);
        w.boolean(def.MultiValuesPatch);
    }
    w.boolean(def.ExcludedInScripts);
    w.string(def.GUIProperties);
    if (def.FieldType == ftList) {
        w.int32(qint32(def.ListValues.size()));
        for (const QString& value : def.ListValues)
            w.string(value);
        if (layout >= 41) {
            w.boolean(def.ListAutoAdd);
            w.boolean(def.ListSort);
            w.boolean(def.ListAutoComplete);
            w.boolean(def.ListUseCatalogValues);
        }
    }
}

// Reads the definitions block into `defs` (emptied first) and returns the tags
// in the order the file gives them: the order of the values in each entry.
QStringList readDefinitions(Reader& r, TCustomFieldsProperties& defs, int version)
{
    defs.Clear();
    defs.ColumnSettings = r.string();
    defs.GUIProperties = r.string();
    const qint32 count = r.int32();
    // Gathered in a map first: a file may list its definitions in any order,
    // and a tag met twice reuses the first definition.
    std::map<QString, std::unique_ptr<TCustomFieldProperties>, TagLess> read;
    QStringList fileOrder;
    for (qint32 i = 0; i < count; ++i) {
        const QString tag = r.string();
        auto [it, added] = read.try_emplace(tag, nullptr);
        if (added) {
            it->second = std::make_unique<TCustomFieldProperties>(tag);
            fileOrder.append(tag);
        }
        readDefinition(r, *it->second, version);
    }
    for (auto& [tag, def] : read)
        defs.AddField(tag) = std::move(*def); // in tag order: each one lands at the end
    return fileOrder;
}

void writeDefinitions(Writer& w, const TCustomFieldsProperties& defs, int layout)
{
    w.string(defs.ColumnSettings);
    w.string(defs.GUIProperties);
    w.int32(defs.Count());
    for (int i = 0; i < defs.Count(); ++i) {
        const TCustomFieldProperties& def = defs.GetItem(i);
        w.string(def.FieldTag);
        writeDefinition(w, def, layout);
    }
}

void readMovie(Reader& r, TMovie& m, int version, const QStringList& valueTags, bool withPicture = true)
{
    m.iNumber = r.int32();
    m.iDate = r.int32();
    m.iRating = r.int32();
    m.iYear = r.int32();
    m.iLength = r.int32();
    m.iVideoBitrate = r.int32();
    m.iAudioBitrate = r.int32();
    m.iDisks = r.int32();
    if (version >= 41)
        m.iColorTag = r.int32() % 13; // the remainder keeps the sign: -1 stays -1
    m.bChecked = r.boolean();
    m.strMedia = r.string();
    if (version >= 33) {
        m.strMediaType = r.string();
        m.strSource = r.string();
    }
    m.strBorrower = r.string();
    m.strOriginalTitle = r.string();
    m.strTranslatedTitle = r.string();
    m.strDirector = r.string();
    m.strProducer = r.string();
    m.strCountry = r.string();
    m.strCategory = r.string();
    m.strActors = r.string();
    m.strURL = r.string();
    m.strDescription = r.string();
    m.strComments = r.string();
    m.strVideoFormat = r.string();
    m.strAudioFormat = r.string();
    m.strResolution = r.string();
    m.strFramerate = r.string();
    m.strLanguages = r.string();
    m.strSubtitles = r.string();
    m.strSize = r.string();
    m.strPicture = r.string();
    const qint32 pictureSize = r.int32();
    if (pictureSize > 0 && withPicture)
        m.Picture = r.sharedBytes(pictureSize);
    else if (pictureSize > 0)
        r.skip(pictureSize);
    if (version >= 40)
        for (const QString& tag : valueTags)
            m.CustomFields.SetFieldValue(tag, r.string(), true);
    // Versions before 3.5 count whole points.
    if (version < 35 && m.iRating != -1)
        m.iRating = qint32(quint32(m.iRating) * 10u);
}

void writeMovie(Writer& w, const TMovie& m, const TCustomFieldsProperties& defs, int layout)
{
    const qint32 integers[] = {
        m.iNumber, m.iDate, m.iRating, m.iYear, m.iLength, m.iVideoBitrate, m.iAudioBitrate, m.iDisks};
    for (qint32 v : integers)
        w.int32(v);
    if (layout >= 41)
        w.int32(m.iColorTag);
    w.boolean(m.bChecked);
    for (const QString* text : {&m.strMedia, &m.strMediaType, &m.strSource, &m.strBorrower, &m.strOriginalTitle,
             &m.strTranslatedTitle, &m.strDirector, &m.strProducer, &m.strCountry, &m.strCategory, &m.strActors,
             &m.strURL, &m.strDescription, &m.strComments, &m.strVideoFormat, &m.strAudioFormat, &m.strResolution,
             &m.strFramerate, &m.strLanguages, &m.strSubtitles, &m.strSize, &m.strPicture})
        w.string(*text);
    if (m.Picture && !m.Picture->isEmpty()) {
        // The length is 32 bits: a larger picture would make the rest of the file unreadable.
        if (m.Picture->size() > std::numeric_limits<qint32>::max())
            throw Error(QStringLiteral("Image trop volumineuse pour le catalogue"));
        w.int32(qint32(m.Picture->size()));
        w.raw(m.Picture->constData(), m.Picture->size());
    } else {
        w.int32(0);
    }
    if (layout >= 40)
        for (int i = 0; i < defs.Count(); ++i)
            w.string(m.CustomFields.GetFieldValue(defs.GetItem(i).FieldTag, true, false));
}

QString quoted(const QString& path)
{
    return QLatin1Char('"') + path + QLatin1Char('"');
}

// A failure to load `path`, naming the file.
Error loadError(const QString& path, const QString& reason)
{
    return Error(QStringLiteral("Unable to load file ") + quoted(path) + QStringLiteral(": ") + reason);
}

// Opens a catalogue for reading. A pipe or a device would never end: only
// plain files are catalogues.
void openCatalogue(QFile& file, const QString& path)
{
    if (!file.open(QIODevice::ReadOnly))
        throw loadError(path, file.errorString());
    if (file.isSequential())
        throw loadError(path, QStringLiteral("Not a regular file"));
}

} // namespace

int TMovieList::LoadFromBytes(const QByteArray& data, bool OnlyReadProperties)
{
    int version = 0;
    if (data.size() >= headerSize)
        for (const Header& h : headers)
            if (std::memcmp(data.constData(), h.text, headerSize) == 0)
                version = h.version;
    const QByteArray bytes = data; // `data` may be our own loaded bytes
    Clear();
    damaged = 0;
    // Pictures are read in place: the loaded bytes stay with the list.
    loadedBytes = bytes;
    if (!version)
        throw Error(QStringLiteral("Cannot identify file type from header"));

    Reader r(loadedBytes, headerSize);
    TMovieProperties properties = MovieProperties;
    TCustomFieldsProperties definitions(this);
    definitions.OtherProperties = CustomFieldsProperties.OtherProperties;
    QStringList valueTags;
    try {
        properties.strName = r.string();
        properties.strMail = r.string();
        if (version < 35)
            r.string(); // a text the older versions kept, dropped
        properties.strSite = r.string();
        properties.strDescription = r.string();
        if (version >= 40)
            valueTags = readDefinitions(r, definitions, version);
    } catch (const ReadError&) {
        throw Error(QStringLiteral("Stream read error"));
    }
    MovieProperties = properties;
    CustomFieldsProperties = std::move(definitions);
    if (OnlyReadProperties)
        return version;

    while (!r.atEnd()) {
        auto movie = std::make_unique<TMovie>(&CustomFieldsProperties);
        const qsizetype start = r.position();
        try {
            readMovie(r, *movie, version, valueTags);
        } catch (const ReadError&) {
            // A cut or damaged entry is left out; the ones before it stay.
            damaged = Count() + 1;
            damagedAt = start;
            break;
        }
        items.push_back(std::move(movie));
    }
    return version;
}

void TMovieList::WriteTo(QByteArray& out, int Version) const
{
    const int layout = layoutFor(Version);
    // Room for the whole file: a windows-1252 text takes at most one byte per UTF-16 unit.
    qsizetype estimate = headerSize + 1024;
    for (const auto& m : items) {
        estimate += 256 + 4 * qsizetype(CustomFieldsProperties.Count()) + (m->Picture ? m->Picture->size() : 0)
            + m->strActors.size() + m->strURL.size() + m->strDescription.size() + m->strComments.size()
            + m->strOriginalTitle.size() + m->strTranslatedTitle.size() + m->strDirector.size() + m->strCountry.size()
            + m->strCategory.size();
        for (const auto& [tag, value] : m->CustomFields.Values())
            estimate += 4 + value.size();
    }
    out.reserve(out.size() + estimate);
    Writer w(out);
    w.raw(headerOf(layout), headerSize);
    w.string(MovieProperties.strName);
    w.string(MovieProperties.strMail);
    w.string(MovieProperties.strSite);
    w.string(MovieProperties.strDescription);
    if (layout >= 40)
        writeDefinitions(w, CustomFieldsProperties, layout);
    for (const auto& m : items)
        writeMovie(w, *m, CustomFieldsProperties, layout);
}

QByteArray TMovieList::EntryBytes(const TMovie& m, int Version) const
{
    QByteArray out;
    Writer w(out);
    writeMovie(w, m, CustomFieldsProperties, layoutFor(Version));
    return out;
}

bool TMovieList::WrittenAsRead(int Version)
{
    return layoutFor(Version) == Version;
}

QByteArray TMovieList::SaveToBytes(int Version) const
{
    QByteArray out;
    WriteTo(out, Version);
    return out;
}

int TMovieList::LoadFromFile(const QString& AFileName, bool OnlyReadProperties)
{
    const auto fail = [&](const QString& reason) { return loadError(AFileName, reason); };
    QFile file(AFileName);
    openCatalogue(file, AFileName);
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw fail(file.errorString());
    file.close();
    try {
        return LoadFromBytes(data, OnlyReadProperties);
    } catch (const Error& e) {
        throw fail(e.message());
    }
}

void TMovieList::SaveToFile(
    const QString& FilenameSrc, const QString& FilenameDst, int Version, bool /*ConvertPictures*/)
{
    try {
        replaceFile(FilenameDst, SaveToBytes(Version));
    } catch (const Error& e) {
        throw Error(QStringLiteral("Unable to save file ") + quoted(FilenameDst) + QStringLiteral(": ") + e.message());
    }
    for (const auto& m : items)
        m->CheckPicture(FilenameSrc, FilenameDst);
}

TMovieList::Outline TMovieList::LoadOutline(const QString& AFileName)
{
    const auto fail = [&](const QString& reason) { return loadError(AFileName, reason); };
    QFile file(AFileName);
    openCatalogue(file, AFileName);
    const QByteArray head = file.read(headerSize);
    Outline outline;
    outline.size = file.size();
    for (const Header& h : headers)
        if (head.size() == headerSize && std::memcmp(head.constData(), h.text, headerSize) == 0)
            outline.version = h.version;
    Clear();
    damaged = 0;
    if (!outline.version)
        throw fail(QStringLiteral("Cannot identify file type from header"));

    try {
        Reader r(file, headerSize);
        TCustomFieldsProperties definitions(this);
        definitions.OtherProperties = CustomFieldsProperties.OtherProperties;
        QStringList valueTags;
        try {
            MovieProperties.strName = r.string();
            MovieProperties.strMail = r.string();
            if (outline.version < 35)
                r.string();
            MovieProperties.strSite = r.string();
            MovieProperties.strDescription = r.string();
            if (outline.version >= 40)
                valueTags = readDefinitions(r, definitions, outline.version);
        } catch (const ReadError&) {
            throw Error(QStringLiteral("Stream read error"));
        }
        CustomFieldsProperties = std::move(definitions);
        while (!r.atEnd()) {
            TMovie movie(&CustomFieldsProperties);
            const qsizetype start = r.position();
            try {
                readMovie(r, movie, outline.version, valueTags, false);
            } catch (const ReadError&) {
                damaged = int(outline.numbers.size()) + 1;
                damagedAt = start;
                break;
            }
            outline.numbers.push_back(movie.iNumber);
            outline.urls << movie.strURL;
            outline.comments << movie.strComments;
        }
    } catch (const Error& e) {
        throw fail(e.message());
    }
    return outline;
}

} // namespace filmarch
