#pragma once
// Kinds of extra-field values and their normalised text form, as the catalogue
// stores them: "." for decimals, "yyyy-mm-dd" for dates, "True" for Booleans.
#include <QChar>
#include <QString>

namespace filmarch {

enum TFieldType { ftString, ftInteger, ftReal, ftBoolean, ftDate, ftList, ftText, ftUrl };

// The name of a type as the AMC file stores it ("ftString"...); any other value gives "ftString".
QString ConvertFieldTypeToString(int Value);
// The type whose name equals the text, letter case ignored; any other text gives ftString.
TFieldType ConvertFieldTypeFromString(const QString& Value);

// Normalises a value for a field type. Never fails: an unreadable number or
// date gives an empty text. `LocalFormatSettings` is accepted for its callers;
// only the catalogue form is produced.
QString ConvertFieldValue(const QString& Value, TFieldType FieldType, bool LocalFormatSettings = false,
    bool ExtraDateValue = false, bool ReturnEmptyIfFalse = false);

// The same with the system's decimal separator given, as when it is not ".".
QString ConvertFieldValueWithSeparator(const QString& Value, TFieldType FieldType, bool ExtraDateValue,
    bool ReturnEmptyIfFalse, QChar systemDecimalSeparator);

QString CharReplace(const QString& Input, QChar OldChar, QChar NewChar);

} // namespace filmarch
