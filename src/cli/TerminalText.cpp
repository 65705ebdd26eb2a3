#include "cli/TerminalText.h"

#include "platform/ControlCharacters.h"

#include <QList>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <unistd.h>

namespace filmarch {

namespace {
int width(char32_t c)
{
    const int w = ::wcwidth(static_cast<wchar_t>(c));
    return w < 0 ? 1 : w;
}
} // namespace

QString terminalSafe(const QString& text, bool keepLineBreaks)
{
    return escapeControlCharacters(text, keepLineBreaks);
}

int displayWidth(const QString& text)
{
    int total = 0;
    for (const char32_t c : text.toUcs4())
        total += width(c);
    return total;
}

QString elideMiddle(const QString& text, int columns)
{
    if (displayWidth(text) <= columns)
        return text;
    if (columns <= 0)
        return {};
    const QList<uint> chars = text.toUcs4();
    const int room = columns - 1; // the "…"
    const int headRoom = (room + 1) / 2, tailRoom = room / 2;
    QString head, tail;
    int used = 0;
    for (qsizetype i = 0; i < chars.size(); ++i) {
        const char32_t c = chars[i];
        if (used + width(c) > headRoom)
            break;
        used += width(c);
        head += QString::fromUcs4(&c, 1);
    }
    used = 0;
    for (qsizetype i = chars.size() - 1; i >= 0; --i) {
        const char32_t c = chars[i];
        if (used + width(c) > tailRoom)
            break;
        used += width(c);
        tail.prepend(QString::fromUcs4(&c, 1));
    }
    return head + QStringLiteral("…") + tail;
}

bool cursorCodesOnStderr()
{
    const char* term = std::getenv("TERM");
    return isatty(STDERR_FILENO) && !(term && std::strcmp(term, "dumb") == 0);
}

} // namespace filmarch
