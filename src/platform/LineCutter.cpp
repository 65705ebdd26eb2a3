#include "platform/LineCutter.h"

namespace filmarch {

LineCutter::LineCutter(Deliver d, StopRequested s) : deliver(std::move(d)), stopRequested(std::move(s))
{
}

void LineCutter::cut(const char* chunk, qsizetype size)
{
    QByteArray Str = Last;
    char last = 0;
    for (qsizetype i = 0; i < size && !stopRequested(); ++i) {
        const char c = chunk[i];
        last = c;
        if (c == 0)
            continue;
        if (c != '\r' && c != '\n') {
            Str += c;
            continue;
        }
        if (c == '\n' && i == 0 && previousEndedWithCR)
            continue;
        if (c == '\r' && i + 1 < size && chunk[i + 1] == '\n') {
            ++i;
            last = '\n';
            OutputReturnCode = rcCRLF;
        } else {
            OutputReturnCode = rcLF;
        }
        deliver(Str, otEntireLine);
        Str.clear();
    }
    previousEndedWithCR = last == '\r';
    Last = Str;
    if (!Str.isEmpty())
        deliver(Str, otBeginningOfLine);
}

void LineCutter::echo(const QByteArray& line, bool lineBeginned)
{
    Last = lineBeginned ? Last + line : line;
    const qsizetype crlf = line.indexOf("\r\n");
    const bool eol =
        (crlf >= 0 && crlf == line.size() - 2) || (line.indexOf('\n') >= 0 && line.indexOf('\n') == line.size() - 1);
    if (eol) {
        // Whole lines are delivered without their line end, echoed ones too.
        Last.chop(line.endsWith("\r\n") ? 2 : 1);
        deliver(Last, otEntireLine);
        Last.clear();
    } else {
        deliver(Last, otBeginningOfLine);
    }
}

} // namespace filmarch
