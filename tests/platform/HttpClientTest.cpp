// The HTTP client against a real server on the loopback interface.
#include "support/FileBytes.h"
#include "support/Gate.h"
#include "support/LoopbackServer.h"

#include "platform/Error.h"
#include "platform/HttpClient.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>

using filmarch::Error;
using filmarch::HttpClient;
using filmarch::test::Gate;
using filmarch::test::LoopbackServer;

using filmarch::test::readFile;
using filmarch::test::writeFile;

namespace {

std::string bytes(const char* data, size_t size)
{
    return std::string(data, size);
}

// A loopback port that is bound but not listening: connections to it are refused.
class RefusingPort {
public:
    RefusingPort()
    {
        socketFd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (socketFd < 0 || ::bind(socketFd, reinterpret_cast<sockaddr*>(&address), length) != 0
            || ::getsockname(socketFd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            throw std::runtime_error("no loopback socket");
        port = ntohs(address.sin_port);
    }
    ~RefusingPort() { ::close(socketFd); }
    QString url(const char* path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(QLatin1String(path));
    }
    int port = 0;

private:
    int socketFd = -1;
};

class HttpClientTest : public ::testing::Test {
protected:
    Gate slowAnswer; // outlives the server, whose answer may wait behind it
    LoopbackServer site;
    QTemporaryDir folder;
};

} // namespace

TEST_F(HttpClientTest, TextIsDecodedByItsDeclaredCharset)
{
    struct Case {
        const char* path;
        const char* contentType;
        std::string body;
        QString expected;
    };
    const QString french = QStringLiteral("Été: œuvre à 5 € — « fin »");
    const std::vector<Case> cases = {
        {"/cp1252", "text/html; charset=windows-1252", bytes("\xC9t\xE9: \x9Cuvre \xE0 5 \x80 \x97 \xAB fin \xBB", 26),
            french},
        {"/quoted", "text/xml;Charset=\"ISO-8859-1\"", bytes("caf\xE9", 4), QStringLiteral("café")},
        {"/utf8", "application/xml; charset=utf-8", french.toStdString(), french},
        {"/none", "text/plain", french.toStdString(), french},
        {"/unknown", "text/plain; charset=x-nothing-like-it", french.toStdString(), french},
        {"/invalid", "text/plain; charset=utf-8",
            bytes("a\xFF"
                  "b",
                3),
            QStringLiteral("a\uFFFDb")},
    };
    for (const Case& c : cases)
        site.server.Get(c.path,
            [c](const httplib::Request&, httplib::Response& answer) { answer.set_content(c.body, c.contentType); });
    site.server.Get(
        "/ancien", [](const httplib::Request&, httplib::Response& answer) { answer.set_redirect("/cp1252"); });
    site.start();

    HttpClient client;
    for (const Case& c : cases)
        EXPECT_EQ(client.getText(site.url(c.path)), c.expected) << c.path;
    EXPECT_EQ(client.getText(site.url("/ancien")), french) << "redirect followed";
    EXPECT_EQ(client.getBytes(site.url("/quoted")), QByteArray("caf\xE9")) << "bytes as received";
}

TEST_F(HttpClientTest, BinaryBodyReplacesTheFile)
{
    std::string picture;
    for (int i = 0; i < 70000; ++i)
        picture.push_back(static_cast<char>(i * 7 % 256)); // NULs included, larger than one chunk
    site.server.Get("/affiche.jpg",
        [&](const httplib::Request&, httplib::Response& answer) { answer.set_content(picture, "image/jpeg"); });
    site.start();

    const QString path = folder.filePath(QStringLiteral("Affiche.jpg"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(100000, 'x')); // longer than the new body: must not survive
    }
    HttpClient().getToFile(site.url("/affiche.jpg"), path);
    EXPECT_EQ(readFile(path), QByteArray::fromStdString(picture));
}

TEST_F(HttpClientTest, FailuresAreReportedInFrench)
{
    site.server.Get("/absent.jpg", [](const httplib::Request&, httplib::Response& answer) {
        answer.status = 404;
        answer.set_content("<html>page d'erreur</html>", "text/html");
    });
    site.start();
    RefusingPort refusing;
    const QString target = folder.filePath(QStringLiteral("cible.jpg"));
    writeFile(target, "ancienne affiche");

    struct Case {
        QString url;
        QString expected; // the whole message: the host and the failure, never the query
        bool transport;
    };
    const QString siteHost = filmarch::hostOf(site.url(""));
    const std::vector<Case> cases = {
        {site.url("/absent.jpg?api_key=s3cr3t"),
            QStringLiteral("Échec de la requête vers %1 : le service a répondu 404 (page introuvable)").arg(siteHost),
            false},
        {refusing.url("/affiche.jpg?api_key=s3cr3t"),
            QStringLiteral("Connexion au serveur impossible (connexion refusée ou serveur injoignable) : 127.0.0.1:%1")
                .arg(refusing.port),
            true},
        {QStringLiteral("file:///etc/hostname"),
            QStringLiteral("Protocole non pris en charge (seuls http et https le sont)"), false},
        {QStringLiteral("http://"), QStringLiteral("Adresse invalide"), false},
    };
    HttpClient client;
    for (const Case& c : cases) {
        try {
            client.getText(c.url);
            ADD_FAILURE() << "no failure for " << c.url.toStdString();
        } catch (const filmarch::HttpError& error) {
            EXPECT_EQ(error.message(), c.expected);
            EXPECT_EQ(error.transport, c.transport) << c.url.toStdString();
        }
        EXPECT_THROW(client.getToFile(c.url, target), Error) << c.url.toStdString();
        // A failed download leaves the file that was there as it was, and nothing beside it.
        EXPECT_EQ(readFile(target), QByteArray("ancienne affiche")) << c.url.toStdString();
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList {QStringLiteral("cible.jpg")});
    }
    EXPECT_THROW(
        client.getToFile(site.url("/absent.jpg"), folder.filePath(QStringLiteral("pas/de/dossier.jpg"))), Error);
}

TEST_F(HttpClientTest, SendsFixedHeadersKeepsCookiesAndIgnoresProxySettings)
{
    std::mutex lock;
    std::vector<std::string> received; // Accept, User-Agent, Cookie of each request, in turn
    site.server.Get("/connexion", [](const httplib::Request&, httplib::Response& answer) {
        answer.set_header("Set-Cookie", "session=abc123; Path=/");
        answer.set_content("ok", "text/plain");
    });
    site.server.Get("/suite", [&](const httplib::Request& request, httplib::Response& answer) {
        std::lock_guard guard(lock);
        received.push_back(request.get_header_value("Accept"));
        received.push_back(request.get_header_value("User-Agent"));
        received.push_back(request.get_header_value("Cookie"));
        answer.set_content("ok", "text/plain");
    });
    site.start();

    // A proxy from the environment would swallow the requests: it must not be used.
    RefusingPort proxy;
    const QByteArray proxyUrl = proxy.url("").toUtf8();
    setenv("http_proxy", proxyUrl.constData(), 1);
    setenv("HTTP_PROXY", proxyUrl.constData(), 1);
    setenv("ALL_PROXY", proxyUrl.constData(), 1);
    unsetenv("NO_PROXY");
    unsetenv("no_proxy");
    {
        HttpClient client;
        client.getText(site.url("/connexion"));
        client.getText(site.url("/suite"));
    }
    HttpClient().getText(site.url("/suite")); // a new client starts without cookies
    unsetenv("http_proxy");
    unsetenv("HTTP_PROXY");
    unsetenv("ALL_PROXY");

    const std::vector<std::string> expected = {
        "text/html, */*",
        "Mozilla/3.0 (compatible; Indy Library)",
        "session=abc123",
        "text/html, */*",
        "Mozilla/3.0 (compatible; Indy Library)",
        "",
    };
    std::lock_guard guard(lock);
    EXPECT_EQ(received, expected);
}

TEST_F(HttpClientTest, LimitsRefuseLargeBodiesAndSlowAnswers)
{
    const std::string body(1000, 'x');
    site.server.Get("/annonce", [&](const httplib::Request&, httplib::Response& answer) {
        answer.set_content(body, "image/jpeg"); // its length announced
    });
    site.server.Get("/flux", [&](const httplib::Request&, httplib::Response& answer) {
        answer.set_chunked_content_provider("image/jpeg", [&](size_t, httplib::DataSink& sink) {
            sink.write(body.data(), body.size());
            sink.done();
            return true;
        });
    });
    // An error page without end is bounded like any answer.
    site.server.Get("/erreur-sans-fin", [&](const httplib::Request&, httplib::Response& answer) {
        answer.status = 404;
        answer.set_chunked_content_provider(
            "text/html", [&](size_t, httplib::DataSink& sink) { return sink.write(body.data(), body.size()); });
    });
    slowAnswer.close();
    site.server.Get("/lent", [&](const httplib::Request&, httplib::Response& answer) {
        slowAnswer.pass();
        answer.set_content("tard", "text/plain");
    });
    site.start();

    HttpClient client;
    client.setLimits(10, 1, 999);
    for (const char* path : {"/annonce", "/flux", "/erreur-sans-fin"}) {
        try {
            client.getBytes(site.url(path));
            ADD_FAILURE() << path;
        } catch (const Error& error) {
            EXPECT_TRUE(error.message().startsWith(QStringLiteral("Réponse trop volumineuse")))
                << error.message().toStdString();
        }
    }
    try {
        client.getText(site.url("/lent"));
        ADD_FAILURE() << "no time-out";
    } catch (const Error& error) {
        EXPECT_TRUE(error.message().startsWith(QStringLiteral("Le serveur ne répond pas")))
            << error.message().toStdString();
    }
    slowAnswer.open();
    client.setLimits(10, 0, 1000);
    EXPECT_EQ(client.getBytes(site.url("/flux")).size(), 1000);
}
