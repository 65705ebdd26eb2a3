#include "platform/Windows1252.h"

#include "platform/Error.h"

#include <array>
#include <cstring>
#include <iconv.h>
#include <memory>

namespace filmarch {
namespace {

struct Tables {
    std::array<char16_t, 256> decode {};
    // One byte per UTF-16 code unit; 0 means "not representable" except for U+0000.
    std::unique_ptr<unsigned char[]> encode {new unsigned char[65536]()};

    Tables()
    {
        iconv_t cd = iconv_open("UTF-16LE", "WINDOWS-1252");
        if (cd == reinterpret_cast<iconv_t>(-1))
            throw Error(QStringLiteral("windows-1252 is not available in iconv"));
        for (int b = 0; b < 256; ++b) {
            char in = static_cast<char>(b);
            unsigned char out[4] = {};
            char* ip = &in;
            char* op = reinterpret_cast<char*>(out);
            size_t inLeft = 1, outLeft = sizeof out;
            const bool ok = iconv(cd, &ip, &inLeft, &op, &outLeft) != static_cast<size_t>(-1) && outLeft == 2;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            decode[b] = ok ? static_cast<char16_t>(out[0] | (out[1] << 8)) : static_cast<char16_t>(b);
        }
        iconv_close(cd);
        for (int b = 255; b > 0; --b)
            encode[decode[b]] = static_cast<unsigned char>(b);
    }
};

const Tables& tables()
{
    static const Tables t;
    return t;
}

} // namespace

QString fromWindows1252(const char* data, qsizetype size)
{
    const auto& dec = tables().decode;
    QString text(size, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    const auto* in = reinterpret_cast<const unsigned char*>(data);
    for (qsizetype i = 0; i < size; ++i)
        out[i] = dec[in[i]];
    return text;
}

qsizetype appendWindows1252(QByteArray& out, QStringView text)
{
    const unsigned char* enc = tables().encode.get();
    const qsizetype start = out.size();
    out.resize(start + text.size());
    char* dst = out.data() + start;
    const char16_t* src = text.utf16();
    const qsizetype n = text.size();
    qsizetype written = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = src[i];
        if (c < 0x80) {
            dst[written++] = static_cast<char>(c);
            continue;
        }
        const unsigned char b = enc[c];
        if (b) {
            dst[written++] = static_cast<char>(b);
            continue;
        }
        // One '?' per character: a surrogate pair is one character.
        if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(src[i + 1]))
            ++i;
        dst[written++] = '?';
    }
    out.resize(start + written);
    return written;
}

QByteArray toWindows1252(QStringView text)
{
    QByteArray out;
    appendWindows1252(out, text);
    return out;
}

} // namespace filmarch
