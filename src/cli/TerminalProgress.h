#pragma once
// Progress of a command-line scan: a bar with the file count and the file
// being examined, as wide as the terminal, on standard error; nothing when
// that is not a terminal. Ctrl-C asks the run to stop after the current file
// (a Matroska tool running then is ended); a second Ctrl-C ends the program at once.
#include "core/ScanProgress.h"

#include <QString>

#include <thread>

namespace filmarch {

class ScanRun;

class TerminalProgress : public ScanProgress {
public:
    explicit TerminalProgress(bool onTerminal);
    ~TerminalProgress() override;
    // The run that Ctrl-C stops at once (a tool running then is ended), from a thread that watches for it.
    void attach(ScanRun* run);
    // Before the run goes.
    void detach();
    void setMaximum(int max) override;
    void setPosition(int position) override;
    int position() const override { return pos; }
    void setFileName(const QString& name) override;
    void startFile(const QString& name) override;
    void processEvents() override;
    // Clears the bar's line so that a log line can be printed in its place.
    void clearLine();

    static void installInterruptHandler(bool onTerminal);

private:
    void draw();

    bool terminal;
    ScanRun* run = nullptr;
    std::thread watcher;
    int quitPipe[2] = {-1, -1}; // ends the watcher
    int max = 0;
    int pos = 0;
    QString fileName;
    bool drawn = false;
};

// The bar's line for a terminal `columns` wide: never as wide as the
// terminal, so that it cannot wrap and leave a stale line behind.
QString progressLine(int position, int max, const QString& fileName, int columns);

} // namespace filmarch
