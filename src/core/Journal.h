#pragma once
// The log: "HH:mm:ss: message" lines appended to the day's file in
// Logs_Filmarch and shown on the Log page. The file is opened and closed at
// every call; an input/output error is reported once and never stops a run.
// A scan's thread and the window's may write at once.
#include <QDate>
#include <QString>
#include <functional>
#include <mutex>

namespace filmarch {

class AppPaths;

class Journal {
public:
    // Where each line goes besides the file (the memo of the Log page).
    std::function<void(const QString& line)> memo;
    // Called with a French message when the log file cannot be written
    // (at most once per Journal).
    std::function<void(const QString& message)> reportError;

    // Log file of a run started on `day`: <log folder>/log-dd_MM_yyyy.txt
    static QString logFilePath(const AppPaths& paths, const QDate& day = QDate::currentDate());

    void EcritureLog(const QString& FichierLog, const QString& Mes);

private:
    std::mutex fileLock; // one line at a time in the file
    bool errorReported = false;
};

} // namespace filmarch
