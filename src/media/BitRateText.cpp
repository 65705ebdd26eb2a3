#include "media/BitRateText.h"

#include <limits>

namespace filmarch {

namespace {

// Power of ten that turns a value in this unit into kilobits, or false.
bool powerToKilobits(const QString& unit, int& exponent)
{
    if (unit == QLatin1String("kb/s"))
        exponent = 0;
    else if (unit == QLatin1String("Mb/s"))
        exponent = 3;
    else if (unit == QLatin1String("Gb/s"))
        exponent = 6;
    else if (unit == QLatin1String("b/s"))
        exponent = -3;
    else
        return false;
    return true;
}

bool allDigits(const QString& s)
{
    for (QChar c : s)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

} // namespace

QString kilobitsPerSecond(const QString& libraryText)
{
    const qsizetype space = libraryText.lastIndexOf(u' ');
    if (space < 0)
        return {};
    int exponent = 0;
    if (!powerToKilobits(libraryText.mid(space + 1), exponent))
        return {};

    QString number = libraryText.left(space);
    number.remove(u' ');
    const qsizetype point = number.indexOf(u'.');
    QString whole = point < 0 ? number : number.left(point);
    QString fraction = point < 0 ? QString() : number.mid(point + 1);
    if (whole.isEmpty() || !allDigits(whole) || !allDigits(fraction) || (point >= 0 && fraction.isEmpty()))
        return {};

    // Move the decimal point, then keep the whole kilobits.
    if (exponent > 0) {
        whole += fraction.left(exponent).leftJustified(exponent, u'0');
        fraction = fraction.mid(exponent);
        // A value given in larger units must come to whole kilobits.
        for (QChar c : fraction)
            if (c != u'0')
                return {};
    } else if (exponent < 0) {
        whole = whole.left(whole.size() + exponent);
    }
    while (whole.size() > 1 && whole.startsWith(u'0'))
        whole.remove(0, 1);
    if (whole.isEmpty())
        return QStringLiteral("0");
    if (whole.size() > 10)
        return {};
    const qint64 value = whole.toLongLong();
    if (value > std::numeric_limits<qint32>::max())
        return {};
    return QString::number(value);
}

} // namespace filmarch
