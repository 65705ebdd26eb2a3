#include "core/ui/DesktopNotice.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

namespace filmarch {

bool notifyDesktop(const QString& summary, const QString& body)
{
    return notifyDesktop(summary, body, QDBusConnection::sessionBus());
}

bool notifyDesktop(const QString& summary, const QString& body, const QDBusConnection& bus)
{
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"), QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("Notify"));
    // The desktop entry lets the desktop name the program and show its icon.
    const QVariantMap hints {{QStringLiteral("desktop-entry"), QStringLiteral("filmarch")}};
    call << QStringLiteral("Filmarch") << uint(0) << QStringLiteral("filmarch") << summary << body << QStringList()
         << hints << int(-1);
    // Sent without waiting: a missing or slow service never holds up the window.
    call.setAutoStartService(true);
    return bus.send(call);
}

LongTaskNotice::LongTaskNotice(std::chrono::milliseconds worthSaying) : worthSaying(worthSaying)
{
    clock.start();
}

bool LongTaskNotice::finished(const QString& summary, const QString& body) const
{
    if (clock.elapsed() < worthSaying.count() || QApplication::activeWindow())
        return false;
    return notifyDesktop(summary, body);
}

} // namespace filmarch
