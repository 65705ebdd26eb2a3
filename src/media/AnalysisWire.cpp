#include "media/AnalysisWire.h"

#include <QtEndian>

namespace filmarch::wire {

FrameWriter& FrameWriter::byte(char b)
{
    fields.append(b);
    return *this;
}

FrameWriter& FrameWriter::number(std::uint32_t n)
{
    char bytes[4];
    qToLittleEndian(n, bytes);
    fields.append(bytes, 4);
    return *this;
}

FrameWriter& FrameWriter::text(const QString& t)
{
    const QByteArray utf8 = t.toUtf8();
    number(std::uint32_t(utf8.size()));
    fields.append(utf8);
    return *this;
}

FrameWriter& FrameWriter::value(const Value& v)
{
    byte(char(v.kind));
    number(std::uint32_t(v.number));
    text(v.parameter);
    return text(v.value);
}

QByteArray FrameWriter::frame() const
{
    char length[4];
    qToLittleEndian(std::uint32_t(fields.size()), length);
    return QByteArray(length, 4) + fields;
}

std::uint32_t frameLength(const char* four)
{
    return qFromLittleEndian<std::uint32_t>(four);
}

bool FrameReader::take(qsizetype size)
{
    if (bad || size < 0 || fields.size() - at < size) {
        bad = true;
        return false;
    }
    at += size;
    return true;
}

char FrameReader::byte()
{
    return take(1) ? fields[at - 1] : '\0';
}

std::uint32_t FrameReader::number()
{
    return take(4) ? qFromLittleEndian<std::uint32_t>(fields.constData() + at - 4) : 0;
}

QString FrameReader::text()
{
    const std::uint32_t size = number();
    if (bad || !take(qsizetype(size)))
        return {};
    return QString::fromUtf8(fields.constData() + at - size, qsizetype(size));
}

std::optional<Value> FrameReader::value()
{
    Value v;
    const int kind = byte();
    v.number = int(number());
    v.parameter = text();
    v.value = text();
    if (bad || kind < 0 || kind >= Stream_Max || v.number < 0) {
        bad = true;
        return std::nullopt;
    }
    v.kind = TMIStreamKind(kind);
    return v;
}

} // namespace filmarch::wire
