#pragma once
// The XML catalogue held in memory: root AntMovieCatalog > Catalog > Properties, Contents,
// one Movie element per entry carrying all its data in attributes.
#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>
#include <utility>
#include <vector>

struct _xmlDoc;
struct _xmlNode;

namespace filmarch {

class XmlCatalogue {
public:
    // One Movie element of the document; valid as long as its catalogue lives.
    class Movie {
    public:
        // Attributes appear in the file in the order of the calls; setting one again
        // changes its value in place. Characters that XML cannot carry are dropped.
        void setAttribute(const QString& name, const QString& value);

    private:
        friend class XmlCatalogue;
        explicit Movie(_xmlNode* element) : element(element) {}
        _xmlNode* element;
    };

    // Declaration version "1.0", encoding "windows-1252"; the root with its three fixed
    // attributes; Catalog holding an empty Properties and an empty Contents.
    static std::unique_ptr<XmlCatalogue> createNew();
    // Throws Error when the bytes are not XML, the root has no Catalog child element,
    // or Catalog has no Contents child element. The document keeps its own declaration.
    static std::unique_ptr<XmlCatalogue> fromBytes(const QByteArray& bytes);
    static std::unique_ptr<XmlCatalogue> loadFile(const QString& path);

    ~XmlCatalogue();
    XmlCatalogue(const XmlCatalogue&) = delete;
    XmlCatalogue& operator=(const XmlCatalogue&) = delete;

    // Movie elements under Contents, in document order.
    int movieCount() const;
    // The attribute of the index-th Movie; empty when the Movie lacks it.
    QString movieAttribute(int index, const QString& name) const;
    // Every attribute of the index-th Movie in document order, or of its first child
    // element named `child` when one is given (extra fields kept in a child element).
    QList<std::pair<QString, QString>> movieAttributes(int index, const QString& child = {}) const;
    // The lowest Number from 1 upward that no Movie carries.
    int firstFreeNumber() const;
    // A new Movie after all existing children of Contents.
    Movie appendMovie();
    // The index-th Movie, to change its attributes.
    Movie movie(int index);
    // Takes the index-th Movie out of Contents, with the blank text before it,
    // so that the entries around it keep their layout.
    void removeMovie(int index);
    // A text as an attribute stores it: without the characters XML cannot carry.
    static QString storedText(const QString& value);

    // The whole document in the encoding of its declaration (UTF-8 when it declares none),
    // indented by two spaces; characters the encoding lacks become character references.
    // Only encodings that read back as written are kept (windows-1252, ISO-8859-1, UTF-8,
    // US-ASCII, however spelled, declared under one name); any other becomes windows-1252.
    // A document whose names (or comments) that encoding cannot hold is written in UTF-8.
    QByteArray toBytes() const;
    // Written beside the target and renamed over it, once the bytes were read back whole:
    // a failure leaves the previous file whole. A catalogue file that is read-only is
    // refused. Throws Error.
    void saveFile(const QString& path) const;

private:
    XmlCatalogue(_xmlDoc* document, _xmlNode* contents);

    _xmlDoc* document;
    _xmlNode* contents;
    std::vector<_xmlNode*> movies; // the Movie elements of contents, for indexed reads
};

} // namespace filmarch
