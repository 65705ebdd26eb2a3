#include "cli/TerminalProgress.h"

#include "cli/TerminalText.h"
#include "scan/ScanRun.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace filmarch {

namespace {
volatile std::sig_atomic_t interrupted = 0;
bool eraseBeforeNotice = false;
// The handler writes a byte here so that the run learns of Ctrl-C at once.
int interruptPipe[2] = {-1, -1};

const char kNotice[] = "Arrêt demandé : le scan s'arrête après le fichier en cours. Un second Ctrl-C l'arrête tout "
                       "de suite ; le catalogue garde alors son dernier enregistrement.\n";

void onInterrupt(int)
{
    interrupted = 1;
    if (interruptPipe[1] >= 0)
        (void)!::write(interruptPipe[1], "!", 1);
    // A second Ctrl-C ends the program at once: catalogues are replaced whole
    // at each save, so the last save stands.
    std::signal(SIGINT, SIG_DFL);
    // Said at once: the file in hand may take long to finish.
    if (eraseBeforeNotice)
        (void)!::write(STDERR_FILENO, "\r\033[K", 4);
    (void)!::write(STDERR_FILENO, kNotice, sizeof kNotice - 1);
}

int terminalColumns()
{
    winsize size {};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}
} // namespace

QString progressLine(int position, int max, const QString& fileName, int columns)
{
    const int room = columns - 1;
    const QString count = QStringLiteral(" %1/%2").arg(position).arg(max);
    const int barWidth = std::clamp(room / 4, 0, 30);
    QString line;
    if (barWidth >= 5) {
        const int filled = max > 0 ? std::min(barWidth, position * barWidth / max) : 0;
        line = QLatin1Char('[') + QString(filled, QLatin1Char('#')) + QString(barWidth - filled, QLatin1Char(' '))
            + QLatin1Char(']');
    }
    line += count;
    const int left = room - displayWidth(line) - 1;
    if (left >= 5 && !fileName.isEmpty())
        line += QLatin1Char(' ') + elideMiddle(terminalSafe(fileName), left);
    return elideMiddle(line, room);
}

TerminalProgress::TerminalProgress(bool onTerminal) : terminal(onTerminal)
{
}

TerminalProgress::~TerminalProgress()
{
    detach();
}

void TerminalProgress::detach()
{
    if (watcher.joinable()) {
        (void)!::write(quitPipe[1], "q", 1);
        watcher.join();
    }
    for (int& fd : quitPipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
    run = nullptr;
}

void TerminalProgress::attach(ScanRun* scanRun)
{
    run = scanRun;
    if (watcher.joinable())
        return;
    if (interruptPipe[0] < 0 && ::pipe2(interruptPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // Ctrl-C is then seen between files only
    if (::pipe2(quitPipe, O_CLOEXEC) != 0)
        return;
    // The run keeps its thread busy: Ctrl-C is watched on one of its own.
    watcher = std::thread([this] {
        for (;;) {
            pollfd fds[2] = {{interruptPipe[0], POLLIN, 0}, {quitPipe[0], POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0 && errno != EINTR)
                return;
            if (fds[1].revents != 0)
                return;
            char bytes[16];
            while (::read(interruptPipe[0], bytes, sizeof bytes) > 0) {}
            processEvents();
        }
    });
}

void TerminalProgress::installInterruptHandler(bool onTerminal)
{
    eraseBeforeNotice = onTerminal;
    std::signal(SIGINT, onInterrupt);
}

void TerminalProgress::setMaximum(int m)
{
    max = m;
    draw();
}

void TerminalProgress::setPosition(int p)
{
    pos = p;
    draw();
}

void TerminalProgress::setFileName(const QString& name)
{
    if (name != fileName) {
        fileName = name;
        draw();
    }
}

void TerminalProgress::startFile(const QString& name)
{
    setFileName(name);
}

void TerminalProgress::processEvents()
{
    if (interrupted && run && !run->stopRequested())
        run->requestStop();
}

void TerminalProgress::clearLine()
{
    if (terminal && drawn) {
        std::fputs("\r\033[K", stderr);
        drawn = false;
    }
}

void TerminalProgress::draw()
{
    if (!terminal || max <= 0)
        return;
    const QString line = QStringLiteral("\r\033[K") + progressLine(pos, max, fileName, terminalColumns());
    std::fputs(line.toUtf8().constData(), stderr);
    std::fflush(stderr);
    drawn = true;
}

} // namespace filmarch
