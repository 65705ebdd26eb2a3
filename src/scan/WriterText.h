#pragma once
// Small text rules shared by the two catalogue writers.
#include <QString>

namespace filmarch {

// A looked-up value when there is one, else the analysed one.
inline const QString& firstNonEmpty(const QString& a, const QString& b)
{
    return a.isEmpty() ? b : a;
}

// Bit rates and lengths are stored without any space.
inline QString withoutSpaces(QString text)
{
    return text.remove(QLatin1Char(' '));
}

} // namespace filmarch
