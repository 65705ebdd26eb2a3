#pragma once
// Cuts a child's output, as it arrives in chunks, into lines: CR LF, LF and a
// lone CR end a line (a CR ending one chunk and a LF starting the next are one
// line end), an empty line is a line, zero bytes are dropped, and the start of
// a line whose end has not arrived is handed out as a beginning of line.
#include "platform/DosTypes.h"

#include <QByteArray>

#include <functional>

namespace filmarch {

class LineCutter {
public:
    using Deliver = std::function<void(const QByteArray& text, TOutputType type)>;
    using StopRequested = std::function<bool()>;

    LineCutter(Deliver deliver, StopRequested stopRequested);

    void cut(const char* chunk, qsizetype size);
    // An input line echoed into the output; `lineBeginned` tells whether the
    // last delivered piece was a beginning of line.
    void echo(const QByteArray& line, bool lineBeginned);
    // The line received so far without its end (delivered once more at the end of a run).
    const QByteArray& pending() const { return Last; }
    // The line end seen last.
    TReturnCode returnCode() const { return OutputReturnCode; }

private:
    Deliver deliver;
    StopRequested stopRequested;
    QByteArray Last;
    bool previousEndedWithCR = false;
    TReturnCode OutputReturnCode = rcCRLF;
};

} // namespace filmarch
