// The vocabulary of release names.
#include "media/ReleaseWords.h"

#include <QHash>
#include <QSet>
#include <vector>

namespace filmarch::releasewords {

namespace {

QSet<QString> wordSet(std::initializer_list<const char16_t*> words)
{
    QSet<QString> set;
    for (const char16_t* w : words)
        set.insert(QString::fromUtf16(w));
    return set;
}

bool allDigits(QStringView s)
{
    if (s.isEmpty())
        return false;
    for (QChar c : s)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

// "720p", "1080i", "2160p", "480p".
bool isResolution(const QString& w)
{
    const qsizetype n = w.size();
    return n >= 4 && n <= 5 && (w.back() == u'p' || w.back() == u'i') && allDigits(QStringView(w).first(n - 1));
}

// "x264", "h265", "10bit", "dd5.1", "aac2.0", "ddp5.1", "5.1", "7.1", "2.0",
// "dvd5", "bd50": letters known as a prefix followed by digits.
bool isNumberedCodec(const QString& w)
{
    static const QSet<QString> prefixes = wordSet({u"x", u"h", u"dd", u"ddp", u"dd+", u"aac", u"ac", u"dts", u"eac",
        u"dvd", u"bd", u"mp", u"mpeg", u"divx", u"xvid", u"avc", u"hevc", u"truehd", u"atmos", u"flac", u"opus",
        u"lpcm", u"pcm", u"vc", u"vp", u"av", u"hdr", u"dts-hd", u"hd", u"ma"});
    qsizetype i = 0;
    while (i < w.size() && !(w[i] >= u'0' && w[i] <= u'9'))
        ++i;
    if (i == w.size())
        return false;
    QStringView rest = QStringView(w).mid(i);
    const QStringView prefix = QStringView(w).first(i);
    if (rest.endsWith(u"bit"))
        return prefix.isEmpty() && allDigits(rest.chopped(3));
    // Audio channels: "5.1", "2.0", "dd5.1".
    if (rest.size() == 3 && rest[1] == u'.' && allDigits(rest.first(1)) && allDigits(rest.last(1)))
        return true;
    if (!allDigits(rest))
        return false;
    if (prefix.isEmpty())
        return false;
    if (prefix == u"x" || prefix == u"h")
        return rest == u"264" || rest == u"265" || rest == u"263";
    if (prefix == u"dvd")
        return rest == u"5" || rest == u"9" || rest == u"r";
    return prefixes.contains(prefix.toString());
}

} // namespace

bool isReleaseWord(const QString& w)
{
    static const QSet<QString> words = wordSet({// sources
        u"bluray", u"blu-ray", u"bdrip", u"brrip", u"bdremux", u"remux", u"bd", u"bdr", u"dvdrip", u"dvdscr", u"dvdr",
        u"dvd-r", u"dvd", u"hddvd", u"hd-dvd", u"hdtv", u"hdrip", u"webrip", u"web-dl", u"webdl", u"hdcam", u"cam",
        u"camrip", u"telesync", u"telecine", u"tc", u"ts", u"hdts", u"r5", u"r6", u"screener", u"scr", u"dvdscreener",
        u"vhsrip", u"tvrip", u"pdtv", u"satrip", u"dsr", u"dvb", u"iso", u"ppvrip", u"hdlight", u"mhd", u"4klight",
        u"uhd", u"4k", u"8k", u"ultrahd", u"fullhd", u"hd", u"sd", u"hq", u"lq", u"amzn", u"nf", u"dsnp", u"hmax",
        u"atvp",
        // codecs and formats
        u"xvid", u"divx", u"x264", u"x265", u"h264", u"h265", u"hevc", u"avc", u"av1", u"vp9", u"vc1", u"vc-1",
        u"mpeg2", u"mpeg4", u"hdr", u"hdr10", u"hdr10+", u"dovi", u"dv", u"sdr", u"10bit", u"8bit", u"hi10p", u"ntsc",
        u"pal", u"secam", u"ws", u"fs", u"widescreen", u"fullscreen", u"hfr", u"hsbs", u"sbs", u"ogm", u"mkv", u"mp4",
        u"avi", u"m2ts",
        // audio
        u"ac3", u"ac-3", u"eac3", u"e-ac3", u"dts", u"dts-hd", u"dtshd", u"dts-x", u"dtsx", u"dts-es", u"truehd",
        u"atmos", u"aac", u"he-aac", u"heaac", u"aac-lc", u"mp3", u"mp2", u"flac", u"opus", u"lpcm", u"pcm", u"dd",
        u"ddp", u"dd+", u"ac3d", u"2ch", u"6ch", u"8ch", u"2audio", u"dual-audio", u"multi-audio",
        // languages that never name a film
        u"truefrench", u"vff", u"vfq", u"vfi", u"vf", u"vf2", u"vfb", u"vo", u"vost", u"vostfr", u"vosta", u"vostang",
        u"stfr", u"subfrench", u"subforced", u"multi", u"multi-vf2", u"fastsub", u"vo-vf", u"fr-en", u"eng-fr",
        u"fr-eng", u"en-fr", u"multisubs", u"multisub", u"dubbed", u"subbed", u"hardsub", u"hardsubs", u"softsub",
        u"softsubs", u"hc", u"nlsubs", u"nl", u"vostfr-vf", u"french-english",
        // release tags
        u"proper", u"repack", u"rerip", u"internal", u"readnfo", u"read.nfo", u"nfofix", u"dirfix", u"syncfix", u"2in1",
        u"3in1", u"4in1", u"2disc", u"rc", u"r1", u"r2", u"r3", u"r4", u"xxx", u"sample", u"subs", u"subpack", u"nfo",
        u"rarbg", u"yify", u"yts", u"eztv", u"ettv", u"dubs", u"watermarked", u"upscaled", u"ai-upscaled",
        u"remastered-rip"});
    return words.contains(w) || isResolution(w) || isNumberedCodec(w);
}

bool isLanguageWord(const QString& w)
{
    static const QSet<QString> words = wordSet({u"french", u"francais", u"français", u"english", u"anglais", u"german",
        u"deutsch", u"allemand", u"italian", u"italien", u"italiano", u"spanish", u"espagnol", u"espanol", u"español",
        u"castellano", u"latino", u"portuguese", u"portugues", u"russian", u"russe", u"japanese", u"japonais",
        u"korean", u"chinese", u"mandarin", u"cantonese", u"hindi", u"tamil", u"dutch", u"flemish", u"swedish",
        u"danish", u"norwegian", u"finnish", u"polish", u"czech", u"hungarian", u"turkish", u"greek", u"arabic",
        u"hebrew", u"thai", u"vietnamese", u"nordic", u"eng", u"fre", u"fra", u"fr", u"en", u"ger", u"deu", u"ita",
        u"spa", u"esp", u"rus", u"jpn", u"jap", u"kor", u"chi", u"por", u"dut", u"swe", u"dual", u"sub", u"subtitled",
        u"subtitles", u"vostf", u"limited", u"unrated-cut", u"uk", u"us", u"web", u"3d", u"complete", u"retail",
        u"custom", u"dolby", u"stereo", u"mono", u"rip"});
    return words.contains(w);
}

bool isVideoExtension(const QString& e)
{
    static const QSet<QString> exts = wordSet({u"mkv", u"avi", u"mp4", u"m4v", u"mov", u"wmv", u"mpg", u"mpeg", u"mpe",
        u"m2v", u"ts", u"m2ts", u"mts", u"vob", u"ifo", u"iso", u"img", u"ogm", u"ogv", u"divx", u"xvid", u"flv",
        u"webm", u"3gp", u"rm", u"rmvb", u"asf", u"dat", u"bdmv", u"nfo", u"srt", u"sub", u"idx", u"part", u"wtv",
        u"dvr-ms", u"evo", u"f4v", u"y4m", u"nut", u"mxf", u"strm"});
    return exts.contains(e);
}

bool isSiteEnding(const QString& w)
{
    static const QSet<QString> ends = wordSet({u"com", u"net", u"org", u"info", u"biz", u"tv", u"fr", u"to", u"me",
        u"cc", u"io", u"ws", u"ru", u"uk", u"de", u"es", u"it", u"nl", u"be", u"ch", u"eu", u"xyz", u"la", u"in", u"ag",
        u"se", u"pl", u"cz", u"lt", u"ms", u"vg", u"is", u"st", u"top", u"club", u"site", u"online"});
    return ends.contains(w);
}

bool isStructuralFolder(const QString& n)
{
    static const QSet<QString> names = wordSet({u"video_ts", u"audio_ts", u"bdmv", u"stream", u"playlist", u"clipinf",
        u"certificate", u"backup", u"sample", u"samples", u"subs", u"sub", u"subtitles", u"extras", u"featurettes",
        u"bonus", u"bonuses", u"proof", u"covers", u"artwork", u"any!", u"hvdvd_ts", u"jar"});
    return names.contains(n);
}

bool isLibraryFolder(const QString& n)
{
    static const QSet<QString> names = wordSet({u"films", u"film", u"movies", u"movie", u"videos", u"video", u"vidéos",
        u"vidéo", u"media", u"médias", u"downloads", u"download", u"téléchargements", u"telechargements", u"complete",
        u"completed", u"incoming", u"torrents", u"torrent", u"new folder", u"nouveau dossier", u"home", u"mnt",
        u"media", u"srv", u"data", u"share", u"public", u"tmp", u"divx", u"dvd", u"dvdrip", u"hd", u"4k", u"1080p",
        u"720p", u"bluray", u"x264", u"x265", u"hevc", u"xvid", u"mkv", u"avi", u"films hd", u"mes films", u"my movies",
        u"cinema", u"cinéma", u"a voir", u"à voir", u"vus", u"temp", u"library", u"bibliothèque"});
    return names.contains(n);
}

namespace {

struct Phrase {
    std::initializer_list<const char16_t*> words;
    const char16_t* name;
};

// Longest first where one phrase starts another.
const Phrase kPhrases[] = {
    {{u"director's", u"cut"}, u"Director's Cut"},
    {{u"directors", u"cut"}, u"Director's Cut"},
    {{u"director", u"cut"}, u"Director's Cut"},
    {{u"director's", u"edition"}, u"Director's Cut"},
    {{u"extended", u"director's", u"cut"}, u"Extended"},
    {{u"extended", u"edition"}, u"Extended"},
    {{u"extended", u"cut"}, u"Extended"},
    {{u"extended", u"version"}, u"Extended"},
    {{u"extended"}, u"Extended"},
    {{u"criterion", u"collection"}, u"Criterion"},
    {{u"criterion", u"edition"}, u"Criterion"},
    {{u"criterion"}, u"Criterion"},
    {{u"remastered"}, u"Remastered"},
    {{u"remaster"}, u"Remastered"},
    {{u"restored"}, u"Restored"},
    {{u"unrated", u"edition"}, u"Unrated"},
    {{u"unrated"}, u"Unrated"},
    {{u"uncut"}, u"Uncut"},
    {{u"uncensored"}, u"Uncensored"},
    {{u"theatrical", u"cut"}, u"Theatrical"},
    {{u"theatrical", u"edition"}, u"Theatrical"},
    {{u"theatrical"}, u"Theatrical"},
    {{u"special", u"edition"}, u"Special Edition"},
    {{u"collector's", u"edition"}, u"Collector's Edition"},
    {{u"collectors", u"edition"}, u"Collector's Edition"},
    {{u"edition", u"collector"}, u"Collector's Edition"},
    {{u"ultimate", u"edition"}, u"Ultimate Edition"},
    {{u"ultimate", u"cut"}, u"Ultimate Edition"},
    {{u"anniversary", u"edition"}, u"Anniversary Edition"},
    {{u"limited", u"edition"}, u"Limited Edition"},
    {{u"imax", u"edition"}, u"IMAX"},
    {{u"imax"}, u"IMAX"},
    {{u"open", u"matte"}, u"Open Matte"},
    {{u"version", u"longue"}, u"Version longue"},
    {{u"version", u"intégrale"}, u"Version intégrale"},
    {{u"version", u"integrale"}, u"Version intégrale"},
    {{u"edition", u"speciale"}, u"Special Edition"},
    {{u"édition", u"spéciale"}, u"Special Edition"},
    {{u"dc"}, u"Director's Cut"},
};
struct EditionTable {
    struct Entry {
        QStringList words;
        QString name;
    };
    std::vector<Entry> entries;
    QSet<QString> firstWords;
    QHash<QString, QString> singleWords;
};

const EditionTable& editionTable()
{
    static const EditionTable table = [] {
        EditionTable t;
        for (const Phrase& p : kPhrases) {
            EditionTable::Entry e;
            for (const char16_t* w : p.words)
                e.words << QString::fromUtf16(w);
            e.name = QString::fromUtf16(p.name);
            t.firstWords.insert(e.words.first());
            if (e.words.size() == 1)
                t.singleWords.insert(e.words.first(), e.name);
            t.entries.push_back(std::move(e));
        }
        return t;
    }();
    return table;
}

} // namespace

bool editionWord(const QString& word, QString* edition)
{
    const auto found = editionTable().singleWords.constFind(word);
    if (found == editionTable().singleWords.constEnd())
        return false;
    *edition = found.value();
    return true;
}

int editionAt(const QStringList& words, qsizetype at, QString* edition)
{
    const EditionTable& table = editionTable();
    if (at >= words.size() || !table.firstWords.contains(words[at]))
        return 0;
    for (const EditionTable::Entry& e : table.entries) {
        const qsizetype n = e.words.size();
        if (at + n > words.size())
            continue;
        bool match = true;
        for (qsizetype k = 0; k < n && match; ++k)
            match = words[at + k] == e.words[k];
        if (match) {
            if (edition)
                *edition = e.name;
            return int(n);
        }
    }
    return 0;
}

} // namespace filmarch::releasewords
