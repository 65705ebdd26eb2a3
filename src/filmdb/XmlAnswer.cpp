#include "filmdb/XmlAnswer.h"

#include "media/IntegerText.h"
#include "platform/Error.h"

#include <QFile>

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <limits>

namespace filmarch {

namespace {

const xmlChar* xml(const char* text)
{
    return reinterpret_cast<const xmlChar*>(text);
}

void ignoreStructuredError(void*, xmlErrorPtr)
{
}

bool isElement(xmlNodePtr node, const char* name)
{
    return node->type == XML_ELEMENT_NODE && xmlStrEqual(node->name, xml(name));
}

QString takeText(xmlChar* value)
{
    if (!value)
        return {};
    QString text = QString::fromUtf8(reinterpret_cast<const char*>(value));
    xmlFree(value);
    return text;
}

QString unreadable(const char* what)
{
    return QStringLiteral("Réponse de la base de films illisible : %1").arg(QLatin1String(what));
}

} // namespace

XmlAnswer::XmlAnswer(const QByteArray& bytes, const char* rootName)
{
    static const bool initialised = [] {
        xmlInitParser();
        return true;
    }();
    (void)initialised;
    xmlSetStructuredErrorFunc(nullptr, &ignoreStructuredError);
    if (bytes.size() > std::numeric_limits<int>::max())
        throw Error(unreadable("réponse trop volumineuse"));
    // Without XML_PARSE_NOENT or XML_PARSE_DTDLOAD nothing outside the bytes is read.
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    xmlDocPtr parsed = xmlReadMemory(bytes.constData(), static_cast<int>(bytes.size()), nullptr, nullptr, options);
    if (!parsed)
        throw Error(unreadable("document XML mal formé"));
    document.reset(parsed, &xmlFreeDoc);
    // The service sends no DTD; one here could only declare entities to expand.
    if (parsed->intSubset || parsed->extSubset)
        throw Error(unreadable("DTD refusée"));
    rootNode = xmlDocGetRootElement(parsed);
    if (!rootNode || !isElement(rootNode, rootName))
        throw Error(unreadable(rootName));
}

QByteArray XmlAnswer::readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Lecture impossible : %1 (%2)").arg(path, file.errorString()));
    return file.readAll();
}

std::vector<XmlAnswer::Node> XmlAnswer::children(Node parent, const char* name)
{
    std::vector<Node> found;
    if (parent)
        for (xmlNodePtr child = parent->children; child; child = child->next)
            if (isElement(child, name))
                found.push_back(child);
    return found;
}

XmlAnswer::Node XmlAnswer::child(Node parent, const char* name)
{
    if (parent)
        for (xmlNodePtr child = parent->children; child; child = child->next)
            if (isElement(child, name))
                return child;
    return nullptr;
}

QString XmlAnswer::text(Node node)
{
    return node ? takeText(xmlNodeGetContent(node)) : QString();
}

QString XmlAnswer::ownText(Node node, const char* what)
{
    if (!node)
        return {};
    for (xmlNodePtr child = node->children; child; child = child->next)
        if (child->type == XML_ELEMENT_NODE)
            throw Error(unreadable(what));
    return text(node);
}

QString XmlAnswer::attribute(Node node, const char* name)
{
    return node ? takeText(xmlGetProp(node, xml(name))) : QString();
}

bool XmlAnswer::hasAttribute(Node node, const char* name)
{
    return node && xmlHasProp(node, xml(name));
}

int XmlAnswer::integer(Node node, const char* what)
{
    const std::optional<int> value = optionalInteger(node);
    if (!value)
        throw Error(unreadable(what));
    return *value;
}

int XmlAnswer::integerAttribute(Node node, const char* name, const char* what)
{
    const std::optional<int> value = optionalIntegerAttribute(node, name);
    if (!value)
        throw Error(unreadable(what));
    return *value;
}

std::optional<int> XmlAnswer::optionalInteger(Node node)
{
    const QString value = text(node);
    if (!isIntegerText(value))
        return std::nullopt;
    return toInteger(value);
}

std::optional<int> XmlAnswer::optionalIntegerAttribute(Node node, const char* name)
{
    const QString value = attribute(node, name);
    if (!hasAttribute(node, name) || !isIntegerText(value))
        return std::nullopt;
    return toInteger(value);
}

void XmlAnswer::checkPosition(int index, size_t count, const char* what)
{
    if (index < 0 || static_cast<size_t>(index) >= count)
        throw Error(QStringLiteral("Réponse de la base de films : %1 %2 absent").arg(QLatin1String(what)).arg(index));
}

} // namespace filmarch
