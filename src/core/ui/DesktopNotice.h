#pragma once
// A task long enough for the user to turn to something else says on the
// desktop that it has ended, when none of the program's windows is in front.
// Without a session bus or a notification service nothing is shown and
// nothing is said: the window tells the result as before.
#include <QElapsedTimer>
#include <QString>
#include <chrono>

class QDBusConnection;

namespace filmarch {

// Asks the desktop's notification service to show `summary` and `body`.
// False when the message could not be sent (no session bus).
bool notifyDesktop(const QString& summary, const QString& body);
bool notifyDesktop(const QString& summary, const QString& body, const QDBusConnection& bus);

class LongTaskNotice {
public:
    // The task starts now; one shorter than `worthSaying` ends before the
    // user looked away.
    explicit LongTaskNotice(std::chrono::milliseconds worthSaying = std::chrono::seconds(5));
    // Announces the end when the task was long and no window of the program
    // is active. True when a notification was sent.
    bool finished(const QString& summary, const QString& body = {}) const;

private:
    QElapsedTimer clock;
    std::chrono::milliseconds worthSaying;
};

} // namespace filmarch
