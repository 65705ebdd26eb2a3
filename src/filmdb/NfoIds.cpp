#include "filmdb/NfoIds.h"

#include "platform/FileDescriptor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace filmarch {

namespace {

const qint64 mostNfoBytes = 1024 * 1024;

// The text of the bytes as far as identifiers go: they are ASCII, so UTF-16
// is read as such and any 8-bit encoding as Latin-1.
QString asText(const QByteArray& bytes)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        const bool little = bytes.startsWith("\xFF\xFE");
        QString text;
        for (qsizetype i = 2; i + 1 < bytes.size(); i += 2) {
            const char16_t unit = little ? char16_t(uchar(bytes[i]) | uchar(bytes[i + 1]) << 8)
                                         : char16_t(uchar(bytes[i]) << 8 | uchar(bytes[i + 1]));
            text += QChar(unit);
        }
        return text;
    }
    QByteArray plain = bytes;
    // UTF-16 without its mark: every other byte is zero.
    if (plain.count('\0') * 3 > plain.size())
        plain.replace('\0', QByteArray());
    return QString::fromLatin1(plain);
}

QString firstMatch(const QString& text, const QRegularExpression& pattern)
{
    const QRegularExpressionMatch m = pattern.match(text);
    return m.hasMatch() ? m.captured(1) : QString();
}

} // namespace

FilmIds readNfoIds(const QByteArray& bytes)
{
    static const QRegularExpression uniqueImdb(
        QStringLiteral(R"(<uniqueid\b[^>]*\btype\s*=\s*["']imdb["'][^>]*>\s*(tt\d{7,8})\s*</uniqueid>)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression uniqueTmdb(
        QStringLiteral(R"(<uniqueid\b[^>]*\btype\s*=\s*["']tmdb["'][^>]*>\s*(\d{1,9})\s*</uniqueid>)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression imdbTag(
        QStringLiteral(R"(<imdb(?:id)?>\s*(tt\d{7,8})\s*</imdb(?:id)?>)"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tmdbTag(
        QStringLiteral(R"(<tmdbid>\s*(\d{1,9})\s*</tmdbid>)"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression idTag(
        QStringLiteral(R"(<id>\s*(tt\d{7,8})\s*</id>)"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression imdbAddress(QStringLiteral(R"(imdb\.com/(?:[a-z]{2}/)?title/(tt\d{7,8})(?!\d))"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tmdbAddress(
        QStringLiteral(R"(themoviedb\.org/movie/(\d{1,9})(?!\d))"), QRegularExpression::CaseInsensitiveOption);

    const QString text = asText(bytes);
    FilmIds ids;
    for (const QRegularExpression* p : {&uniqueImdb, &imdbTag, &idTag, &imdbAddress}) {
        ids.imdbId = firstMatch(text, *p).toLower();
        if (!ids.imdbId.isEmpty())
            break;
    }
    for (const QRegularExpression* p : {&uniqueTmdb, &tmdbTag, &tmdbAddress}) {
        ids.tmdbId = firstMatch(text, *p).toLongLong();
        if (ids.tmdbId > 0)
            break;
    }
    return ids;
}

FilmIds nfoIdsBeside(const QString& filmPath)
{
    const QFileInfo film(filmPath);
    const QDir folder = film.dir();
    const QString realFolder = QFileInfo(folder.path()).canonicalFilePath();
    if (realFolder.isEmpty())
        return {};
    for (const QString& name : {film.completeBaseName() + QStringLiteral(".nfo"), QStringLiteral("movie.nfo")}) {
        const QString path = folder.filePath(name);
        const QFileInfo nfo(path);
        if (!nfo.exists())
            continue;
        // A link may point beside the film, never elsewhere.
        const QString real = nfo.canonicalFilePath();
        if (real.isEmpty() || QFileInfo(real).path() != realFolder)
            continue;
        // Opened without waiting (a pipe named .nfo), then checked to be a file.
        FileDescriptor fd(::open(QFile::encodeName(real).constData(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
        struct stat st {};
        if (!fd.isOpen() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        QByteArray bytes(qsizetype(std::min<qint64>(st.st_size, mostNfoBytes)), '\0');
        qsizetype got = 0;
        while (got < bytes.size()) {
            const ssize_t n = ::read(fd.get(), bytes.data() + got, size_t(bytes.size() - got));
            if (n <= 0)
                break;
            got += n;
        }
        bytes.truncate(got);
        return readNfoIds(bytes);
    }
    return {};
}

} // namespace filmarch
