#pragma once
// What a scan says to its analysis helper (filmarch-analyse) and what the
// helper answers, over one socket. Every message is a frame: its length as a
// 32-bit number, then its fields. Numbers are little-endian 32-bit, texts are
// UTF-8 preceded by their length.
//
//   helper, once started   "ready": the library is loaded
//   Open  path             opened (0/1), then every value the analysis of a film
//                          reads: kind, stream number, parameter, value
//   Get   kind number parameter infoKind searchKind
//                          the value
//   Close                  (no answer) the file is released
#include "media/MediaInfoDll.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

namespace filmarch::wire {

enum class Request : char { Open = 'O', Get = 'G', Close = 'C' };

// The largest frame either side accepts: values are short texts, and a file
// cannot make the scan hold more than this.
constexpr std::uint32_t frameLimit = 16u << 20;

// One value the library gave, as the analysis asked for it.
struct Value {
    TMIStreamKind kind = Stream_General;
    int number = 0;
    QString parameter;
    QString value;
};

// Builds a frame's fields; frame() puts the length in front.
class FrameWriter {
public:
    FrameWriter& byte(char b);
    FrameWriter& number(std::uint32_t n);
    FrameWriter& text(const QString& t);
    FrameWriter& value(const Value& v);
    QByteArray frame() const;

private:
    QByteArray fields;
};

// Reads a frame's fields (without its length); a field past the end or a
// text that does not fit leaves the reader failed, and every later read empty.
class FrameReader {
public:
    explicit FrameReader(const QByteArray& fields) : fields(fields) {}
    char byte();
    std::uint32_t number();
    QString text();
    std::optional<Value> value();
    bool failed() const { return bad; }
    bool atEnd() const { return !bad && at == fields.size(); }

private:
    bool take(qsizetype size);
    const QByteArray& fields;
    qsizetype at = 0;
    bool bad = false;
};

// Reads the frame's length from its first four bytes.
std::uint32_t frameLength(const char* four);

} // namespace filmarch::wire
