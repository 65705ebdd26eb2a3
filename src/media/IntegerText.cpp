#include "media/IntegerText.h"

#include "platform/Error.h"

#include <limits>
#include <optional>

namespace filmarch {

namespace {

int digitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    int v = -1;
    if (u >= u'0' && u <= u'9')
        v = u - u'0';
    else if (u >= u'a' && u <= u'f')
        v = u - u'a' + 10;
    else if (u >= u'A' && u <= u'F')
        v = u - u'A' + 10;
    return v < base ? v : -1;
}

// Reads the whole text; empty when it breaks the rule or leaves [min, max].
std::optional<qint64> parse(const QString& text, qint64 min, qint64 max)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    int base = 10;
    if (i < n && (text[i] == u'$' || text[i] == u'x' || text[i] == u'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < n && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i == n)
        return std::nullopt;
    // Accumulate as a magnitude; the negative bound is one larger than the positive one.
    const quint64 limit = negative ? quint64(-(min + 1)) + 1 : quint64(max);
    quint64 value = 0;
    for (; i < n; ++i) {
        const int d = digitValue(text[i], base);
        if (d < 0)
            return std::nullopt;
        if (value > (limit - quint64(d)) / quint64(base))
            return std::nullopt;
        value = value * quint64(base) + quint64(d);
    }
    if (negative)
        return value == 0 ? 0 : -qint64(value - 1) - 1;
    return qint64(value);
}

[[noreturn]] void notAnInteger(const QString& text)
{
    throw ConversionError(u"'%1' n'est pas une valeur entière correcte"_qs.arg(text));
}

} // namespace

bool isIntegerText(const QString& text)
{
    return parse(text, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()).has_value();
}

bool isIntegerText64(const QString& text)
{
    return parse(text, std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max()).has_value();
}

qint32 toInteger(const QString& text)
{
    const auto v = parse(text, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max());
    if (!v)
        notAnInteger(text);
    return qint32(*v);
}

qint64 toInteger64(const QString& text)
{
    const auto v = parse(text, std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max());
    if (!v)
        notAnInteger(text);
    return *v;
}

} // namespace filmarch
