#include "cli/TerminalText.h"

#include <QList>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <unistd.h>

namespace filmarch {

namespace {
bool needsEscape(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c < 0xA0) || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

int width(char32_t c)
{
    const int w = ::wcwidth(static_cast<wchar_t>(c));
    return w < 0 ? 1 : w;
}
} // namespace

QString terminalSafe(const QString& text, bool keepLineBreaks)
{
    QString out;
    out.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        if (!needsEscape(c) || (keepLineBreaks && c == U'\n')) {
            out += QString::fromUcs4(&c, 1);
            continue;
        }
        switch (c) {
        case U'\x1B': out += QStringLiteral("\\e"); break;
        case U'\n': out += QStringLiteral("\\n"); break;
        case U'\r': out += QStringLiteral("\\r"); break;
        case U'\t': out += QStringLiteral("\\t"); break;
        default: out += QString::asprintf(c < 0x80 ? "\\x%02X" : "\\u%04X", unsigned(c));
        }
    }
    return out;
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
