#pragma once
// A parsed answer of the film-database service, read by element names (its
// namespace plays no part). Answers come from outside: no DTD, no entities,
// no network access while parsing.
#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

struct _xmlDoc;
struct _xmlNode;

namespace filmarch {

class XmlAnswer {
public:
    using Node = _xmlNode*;

    // Throws Error when the bytes are not a well-formed document whose root is `rootName`.
    XmlAnswer(const QByteArray& bytes, const char* rootName);

    static QByteArray readFile(const QString& path);

    Node root() const { return rootNode; }

    // Children of `parent` with that name, in document order (none for a null parent).
    static std::vector<Node> children(Node parent, const char* name);
    // The first such child, or null.
    static Node child(Node parent, const char* name);
    // The element's text with that of its descendants; empty for a null node.
    static QString text(Node node);
    // The element's own text; throws Error when it holds elements.
    static QString ownText(Node node, const char* what);
    // The attribute's value; empty when it or the node is missing.
    static QString attribute(Node node, const char* name);
    static bool hasAttribute(Node node, const char* name);
    // The element's text read as a whole number; throws Error naming `what`.
    static int integer(Node node, const char* what);
    static int integerAttribute(Node node, const char* name, const char* what);
    // The same reads for a value that may be absent: none when the node, the
    // attribute or a whole number is missing.
    static std::optional<int> optionalInteger(Node node);
    static std::optional<int> optionalIntegerAttribute(Node node, const char* name);
    // Throws Error when `index` is not a position of a list of `count` items.
    static void checkPosition(int index, size_t count, const char* what);

private:
    std::shared_ptr<_xmlDoc> document;
    Node rootNode = nullptr;
};

} // namespace filmarch
