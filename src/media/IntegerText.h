#pragma once
// The one rule by which the program reads a text as a whole number: optional
// leading spaces, an optional sign, then decimal digits or a hexadecimal number
// introduced by "$", "x", "X", "0x" or "0X", and nothing after.
#include <QString>
#include <QtGlobal>

namespace filmarch {

bool isIntegerText(const QString& text);   // value fits a signed 32-bit integer
bool isIntegerText64(const QString& text); // value fits a signed 64-bit integer
qint32 toInteger(const QString& text);     // throws ConversionError
qint64 toInteger64(const QString& text);   // throws ConversionError

} // namespace filmarch
