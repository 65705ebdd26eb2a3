#include "media/Traitement.h"

#include "media/BitRateText.h"
#include "media/IntegerText.h"
#include "platform/Error.h"

#include <QRegularExpression>

namespace filmarch {

namespace {

const QString separateur = QStringLiteral(", ");

// The library gives some durations with a fraction of a millisecond
// ("4000.000000"): count the whole milliseconds.
qint32 millisecondes(const QString& duree)
{
    const qsizetype point = duree.indexOf(u'.');
    if (point > 0) {
        const QString fraction = duree.mid(point + 1);
        bool chiffres = !fraction.isEmpty();
        for (QChar c : fraction)
            chiffres = chiffres && c >= u'0' && c <= u'9';
        if (chiffres)
            return toInteger(duree.left(point));
    }
    return toInteger(duree);
}

// A value's place among the entry's own values.
QString valueKey(TMIStreamKind kind, const QString& parameter, int number = 0)
{
    return QString::number(kind) + u':' + QString::number(number) + u':' + parameter;
}

} // namespace

TTraitement::TTraitement(
    const QString& NomFichier, bool ImageOnly, MesFonctionMediaInfo& media, TitleFilter titleFilter)
    : media(media), titleFilter(std::move(titleFilter))
{
    TestVideo = true;
    if (get(Stream_General, 0, QStringLiteral("VideoCount")).isEmpty()) {
        TestVideo = false;
        return;
    }
    NomDuFichier = NomFichier;
    Image = ImageOnly;
    PremsAffiche = true;
    URL = get(Stream_General, 0, QStringLiteral("CompleteName"));
    Resolution = get(Stream_Video, 0, QStringLiteral("Width")) + u'x' + get(Stream_Video, 0, QStringLiteral("Height"));
    Framerate = get(Stream_Video, 0, QStringLiteral("FrameRate"));
}

void TTraitement::readThrough(const ReadableName& name)
{
    readable = name;
    if (name.link().isEmpty())
        return;
    // As the library gives names: every line break as " / ".
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    URL = NomDuFichier;
    URL.replace(lineBreak, QStringLiteral(" / "));
}

void TTraitement::takeDiscFolder(const DiscFolder& disc)
{
    NomDuFichier = disc.folder;
    URL = disc.folder;
    // Asked of the library, these would be the main title file's.
    adjusted.insert(valueKey(Stream_General, QStringLiteral("FileName")), disc.name);
    adjusted.insert(valueKey(Stream_General, QStringLiteral("FileSize")), QString::number(disc.bytes));
    adjusted.insert(valueKey(Stream_General, QStringLiteral("CompleteName")), disc.folder);
}

void TTraitement::takeOtherParts(const std::vector<OtherPart>& parts)
{
    if (parts.empty())
        return;
    // A value that cannot be read counts as nothing: the film is still one entry.
    const auto bytesOf = [](const QString& text) {
        try {
            return text.isEmpty() ? qint64(0) : toInteger64(text);
        } catch (const std::exception&) {
            return qint64(0);
        }
    };
    const auto msOf = [](const QString& text) {
        try {
            return text.isEmpty() ? qint64(0) : qint64(millisecondes(text));
        } catch (const std::exception&) {
            return qint64(0);
        }
    };
    qint64 bytes = bytesOf(get(Stream_General, 0, QStringLiteral("FileSize")));
    qint64 ms = msOf(duration());
    for (const OtherPart& p : parts) {
        bytes += bytesOf(p.size);
        ms += msOf(p.duration);
        otherParts << p.fileName;
    }
    Disks = 1 + int(parts.size());
    adjusted.insert(valueKey(Stream_General, QStringLiteral("FileSize")), QString::number(bytes));
    if (ms > 0) {
        adjusted.insert(valueKey(Stream_Video, QStringLiteral("Duration")), QString::number(ms));
        adjusted.insert(valueKey(Stream_General, QStringLiteral("Duration")), QString::number(ms));
    }
}

TTraitement::~TTraitement()
{
    media.Delete();
}

QString TTraitement::get(TMIStreamKind kind, int number, const QString& parameter) const
{
    const auto own = adjusted.constFind(valueKey(kind, parameter, number));
    if (own != adjusted.constEnd())
        return *own;
    return media.Get(kind, number, parameter, Info_Text, Info_Name);
}

int TTraitement::streamCount(const QString& countParameter) const
{
    const QString count = get(Stream_General, 0, countParameter);
    return count.isEmpty() ? 0 : toInteger(count);
}

QString TTraitement::VideoFormat() const
{
    const QString codec = get(Stream_Video, 0, QStringLiteral("CodecID"));
    const QString format = get(Stream_Video, 0, QStringLiteral("Format"));
    return format + QStringLiteral("  ")
        + (codec == QLatin1String("V_MPEG4/ISO/AVC") ? QStringLiteral("MPEG_4") : codec);
}

QString TTraitement::ListeFormatAudio() const
{
    const int n = streamCount(QStringLiteral("AudioCount"));
    QString liste;
    for (int k = 0; k < n; ++k) {
        QString nom = get(Stream_Audio, k, QStringLiteral("CodecID/Hint"));
        if (nom.isEmpty())
            nom = get(Stream_Audio, k, QStringLiteral("CodecID"));
        if (nom.isEmpty())
            nom = get(Stream_Audio, k, QStringLiteral("Format"));
        liste += nom + QStringLiteral("  ") + get(Stream_Audio, k, QStringLiteral("Channel(s)/String")) + separateur;
    }
    liste.chop(separateur.size());
    return liste;
}

QString TTraitement::ListeLanguagesAudio() const
{
    const int n = streamCount(QStringLiteral("AudioCount"));
    QString liste;
    for (int k = 0; k < n; ++k) {
        liste += get(Stream_Audio, k, QStringLiteral("Language/String"));
        if (k < n - 1)
            liste += separateur;
    }
    return liste;
}

QString TTraitement::ListeLangauagesSousTitre() const
{
    const int n = streamCount(QStringLiteral("TextCount"));
    QString liste;
    for (int k = 0; k < n; ++k) {
        const QString langue = get(Stream_Text, k, QStringLiteral("Language/String"));
        liste += langue;
        if (k < n - 1 && !langue.isEmpty())
            liste += separateur;
    }
    return liste;
}

QString TTraitement::duration() const
{
    const QString duree = get(Stream_Video, 0, QStringLiteral("Duration"));
    return duree.isEmpty() ? get(Stream_General, 0, QStringLiteral("Duration")) : duree;
}

QString TTraitement::Lengths() const
{
    const QString duree = duration();
    if (duree.isEmpty())
        return {};
    return QString::number(millisecondes(duree) / 1000 / 60);
}

double TTraitement::lengthSeconds() const
{
    const QString duree = duration();
    try {
        return duree.isEmpty() ? -1 : millisecondes(duree) / 1000.0;
    } catch (const ConversionError&) {
        return -1;
    }
}

QString TTraitement::size() const
{
    const QString taille = get(Stream_General, 0, QStringLiteral("FileSize"));
    if (taille.isEmpty())
        return {};
    return QString::number(toInteger64(taille) / 1048576);
}

QString TTraitement::VideoBitrate() const
{
    QString debit = get(Stream_Video, 0, QStringLiteral("BitRate_Nominal/String"));
    if (debit.isEmpty())
        debit = get(Stream_Video, 0, QStringLiteral("BitRate/String"));
    return kilobitsPerSecond(debit);
}

QString TTraitement::AudioBitrate() const
{
    QString debit = get(Stream_Audio, 0, QStringLiteral("BitRate_Nominal/String"));
    if (debit.isEmpty())
        debit = get(Stream_Audio, 0, QStringLiteral("BitRate/String"));
    return kilobitsPerSecond(debit);
}

void TTraitement::readEveryValue() const
{
    const std::function<void()> values[] = {[this] { VideoFormat(); }, [this] { ListeFormatAudio(); },
        [this] { ListeLanguagesAudio(); }, [this] { ListeLangauagesSousTitre(); }, [this] { Lengths(); },
        [this] { lengthSeconds(); }, [this] { size(); }, [this] { VideoBitrate(); }, [this] { AudioBitrate(); }};
    for (const auto& value : values) {
        try {
            value();
        } catch (const std::exception&) {
            // Said again, and handled, when the entry asks for it.
        }
    }
}

} // namespace filmarch
