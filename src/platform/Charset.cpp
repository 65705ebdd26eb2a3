#include "platform/Charset.h"

#include <QList>

#include <cerrno>
#include <iconv.h>

namespace filmarch {

QByteArray charsetOfContentType(const QByteArray& contentType)
{
    const QList<QByteArray> parts = contentType.split(';');
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QByteArray parameter = parts[i].trimmed();
        const qsizetype equals = parameter.indexOf('=');
        if (equals < 0 || parameter.left(equals).trimmed().toLower() != "charset")
            continue;
        QByteArray value = parameter.mid(equals + 1).trimmed();
        if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
            value = value.mid(1, value.size() - 2);
        return value.trimmed();
    }
    return {};
}

namespace {

bool isUtf8Name(const QByteArray& charset)
{
    const QByteArray name = charset.toLower();
    return name.isEmpty() || name == "utf-8" || name == "utf8";
}

// Converts to UTF-8 with iconv; false when iconv does not know the charset.
bool convertToUtf8(const QByteArray& bytes, const QByteArray& charset, QByteArray& out)
{
    iconv_t converter = iconv_open("UTF-8", charset.constData());
    if (converter == reinterpret_cast<iconv_t>(-1))
        return false;

    static const char replacement[] = "\xEF\xBF\xBD"; // U+FFFD in UTF-8
    out.clear();
    out.reserve(bytes.size() * 2 + 16);
    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = static_cast<size_t>(bytes.size());
    char buffer[4096];
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t result = iconv(converter, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, outPtr - buffer);
        if (result != static_cast<size_t>(-1) || errno == E2BIG)
            continue;
        // EILSEQ (invalid sequence) or EINVAL (sequence cut short at the end): mark it, skip a byte.
        out.append(replacement, 3);
        ++in;
        --inLeft;
    }
    // Flush the shift state of stateful charsets.
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    iconv(converter, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, outPtr - buffer);
    iconv_close(converter);
    return true;
}

} // namespace

QString decodeText(const QByteArray& bytes, const QByteArray& charset)
{
    if (isUtf8Name(charset))
        return QString::fromUtf8(bytes);
    QByteArray utf8;
    if (!convertToUtf8(bytes, charset, utf8))
        return QString::fromUtf8(bytes);
    return QString::fromUtf8(utf8);
}

} // namespace filmarch
