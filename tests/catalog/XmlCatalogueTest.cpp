// The XML catalogue document: its bytes, its reading, its saving.
#include "catalog/XmlCatalogue.h"
#include "platform/Error.h"
#include "support/FileBytes.h"
#include "support/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <libxml/parser.h>
#include <libxml/tree.h>

using filmarch::Error;
using filmarch::XmlCatalogue;

using filmarch::test::readFile;
using filmarch::test::writeFile;

namespace {

// Name="value" pairs of the first Movie element, in file order, as libxml2 itself reads them.
std::vector<std::pair<QString, QString>> firstMovieAttributes(const QByteArray& bytes)
{
    std::vector<std::pair<QString, QString>> attributes;
    xmlDocPtr document = xmlReadMemory(bytes.constData(), static_cast<int>(bytes.size()), nullptr, nullptr,
        XML_PARSE_NOBLANKS | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!document) {
        ADD_FAILURE() << "written bytes do not read back as XML";
        return attributes;
    }
    xmlNodePtr movie = xmlDocGetRootElement(document)->children->children->next->children;
    for (xmlAttrPtr attribute = movie->properties; attribute; attribute = attribute->next) {
        xmlChar* value = xmlNodeGetContent(reinterpret_cast<xmlNodePtr>(attribute));
        attributes.emplace_back(QString::fromUtf8(reinterpret_cast<const char*>(attribute->name)),
            QString::fromUtf8(reinterpret_cast<const char*>(value)));
        xmlFree(value);
    }
    xmlFreeDoc(document);
    return attributes;
}

const QByteArray indentedCatalogue = "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n"
                                     "<AntMovieCatalog Format=\"43\" Version=\"4.2.2\" Date=\"01/02/2020\">\r\n"
                                     "    <Catalog>\r\n"
                                     "        <Properties Owner=\"Andr\xE9\" Mail=\"\"/>\r\n"
                                     "        <CustomFieldsProperties>\r\n"
                                     "            <CustomFieldProperties Tag=\"Vu\" Type=\"Boolean\"/>\r\n"
                                     "        </CustomFieldsProperties>\r\n"
                                     "        <Contents>\r\n"
                                     "            <!-- saisie manuelle -->\r\n"
                                     "            <Movie Number=\"7\" URL=\"/films/Alien.mkv\">\r\n"
                                     "                <CustomFields Vu=\"True\"/>\r\n"
                                     "            </Movie>\r\n"
                                     "            <Movie Number=\"9\" OriginalTitle=\"L'\xC9t\xE9\"/>\r\n"
                                     "        </Contents>\r\n"
                                     "    </Catalog>\r\n"
                                     "</AntMovieCatalog>\r\n";

} // namespace

TEST(XmlCatalogue, NewCatalogueBytes)
{
    const QByteArray expected =
        "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n"
        "<AntMovieCatalog Format=\"35\" Version=\"3.5.1 (2007-09-22)\" Date=\"17/08/2008 17:44:15\">\n"
        "  <Catalog>\n"
        "    <Properties/>\n"
        "    <Contents/>\n"
        "  </Catalog>\n"
        "</AntMovieCatalog>\n";
    auto catalogue = XmlCatalogue::createNew();
    EXPECT_EQ(catalogue->toBytes(), expected);
    EXPECT_EQ(catalogue->movieCount(), 0);
}

TEST(XmlCatalogue, MovieAttributesKeepTheirOrderAndAreWrittenInWindows1252)
{
    const QString title = QStringLiteral("Amélie ≠ 日本 œ");
    const QString synopsis = QStringLiteral("Tom & Jerry <1> \"2\" 'trois'\nligne 2\ttab &amp;");
    auto catalogue = XmlCatalogue::createNew();
    auto movie = catalogue->appendMovie();
    movie.setAttribute(QStringLiteral("Number"), QStringLiteral("1"));
    movie.setAttribute(QStringLiteral("Checked"), QStringLiteral("True"));
    movie.setAttribute(QStringLiteral("OriginalTitle"), title);
    movie.setAttribute(QStringLiteral("URL"), QStringLiteral("/films/a\u0001b\uFFFF.mkv"));
    movie.setAttribute(QStringLiteral("Description"), synopsis);
    movie.setAttribute(QStringLiteral("Disks"), QStringLiteral("1"));
    movie.setAttribute(QStringLiteral("Number"), QStringLiteral("2")); // again: value changes in place
    catalogue->appendMovie().setAttribute(QStringLiteral("Number"), QStringLiteral("3"));

    const QByteArray bytes = catalogue->toBytes();
    // é and œ are windows-1252 bytes; ≠ and the CJK letters are character references.
    EXPECT_TRUE(bytes.contains("OriginalTitle=\"Am\xE9lie &#8800; &#26085;&#26412; \x9C\"")) << bytes.constData();
    EXPECT_TRUE(bytes.contains("\n    <Contents>\n      <Movie Number=\"2\"")) << bytes.constData();

    const std::vector<std::pair<QString, QString>> expected = {
        {QStringLiteral("Number"), QStringLiteral("2")},
        {QStringLiteral("Checked"), QStringLiteral("True")},
        {QStringLiteral("OriginalTitle"), title},
        {QStringLiteral("URL"), QStringLiteral("/films/ab.mkv")}, // XML cannot carry those two
        {QStringLiteral("Description"), synopsis},
        {QStringLiteral("Disks"), QStringLiteral("1")},
    };
    EXPECT_EQ(firstMovieAttributes(bytes), expected);

    EXPECT_EQ(catalogue->movieCount(), 2);
    EXPECT_EQ(catalogue->movieAttribute(1, QStringLiteral("Number")), QStringLiteral("3"));
    auto reread = XmlCatalogue::fromBytes(bytes);
    EXPECT_EQ(reread->movieAttribute(0, QStringLiteral("Description")), synopsis);
}

TEST(XmlCatalogue, LoadedCatalogueKeepsItsContentAndDeclaration)
{
    auto catalogue = XmlCatalogue::fromBytes(indentedCatalogue);
    ASSERT_EQ(catalogue->movieCount(), 2); // the comment is not a Movie
    EXPECT_EQ(catalogue->movieAttribute(0, QStringLiteral("URL")), QStringLiteral("/films/Alien.mkv"));
    EXPECT_EQ(catalogue->movieAttribute(1, QStringLiteral("OriginalTitle")), QStringLiteral("L'Été"));
    EXPECT_EQ(catalogue->movieAttribute(1, QStringLiteral("URL")), QString());
    EXPECT_EQ(catalogue->movieAttribute(2, QStringLiteral("URL")), QString());

    catalogue->appendMovie().setAttribute(QStringLiteral("Number"), QStringLiteral("3"));
    EXPECT_EQ(catalogue->movieCount(), 3);
    const QByteArray expected = "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n"
                                "<AntMovieCatalog Format=\"43\" Version=\"4.2.2\" Date=\"01/02/2020\">\n"
                                "  <Catalog>\n"
                                "    <Properties Owner=\"Andr\xE9\" Mail=\"\"/>\n"
                                "    <CustomFieldsProperties>\n"
                                "      <CustomFieldProperties Tag=\"Vu\" Type=\"Boolean\"/>\n"
                                "    </CustomFieldsProperties>\n"
                                "    <Contents>\n"
                                "      <!-- saisie manuelle -->\n"
                                "      <Movie Number=\"7\" URL=\"/films/Alien.mkv\">\n"
                                "        <CustomFields Vu=\"True\"/>\n"
                                "      </Movie>\n"
                                "      <Movie Number=\"9\" OriginalTitle=\"L'\xC9t\xE9\"/>\n"
                                "      <Movie Number=\"3\"/>\n"
                                "    </Contents>\n"
                                "  </Catalog>\n"
                                "</AntMovieCatalog>\n";
    EXPECT_EQ(catalogue->toBytes(), expected);

    // A catalogue declared in UTF-8 stays in UTF-8.
    auto utf8 =
        XmlCatalogue::fromBytes("<?xml version=\"1.0\" encoding=\"UTF-8\"?><A><Catalog><Contents/></Catalog></A>");
    utf8->appendMovie().setAttribute(QStringLiteral("OriginalTitle"), QStringLiteral("Été ≠"));
    const QByteArray utf8Bytes = utf8->toBytes();
    EXPECT_TRUE(utf8Bytes.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n")) << utf8Bytes.constData();
    EXPECT_TRUE(utf8Bytes.contains("OriginalTitle=\"\xC3\x89t\xC3\xA9 \xE2\x89\xA0\"")) << utf8Bytes.constData();
}

TEST(XmlCatalogue, UnusableDocumentsAreRefusedQuietly)
{
    const std::vector<QByteArray> cases = {
        "", "ceci n'est pas du XML",
        "<AntMovieCatalog><Catalog><Contents></Catalog></AntMovieCatalog>",            // not well-formed
        indentedCatalogue.left(indentedCatalogue.size() / 2),                          // cut short
        "<AntMovieCatalog/>",                                                          // no Catalog
        "<AntMovieCatalog><Contents/></AntMovieCatalog>",                              // Contents not under Catalog
        "<AntMovieCatalog><Catalog><Properties/></Catalog></AntMovieCatalog>",         // no Contents
        "<AntMovieCatalog><Catalog/><Catalog><Contents/></Catalog></AntMovieCatalog>", // first Catalog has none
    };
    for (const QByteArray& bytes : cases) {
        testing::internal::CaptureStderr();
        EXPECT_THROW(XmlCatalogue::fromBytes(bytes), Error) << bytes.constData();
        EXPECT_EQ(testing::internal::GetCapturedStderr(), std::string()) << bytes.constData();
    }
    try {
        XmlCatalogue::fromBytes("<AntMovieCatalog><Catalog>");
        ADD_FAILURE();
    } catch (const Error& error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("ligne 1"))) << error.message().toStdString();
    }
    EXPECT_THROW(XmlCatalogue::loadFile(QStringLiteral("/chemin/absent/catalogue.xml")), Error);
}

TEST(XmlCatalogue, SaveReplacesTheFileWholeOrNotAtAll)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("films.xml"));
    auto catalogue = XmlCatalogue::fromBytes(indentedCatalogue);
    writeFile(path, indentedCatalogue);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);

    catalogue->appendMovie().setAttribute(QStringLiteral("Number"), QStringLiteral("3"));
    catalogue->saveFile(path);
    EXPECT_EQ(readFile(path), catalogue->toBytes());
    EXPECT_EQ(XmlCatalogue::loadFile(path)->movieCount(), 3);
    const auto ownerGroupOther = QFileDevice::Permissions(0x7077);
    EXPECT_EQ(QFile::permissions(path) & ownerGroupOther,
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);

    // A write that fails half-way (here the file-size limit) leaves the previous file whole.
    const QByteArray previous = readFile(path);
    for (int i = 0; i < 50; ++i)
        catalogue->appendMovie().setAttribute(QStringLiteral("Description"), QString(100, u'x'));
    {
        const filmarch::test::FileSizeLimit limit(1000);
        EXPECT_THROW(catalogue->saveFile(path), Error);
    }
    EXPECT_EQ(readFile(path), previous);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList {QStringLiteral("films.xml")});

    // A read-only catalogue is refused, even for a user the permissions do not bind.
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadUser);
    EXPECT_THROW(catalogue->saveFile(path), Error);
    EXPECT_EQ(readFile(path), previous);

    EXPECT_THROW(catalogue->saveFile(folder.filePath(QStringLiteral("absent/films.xml"))), Error);
}

TEST(XmlCatalogue, SavedOnlyInEncodingsThatReadBackAsWritten)
{
    const struct {
        const char* declared;
        const char* saved;
    } cases[] = {
        {"windows-1252", "windows-1252"},
        {"windows1252", "windows-1252"},
        {"x-cp1252", "windows-1252"},
        {"Latin1", "ISO-8859-1"},
        {"utf8", "UTF-8"},
        {"ascii", "US-ASCII"},
        {"UTF-7", "windows-1252"},
        {"HZ-GB-2312", "windows-1252"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.declared);
        auto doc = XmlCatalogue::fromBytes(QByteArray("<?xml version=\"1.0\" encoding=\"") + c.declared
            + "\"?><AntMovieCatalog><Catalog><Contents/></Catalog></AntMovieCatalog>");
        auto movie = doc->appendMovie();
        movie.setAttribute(QStringLiteral("TranslatedTitle"), QStringLiteral("Amélie \"€\""));
        movie.setAttribute(QStringLiteral("Length"), QStringLiteral("122"));
        const QByteArray bytes = doc->toBytes();
        EXPECT_TRUE(bytes.contains(QByteArray("encoding=\"") + c.saved + "\"")) << bytes.constData();
        auto back = XmlCatalogue::fromBytes(bytes);
        ASSERT_EQ(back->movieCount(), 1);
        EXPECT_EQ(back->movieAttribute(0, QStringLiteral("TranslatedTitle")), QStringLiteral("Amélie \"€\""));
        EXPECT_EQ(back->movieAttribute(0, QStringLiteral("Length")), QStringLiteral("122"));
    }
}

// Names and comments have no character references: where the encoding a
// catalogue is saved in lacks one of their characters, it is written in UTF-8
// and says so.
TEST(XmlCatalogue, MarkupTheEncodingCannotHoldIsWrittenInUtf8)
{
    const struct {
        const char* declared;
        const char* body; // in the declared encoding
        const char* saved;
    } cases[] = {
        {"windows-1253", "<Movie \xd4\xdf\xf4\xeb\xef\xf2=\"1\"/>", "UTF-8"},
        {"ISO-8859-7", "<\xd4\xdf\xf4\xeb\xef\xf2/>", "UTF-8"},
        {"KOI8-R", "<!-- \xf0\xd2\xc9\xd7\xc5\xd4 -->", "UTF-8"},
        {"windows-1253", "<Movie Note=\"\xd4\xdf\xf4\xeb\xef\xf2\"/>", "windows-1252"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body);
        auto doc = XmlCatalogue::fromBytes(QByteArray("<?xml version=\"1.0\" encoding=\"") + c.declared
            + "\"?><AntMovieCatalog><Catalog><Contents>" + c.body + "</Contents></Catalog></AntMovieCatalog>");
        doc->appendMovie().setAttribute(QStringLiteral("TranslatedTitle"), QStringLiteral("Αλφα €"));
        const QByteArray bytes = doc->toBytes();
        EXPECT_TRUE(bytes.startsWith(QByteArray("<?xml version=\"1.0\" encoding=\"") + c.saved + "\"?>"))
            << bytes.constData();
        auto back = XmlCatalogue::fromBytes(bytes);
        EXPECT_EQ(back->toBytes(), bytes);
        EXPECT_EQ(
            back->movieAttribute(back->movieCount() - 1, QStringLiteral("TranslatedTitle")), QStringLiteral("Αλφα €"));
    }
}

// The library's bound for untrusted documents is not a catalogue's: one of
// 50 MB is saved (its bytes checked by reading them back) and read again.
TEST(XmlCatalogue, LargeCataloguesAreSavedAndRead)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("films.xml"));
    auto catalogue = XmlCatalogue::createNew();
    const QString synopsis(2700, u'e');
    for (int i = 1; i <= 20000; ++i) {
        XmlCatalogue::Movie movie = catalogue->appendMovie();
        movie.setAttribute(QStringLiteral("Number"), QString::number(i));
        movie.setAttribute(QStringLiteral("Description"), synopsis);
    }
    catalogue->saveFile(path);
    EXPECT_GT(QFileInfo(path).size(), 50 << 20);
    auto loaded = XmlCatalogue::loadFile(path);
    EXPECT_EQ(loaded->movieCount(), 20000);
    EXPECT_EQ(loaded->movieAttribute(19999, QStringLiteral("Description")), synopsis);
}
