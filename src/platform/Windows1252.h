#pragma once
// windows-1252, the 8-bit text of AMC catalogues. The tables come from iconv,
// built once; a character with no windows-1252 byte becomes '?'. The five bytes
// that windows-1252 leaves undefined read as the C1 controls of the same value
// (as Windows reads them), so they survive a load and a save.
#include <QByteArray>
#include <QString>
#include <QStringView>

namespace filmarch {

QString fromWindows1252(const char* data, qsizetype size);
inline QString fromWindows1252(const QByteArray& bytes)
{
    return fromWindows1252(bytes.constData(), bytes.size());
}

QByteArray toWindows1252(QStringView text);
// Appends the encoded text to `out` and returns the number of bytes appended.
qsizetype appendWindows1252(QByteArray& out, QStringView text);

} // namespace filmarch
