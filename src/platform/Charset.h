#pragma once
// Text decoding by a charset name as HTTP and XML declare it, through iconv.
#include <QByteArray>
#include <QString>

namespace filmarch {

// The charset parameter of a Content-Type value ("text/html; charset=windows-1252"),
// without quotes; empty when the value declares none.
QByteArray charsetOfContentType(const QByteArray& contentType);

// Decodes bytes written in the named charset. An empty or unknown name reads the
// bytes as UTF-8; a byte sequence invalid in the charset becomes U+FFFD.
QString decodeText(const QByteArray& bytes, const QByteArray& charset);

} // namespace filmarch
