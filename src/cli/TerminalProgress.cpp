#include "cli/TerminalProgress.h"

#include "scan/ScanRun.h"

#include <csignal>
#include <cstdio>

namespace filmarch {

namespace {
volatile std::sig_atomic_t interrupted = 0;

void onInterrupt(int)
{
    interrupted = 1;
    // A second Ctrl-C ends the program at once.
    std::signal(SIGINT, SIG_DFL);
}
} // namespace

TerminalProgress::TerminalProgress(bool onTerminal) : terminal(onTerminal) {}

void TerminalProgress::installInterruptHandler()
{
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
    fileName = name;
    draw();
}

void TerminalProgress::processEvents()
{
    if (interrupted && run && !run->Arret) {
        run->Arret = true;
        clearLine();
        std::fprintf(stderr, "Arrêt demandé : le scan s'arrête après le fichier en cours.\n");
    }
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
    constexpr int width = 30;
    const int filled = std::min(width, pos * width / max);
    QString line = QStringLiteral("\r\033[K[%1%2] %3/%4 %5")
                       .arg(QString(filled, QLatin1Char('#')), QString(width - filled, QLatin1Char(' ')))
                       .arg(pos)
                       .arg(max)
                       .arg(fileName.left(60));
    std::fputs(line.toUtf8().constData(), stderr);
    std::fflush(stderr);
    drawn = true;
}

} // namespace filmarch
