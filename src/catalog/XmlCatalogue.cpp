#include "catalog/XmlCatalogue.h"

#include "platform/Error.h"
#include "platform/SafeFile.h"
#include "platform/Windows1252.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlsave.h>

#include <limits>
#include <utility>

namespace filmarch {

namespace {

const xmlChar* xml(const char* text)
{
    return reinterpret_cast<const xmlChar*>(text);
}
const xmlChar* xml(const QByteArray& text)
{
    return reinterpret_cast<const xmlChar*>(text.constData());
}

// Parser messages go into our exceptions, never to the terminal.
void ignoreStructuredError(void*, xmlErrorPtr)
{
}
void ignoreGenericError(void*, const char*, ...)
{
}

// libxml2 keeps its handlers and output settings per thread: set them before each use.
void prepareLibxml()
{
    static const bool initialised = [] {
        xmlInitParser();
        return true;
    }();
    (void)initialised;
    xmlSetStructuredErrorFunc(nullptr, &ignoreStructuredError);
    xmlSetGenericErrorFunc(nullptr, &ignoreGenericError);
    xmlIndentTreeOutput = 1;
    xmlTreeIndentString = "  ";
}

xmlNodePtr firstChildElement(xmlNodePtr parent, const char* name)
{
    for (xmlNodePtr child = parent->children; child; child = child->next)
        if (child->type == XML_ELEMENT_NODE && xmlStrEqual(child->name, xml(name)))
            return child;
    return nullptr;
}

bool isMovie(xmlNodePtr node)
{
    return node->type == XML_ELEMENT_NODE && xmlStrEqual(node->name, xml("Movie"));
}

// XML 1.0 has no place for most control characters, nor for unpaired surrogates:
// written as they are, they would make the file unreadable on the next load.
QString withoutForbiddenCharacters(const QString& value)
{
    QString clean;
    clean.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        const char16_t u = c.unicode();
        if (c.isHighSurrogate() && i + 1 < value.size() && value[i + 1].isLowSurrogate()) {
            clean.append(c).append(value[++i]);
            continue;
        }
        if (c.isSurrogate() || u == 0xFFFE || u == 0xFFFF)
            continue;
        if (u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r')
            continue;
        clean.append(c);
    }
    return clean;
}

QString lastErrorText(xmlParserCtxtPtr context)
{
    const xmlError* error = context ? xmlCtxtGetLastError(context) : nullptr;
    if (!error || !error->message)
        return QStringLiteral("document vide ou illisible");
    return QStringLiteral("ligne %1 : %2").arg(error->line).arg(QString::fromUtf8(error->message).trimmed());
}

int appendToByteArray(void* context, const char* data, int size)
{
    static_cast<QByteArray*>(context)->append(data, size);
    return size;
}

// The encodings a catalogue is saved in are those that come back as they were
// written, under one name each whatever their spelling; any other declared
// encoding (UTF-7, HZ-GB-2312...) gives windows-1252, the format's own.
const char* savedEncoding(const char* declared)
{
    if (!declared)
        return nullptr; // no declaration: UTF-8
    QString key = QString::fromUtf8(declared).toLower();
    key.remove(QRegularExpression(QStringLiteral("[-_ .:]")));
    struct Encoding {
        const char* name;
        const char* spellings[12];
    };
    static const Encoding known[] = {
        {"windows-1252", {"windows1252", "cp1252", "xcp1252", "win1252", "ms1252"}},
        {"ISO-8859-1", {"iso88591", "latin1", "l1", "isoir100", "iso885911987", "cp819", "ibm819", "csisolatin1"}},
        {"UTF-8", {"utf8"}},
        {"US-ASCII",
            {"usascii", "ascii", "ansix341968", "iso646us", "us", "ibm367", "cp367", "csascii", "iso646irv1991",
                "isoir6"}},
    };
    for (const Encoding& encoding : known)
        for (const char* spelling : encoding.spellings)
            if (spelling && key == QLatin1String(spelling))
                return encoding.name;
    return "windows-1252";
}

bool writableIn(const xmlChar* text, const char* encoding)
{
    if (!text || !encoding || xmlStrEqual(xml(encoding), xml("UTF-8")))
        return true;
    const QString value = QString::fromUtf8(reinterpret_cast<const char*>(text));
    if (xmlStrEqual(xml(encoding), xml("windows-1252")))
        return fromWindows1252(toWindows1252(value)) == value;
    const char16_t above = xmlStrEqual(xml(encoding), xml("US-ASCII")) ? 0x80 : 0x100;
    for (const QChar c : value)
        if (c.unicode() >= above)
            return false;
    return true;
}

// Names, comments, processing instructions and CDATA sections have no
// character references: each of their characters must exist in the encoding.
bool markupWritableIn(xmlNodePtr node, const char* encoding)
{
    for (; node; node = node->next) {
        switch (node->type) {
        case XML_ELEMENT_NODE:
            if (!writableIn(node->name, encoding) || (node->ns && !writableIn(node->ns->prefix, encoding)))
                return false;
            for (xmlAttrPtr attribute = node->properties; attribute; attribute = attribute->next)
                if (!writableIn(attribute->name, encoding)
                    || (attribute->ns && !writableIn(attribute->ns->prefix, encoding)))
                    return false;
            for (xmlNsPtr ns = node->nsDef; ns; ns = ns->next)
                if (!writableIn(ns->prefix, encoding) || !writableIn(ns->href, encoding))
                    return false;
            break;
        case XML_PI_NODE:
        case XML_ENTITY_REF_NODE:
            if (!writableIn(node->name, encoding) || !writableIn(node->content, encoding))
                return false;
            break;
        case XML_COMMENT_NODE:
        case XML_CDATA_SECTION_NODE:
            if (!writableIn(node->content, encoding))
                return false;
            break;
        default: break;
        }
        if (node->type == XML_ELEMENT_NODE && !markupWritableIn(node->children, encoding))
            return false;
    }
    return true;
}

} // namespace

QString XmlCatalogue::storedText(const QString& value)
{
    return withoutForbiddenCharacters(value);
}

void XmlCatalogue::Movie::setAttribute(const QString& name, const QString& value)
{
    xmlSetProp(element, xml(name.toUtf8()), xml(withoutForbiddenCharacters(value).toUtf8()));
}

XmlCatalogue::XmlCatalogue(xmlDocPtr document, xmlNodePtr contents) : document(document), contents(contents)
{
    for (xmlNodePtr child = contents->children; child; child = child->next)
        if (isMovie(child))
            movies.push_back(child);
}

XmlCatalogue::~XmlCatalogue()
{
    xmlFreeDoc(document);
}

std::unique_ptr<XmlCatalogue> XmlCatalogue::createNew()
{
    prepareLibxml();
    xmlDocPtr document = xmlNewDoc(xml("1.0"));
    document->encoding = xmlStrdup(xml("windows-1252"));
    xmlNodePtr root = xmlNewDocNode(document, nullptr, xml("AntMovieCatalog"), nullptr);
    xmlDocSetRootElement(document, root);
    xmlSetProp(root, xml("Format"), xml("35"));
    xmlSetProp(root, xml("Version"), xml("3.5.1 (2007-09-22)"));
    xmlSetProp(root, xml("Date"), xml("17/08/2008 17:44:15"));
    xmlNodePtr catalog = xmlNewChild(root, nullptr, xml("Catalog"), nullptr);
    xmlNewChild(catalog, nullptr, xml("Properties"), nullptr);
    xmlNodePtr contents = xmlNewChild(catalog, nullptr, xml("Contents"), nullptr);
    return std::unique_ptr<XmlCatalogue>(new XmlCatalogue(document, contents));
}

std::unique_ptr<XmlCatalogue> XmlCatalogue::fromBytes(const QByteArray& bytes)
{
    prepareLibxml();
    if (bytes.size() > std::numeric_limits<int>::max())
        throw Error(QStringLiteral("Le catalogue XML est trop volumineux pour être lu"));
    xmlParserCtxtPtr context = xmlNewParserCtxt();
    if (!context)
        throw Error(QStringLiteral("Mémoire insuffisante pour lire le catalogue XML"));
    // Blank text between elements is dropped so that the saved file is indented afresh;
    // no network access and no entity substitution for a file that comes from outside.
    // A catalogue may be as large as the user made it: without the option the
    // library refuses documents past about 10 MB. Answers from the network
    // are read elsewhere, with the bound.
    const int options = XML_PARSE_NOBLANKS | XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_HUGE;
    xmlDocPtr document =
        xmlCtxtReadMemory(context, bytes.constData(), static_cast<int>(bytes.size()), nullptr, nullptr, options);
    if (!document) {
        const QString reason = lastErrorText(context);
        xmlFreeParserCtxt(context);
        throw Error(QStringLiteral("Le catalogue n'est pas un document XML valide (%1)").arg(reason));
    }
    xmlFreeParserCtxt(context);

    xmlNodePtr root = xmlDocGetRootElement(document);
    xmlNodePtr catalog = root ? firstChildElement(root, "Catalog") : nullptr;
    if (!catalog) {
        xmlFreeDoc(document);
        throw Error(QStringLiteral("Le catalogue XML n'a pas d'élément Catalog sous sa racine"));
    }
    xmlNodePtr contents = firstChildElement(catalog, "Contents");
    if (!contents) {
        xmlFreeDoc(document);
        throw Error(QStringLiteral("L'élément Catalog du catalogue XML n'a pas d'élément Contents"));
    }
    return std::unique_ptr<XmlCatalogue>(new XmlCatalogue(document, contents));
}

std::unique_ptr<XmlCatalogue> XmlCatalogue::loadFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Lecture du catalogue impossible : %1 (%2)").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Error(QStringLiteral("Lecture du catalogue impossible : %1 (%2)").arg(path, file.errorString()));
    return fromBytes(bytes);
}

int XmlCatalogue::movieCount() const
{
    return static_cast<int>(movies.size());
}

QString XmlCatalogue::movieAttribute(int index, const QString& name) const
{
    if (index < 0 || index >= movieCount())
        return {};
    xmlChar* value = xmlGetProp(movies[static_cast<size_t>(index)], xml(name.toUtf8()));
    if (!value)
        return {};
    QString text = QString::fromUtf8(reinterpret_cast<const char*>(value));
    xmlFree(value);
    return text;
}

QList<std::pair<QString, QString>> XmlCatalogue::movieAttributes(int index, const QString& child) const
{
    QList<std::pair<QString, QString>> attributes;
    if (index < 0 || index >= movieCount())
        return attributes;
    xmlNodePtr element = movies[static_cast<size_t>(index)];
    if (!child.isEmpty())
        element = firstChildElement(element, child.toUtf8().constData());
    if (!element)
        return attributes;
    for (xmlAttrPtr attribute = element->properties; attribute; attribute = attribute->next) {
        xmlChar* value = xmlNodeListGetString(document, attribute->children, 1);
        attributes.append({QString::fromUtf8(reinterpret_cast<const char*>(attribute->name)),
            QString::fromUtf8(value ? reinterpret_cast<const char*>(value) : "")});
        xmlFree(value);
    }
    return attributes;
}

XmlCatalogue::Movie XmlCatalogue::appendMovie()
{
    xmlNodePtr movie = xmlNewChild(contents, nullptr, xml("Movie"), nullptr);
    if (!movie)
        throw Error(QStringLiteral("Mémoire insuffisante pour ajouter un film au catalogue XML"));
    movies.push_back(movie);
    return Movie(movie);
}

XmlCatalogue::Movie XmlCatalogue::movie(int index)
{
    return Movie(movies.at(static_cast<size_t>(index)));
}

void XmlCatalogue::removeMovie(int index)
{
    xmlNodePtr element = movies.at(static_cast<size_t>(index));
    if (element->prev && xmlIsBlankNode(element->prev)) {
        xmlNodePtr blank = element->prev;
        xmlUnlinkNode(blank);
        xmlFreeNode(blank);
    }
    xmlUnlinkNode(element);
    xmlFreeNode(element);
    movies.erase(movies.begin() + index);
}

QByteArray XmlCatalogue::toBytes() const
{
    prepareLibxml();
    QByteArray bytes;
    // The declaration names the encoding the bytes are really in.
    const char* encoding = savedEncoding(reinterpret_cast<const char*>(document->encoding));
    // Markup the encoding cannot hold would not read back: such a catalogue is written in UTF-8.
    if (encoding && !markupWritableIn(document->children, encoding))
        encoding = "UTF-8";
    if (encoding && !xmlStrEqual(document->encoding, xml(encoding))) {
        xmlFree(const_cast<xmlChar*>(document->encoding));
        document->encoding = xmlStrdup(xml(encoding));
    }
    xmlSaveCtxtPtr saver = xmlSaveToIO(&appendToByteArray, nullptr, &bytes, encoding, XML_SAVE_FORMAT);
    if (!saver)
        throw Error(
            QStringLiteral("Encodage du catalogue XML non pris en charge : %1").arg(QString::fromUtf8(encoding)));
    const long saved = xmlSaveDoc(saver, document);
    const int closed = xmlSaveClose(saver);
    if (saved < 0 || closed < 0)
        throw Error(QStringLiteral("Écriture du catalogue XML impossible (encodage %1)")
                        .arg(QString::fromUtf8(encoding ? encoding : "UTF-8")));
    return bytes;
}

int XmlCatalogue::firstFreeNumber() const
{
    std::vector<bool> used(movies.size() + 2, false);
    for (xmlNodePtr movie : movies) {
        xmlChar* value = xmlGetProp(movie, xml("Number"));
        bool ok = false;
        const qint64 n = value ? QByteArray(reinterpret_cast<const char*>(value)).trimmed().toLongLong(&ok) : 0;
        xmlFree(value);
        if (ok && n >= 1 && n < qint64(used.size()))
            used[size_t(n)] = true;
    }
    int n = 1;
    while (used[size_t(n)])
        ++n;
    return n;
}

void XmlCatalogue::saveFile(const QString& path) const
{
    const QByteArray bytes = toBytes();
    // Bytes that would not load again never replace a catalogue.
    try {
        if (fromBytes(bytes)->movieCount() != movieCount())
            throw Error(QStringLiteral("des entrées manquent"));
    } catch (const Error& e) {
        throw Error(
            QStringLiteral("Enregistrement du catalogue impossible : %1 (le fichier écrit ne se relit pas : %2)")
                .arg(path, e.message()));
    }
    try {
        replaceFile(path, bytes);
    } catch (const Error& e) {
        throw Error(QStringLiteral("Enregistrement du catalogue impossible : %1 (%2)").arg(path, e.message()));
    }
}

} // namespace filmarch
