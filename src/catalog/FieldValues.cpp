#include "catalog/FieldValues.h"

#include <QDate>
#include <QLocale>
#include <QRegularExpression>
#include <array>
#include <charconv>
#include <cmath>
#include <optional>

namespace filmarch {
namespace {

const std::array<QLatin1StringView, 8> typeNames = {QLatin1StringView("ftString"), QLatin1StringView("ftInteger"),
    QLatin1StringView("ftReal"), QLatin1StringView("ftBoolean"), QLatin1StringView("ftDate"),
    QLatin1StringView("ftList"), QLatin1StringView("ftText"), QLatin1StringView("ftUrl")};

// A decimal number with "." as separator, blanks around it allowed, an exponent allowed.
std::optional<double> readNumber(const QString& text)
{
    static const QRegularExpression form(
        QStringLiteral("^\\s*([+-]?(?:\\d+(?:\\.\\d*)?|\\.\\d+)(?:[eE][+-]?\\d+)?)\\s*$"));
    const auto match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const QByteArray digits = match.captured(1).toLatin1();
    const char* first = digits.constData();
    if (*first == '+')
        ++first;
    double value = 0;
    const auto [end, ec] = std::from_chars(first, digits.constData() + digits.size(), value);
    if (ec != std::errc() || end != digits.constData() + digits.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// Adds one unit at the last digit of a run of decimal digits (dots skipped).
void incrementDigits(std::string& digits)
{
    for (auto i = digits.size(); i-- > 0;) {
        if (digits[i] == '.')
            continue;
        if (digits[i] != '9') {
            ++digits[i];
            return;
        }
        digits[i] = '0';
    }
    digits.insert(digits.begin(), '1');
}

// "#0.000": three decimals, halves rounded away from zero on the shortest
// decimal form of the value (2.0005 gives 2.001, as typed, not as stored in binary).
QString formatThreeDecimals(double value)
{
    char buffer[400];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::fixed);
    if (ec != std::errc())
        return QString();
    std::string text(buffer, end);
    auto dot = text.find('.');
    if (dot == std::string::npos) {
        text += ".";
        dot = text.size() - 1;
    }
    text.append(4, '0');
    const bool roundUp = text[dot + 4] >= '5';
    text.resize(dot + 4);
    if (roundUp)
        incrementDigits(text);
    const bool zero = text.find_first_not_of("0.") == std::string::npos;
    if (value < 0 && !zero)
        text.insert(text.begin(), '-');
    return QString::fromLatin1(text);
}

std::optional<QDate> readDate(const QString& text, QChar separator, bool yearFirst)
{
    const QStringList parts = text.trimmed().split(separator);
    if (parts.size() != 3)
        return std::nullopt;
    int numbers[3];
    for (int i = 0; i < 3; ++i) {
        const QString& part = parts[i];
        if (part.isEmpty() || part.size() > 4)
            return std::nullopt;
        for (QChar c : part)
            if (c < u'0' || c > u'9')
                return std::nullopt;
        numbers[i] = part.toInt();
    }
    const int yearIndex = yearFirst ? 0 : 2;
    int year = numbers[yearIndex];
    // A year of one or two digits belongs to the current century.
    if (parts[yearIndex].size() <= 2)
        year += QDate::currentDate().year() / 100 * 100;
    const QDate date = yearFirst ? QDate(year, numbers[1], numbers[2]) : QDate(year, numbers[1], numbers[0]);
    if (!date.isValid() || year < 1 || year > 9999)
        return std::nullopt;
    return date;
}

} // namespace

QString ConvertFieldTypeToString(int Value)
{
    if (Value < 0 || Value >= int(typeNames.size()))
        return typeNames[ftString];
    return typeNames[Value];
}

TFieldType ConvertFieldTypeFromString(const QString& Value)
{
    for (size_t i = 0; i < typeNames.size(); ++i)
        if (Value.compare(typeNames[i], Qt::CaseInsensitive) == 0)
            return static_cast<TFieldType>(i);
    return ftString;
}

QString CharReplace(const QString& Input, QChar OldChar, QChar NewChar)
{
    QString result = Input;
    return result.replace(OldChar, NewChar);
}

QString ConvertFieldValueWithSeparator(const QString& Value, TFieldType FieldType, bool ExtraDateValue,
    bool ReturnEmptyIfFalse, QChar systemDecimalSeparator)
{
    if (Value.isEmpty() && FieldType != ftBoolean)
        return QString();
    switch (FieldType) {
    case ftInteger:
    case ftReal: {
        const auto number = readNumber(CharReplace(Value, systemDecimalSeparator, u'.'));
        if (!number)
            return QString();
        if (FieldType == ftReal)
            return formatThreeDecimals(*number);
        double whole = std::trunc(*number);
        if (whole == 0)
            whole = 0; // no "-0"
        return QString::number(whole, 'f', 0);
    }
    case ftBoolean:
        if (Value.isEmpty() || Value == u"0" || Value.compare(u"False", Qt::CaseInsensitive) == 0)
            return ReturnEmptyIfFalse ? QString() : QStringLiteral("False");
        return QStringLiteral("True");
    case ftDate: {
        if (ExtraDateValue && Value.compare(u"Today", Qt::CaseInsensitive) == 0)
            return QStringLiteral("Today");
        auto date = readDate(Value, u'-', true);
        if (!date)
            date = readDate(Value, u'/', false); // the system's short date, dd/MM/yyyy
        if (!date)
            return QString();
        return QStringLiteral("%1-%2-%3")
            .arg(date->year(), 4, 10, QLatin1Char('0'))
            .arg(date->month(), 2, 10, QLatin1Char('0'))
            .arg(date->day(), 2, 10, QLatin1Char('0'));
    }
    default: return Value;
    }
}

QString ConvertFieldValue(const QString& Value, TFieldType FieldType, bool /*LocalFormatSettings*/, bool ExtraDateValue,
    bool ReturnEmptyIfFalse)
{
    static const QChar separator = QLocale::system().decimalPoint().front();
    return ConvertFieldValueWithSeparator(Value, FieldType, ExtraDateValue, ReturnEmptyIfFalse, separator);
}

} // namespace filmarch
