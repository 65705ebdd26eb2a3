#include "core/ui/DesktopNotice.h"

#include <QDBusConnection>
#include <QProcess>
#include <QTest>
#include <QVariantMap>
#include <QWidget>
#include <gtest/gtest.h>

using namespace filmarch;
using namespace std::chrono_literals;

namespace {

// The desktop's side: a notification service on a bus of the test's own.
class NotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QStringList received; // application, summary, body and desktop entry of each

public slots:
    uint Notify(const QString& application, uint, const QString&, const QString& summary, const QString& body,
        const QStringList&, const QVariantMap& hints, int)
    {
        received << QStringList {application, summary, body, hints.value(QStringLiteral("desktop-entry")).toString()}
                        .join(u'|');
        return uint(received.size());
    }
};

// A session bus that lives as long as the test; the program's own calls go
// to it through the usual variable.
class PrivateBus {
public:
    PrivateBus()
    {
        daemon.start(QStringLiteral("dbus-daemon"),
            {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
        if (daemon.waitForReadyRead(30000))
            address = QString::fromUtf8(daemon.readLine().trimmed());
    }
    ~PrivateBus()
    {
        daemon.kill();
        daemon.waitForFinished();
    }
    QProcess daemon;
    QString address;
};

} // namespace

TEST(DesktopNotice, ALongTaskEndingBehindOtherWindowsReachesTheDesktop)
{
    PrivateBus bus;
    ASSERT_FALSE(bus.address.isEmpty()) << "dbus-daemon did not start";
    // Before the program's first use of the session bus, which keeps its address.
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus.address.toUtf8());
    QDBusConnection desktop = QDBusConnection::connectToBus(bus.address, QStringLiteral("desktop"));
    NotificationService service;
    ASSERT_TRUE(desktop.registerObject(
        QStringLiteral("/org/freedesktop/Notifications"), &service, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(desktop.registerService(QStringLiteral("org.freedesktop.Notifications")));

    QWidget window;
    struct Case {
        const char* name;
        std::chrono::milliseconds worthSaying;
        bool windowInFront;
        bool sent;
    } cases[] = {
        {"short task", 1h, false, false},
        {"long task, a window of the program in front", 0ms, true, false},
        {"long task, the program behind", 0ms, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.windowInFront) {
            window.show();
            window.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        } else {
            window.hide();
            ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeWindow() == nullptr; }));
        }
        const LongTaskNotice notice(c.worthSaying);
        EXPECT_EQ(
            notice.finished(QStringLiteral("Scan terminé"), QStringLiteral("4 films ajoutés à Films.xml")), c.sent);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return !service.received.isEmpty(); }, 30000));
    EXPECT_EQ(
        service.received, QStringList {QStringLiteral("Filmarch|Scan terminé|4 films ajoutés à Films.xml|filmarch")});
}

TEST(DesktopNotice, WithoutASessionBusNothingIsShownOrSaid)
{
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
    EXPECT_FALSE(LongTaskNotice(0ms).finished(QStringLiteral("Export terminé")));
}

#include "DesktopNoticeTest.moc"
