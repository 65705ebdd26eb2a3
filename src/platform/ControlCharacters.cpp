#include "platform/ControlCharacters.h"

#include <QList>

namespace filmarch {

namespace {
bool needsEscape(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c < 0xA0) || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}
} // namespace

QString escapeControlCharacters(const QString& text, bool keepLineBreaks)
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

} // namespace filmarch
