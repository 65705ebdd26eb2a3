#pragma once
// Builds AMC file bytes by hand for the tests: the layout written out field by
// field, independent of the code under test.
#include <QByteArray>
#include <QtEndian>
#include <array>
#include <vector>

namespace filmarch::test {

// The 65-byte headers: 32 bytes of version text, then 33 bytes of signature.
inline const QByteArray header41 = QByteArray(" AMC_4.1 Ant Movie Catalog 4.1.x") + "   antp/soulsnake    www.antp.be ";
inline const QByteArray header40 = QByteArray(" AMC_4.0 Ant Movie Catalog 4.0.x") + "   antp/soulsnake    www.antp.be ";
inline const QByteArray header35 = QByteArray(" AMC_3.5 Ant Movie Catalog 3.5.x") + "   www.buypin.com    www.antp.be ";
inline const QByteArray header33 = QByteArray(" AMC_3.3 Ant Movie Catalog 3.3.x") + "   www.buypin.com  www.ant.be.tf ";
inline const QByteArray header31 = QByteArray(" AMC_3.1 Ant Movie Catalog 3.1.x") + "   www.buypin.com  www.ant.be.tf ";

inline const QByteArray& headerFor(int version)
{
    switch (version) {
    case 41: return header41;
    case 40: return header40;
    case 33: return header33;
    case 31: return header31;
    default: return header35;
    }
}

class Bytes {
public:
    Bytes& raw(const QByteArray& b)
    {
        data += b;
        return *this;
    }
    Bytes& i32(qint32 v)
    {
        char c[4];
        qToLittleEndian(v, c);
        data.append(c, 4);
        return *this;
    }
    Bytes& u8(quint8 v)
    {
        data.append(char(v));
        return *this;
    }
    Bytes& str(const QByteArray& s) { return i32(qint32(s.size())).raw(s); }
    operator QByteArray() const { return data; }
    QByteArray data;
};

// Catalogue properties: name, mail, (a dropped text before 3.5), site, description.
inline QByteArray properties(int version, const QByteArray& name = {}, const QByteArray& mail = {},
    const QByteArray& site = {}, const QByteArray& description = {})
{
    Bytes b;
    b.str(name).str(mail);
    if (version < 35)
        b.str("dropped");
    return b.str(site).str(description);
}

// One entry record. Strings in file order: media, media type, source, borrower,
// original title, translated title, director, producer, country, category,
// actors, URL, description, comments, video format, audio format, resolution,
// frame rate, languages, subtitles, size, picture name.
struct Record {
    // number, date, rating, year, length, video bit rate, audio bit rate, disks
    std::array<qint32, 8> ints {};
    qint32 colorTag = 0;
    bool checked = false;
    std::array<QByteArray, 22> strings {};
    QByteArray picture;
    std::vector<QByteArray> values; // one per definition, 4.0 and 4.1
};

inline QByteArray record(int version, const Record& r)
{
    Bytes b;
    for (qint32 v : r.ints)
        b.i32(v);
    if (version >= 41)
        b.i32(r.colorTag);
    b.u8(r.checked ? 1 : 0);
    for (size_t i = 0; i < r.strings.size(); ++i)
        if (version >= 33 || (i != 1 && i != 2))
            b.str(r.strings[i]);
    b.i32(qint32(r.picture.size())).raw(r.picture);
    if (version >= 40)
        for (const QByteArray& v : r.values)
            b.str(v);
    return b;
}

inline Record numbered(qint32 number, const QByteArray& title = {})
{
    Record r;
    r.ints[0] = number;
    r.strings[5] = title;
    return r;
}

// An empty definitions block: column settings, GUI properties, no definition.
inline QByteArray noDefinitions()
{
    return Bytes().str({}).str({}).i32(0);
}

} // namespace filmarch::test
