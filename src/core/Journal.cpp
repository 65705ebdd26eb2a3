#include "core/Journal.h"

#include "core/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QTime>

namespace filmarch {

namespace {
QString formatLine(const QString& Mes)
{
    return QTime::currentTime().toString(QStringLiteral("HH:mm:ss")) + QStringLiteral(": ") + Mes;
}
} // namespace

QString Journal::logFilePath(const AppPaths& paths, const QDate& day)
{
    return QDir(paths.logFolder())
        .filePath(QStringLiteral("log-") + day.toString(QStringLiteral("dd_MM_yyyy")) + QStringLiteral(".txt"));
}

void Journal::EcritureLog(const QString& FichierLog, const QString& Mes)
{
    if (memo)
        memo(formatLine(Mes));
    if (FichierLog.isEmpty())
        return; // no run has named a log file yet: the memo line is all there is

    QString failure;
    {
        std::lock_guard guard(fileLock);
        QFile file(FichierLog);
        const bool written = file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)
            && file.write((formatLine(Mes) + QLatin1Char('\n')).toUtf8()) >= 0;
        file.close();
        if ((!written || file.error() != QFileDevice::NoError) && !errorReported) {
            errorReported = true;
            failure = QStringLiteral("Impossible d'écrire dans le fichier journal %1 : %2")
                          .arg(QDir::toNativeSeparators(FichierLog), file.errorString());
        }
    }
    // Out of the lock: the report may wait for the window's thread, which may be logging.
    if (!failure.isEmpty() && reportError)
        reportError(failure);
}

} // namespace filmarch
