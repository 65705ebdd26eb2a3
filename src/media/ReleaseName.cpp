// The reader of release names. A name is cut into words and bracketed groups,
// each is given a role (title, year, release word, edition, part...), and the
// title is what stands before the first word that is not the title's.
#include "media/ReleaseName.h"
#include "media/ReleaseWords.h"

#include <QDate>
#include <vector>

namespace filmarch {

namespace rw = releasewords;

namespace {

enum class Sep { Start, Dot, Space, Underscore, Hyphen, Dash };
enum class Kind { Word, Square, Curly, Paren };
enum class Role { Title, Year, Release, Language, Edition, Part, PartWord, Episode, Id, Site, Numbering, Alt, AltSep };

struct Token {
    Kind kind = Kind::Word;
    Sep sep = Sep::Start; // what stood before the token
    qsizetype begin = 0;  // in the name, brackets included
    qsizetype end = 0;
    QString text; // as written; a bracket's content without its brackets
    QString lower;
    Role role = Role::Title;
    bool yearLike = false;
    int number = 0;    // the year, the part
    QString edition;   // the edition's name on its first word
    int span = 1;      // words of an edition or a part marker
    bool used = false; // in the title, the alternative title or a field
};

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool allDigits(QStringView s)
{
    if (s.isEmpty())
        return false;
    for (QChar c : s)
        if (!isDigit(c))
            return false;
    return true;
}

bool isSeparator(QChar c)
{
    return c == u'.' || c == u'_' || c == u' ' || c == u'-' || c == u'\t';
}
bool isOpening(QChar c)
{
    return c == u'(' || c == u'[' || c == u'{';
}
bool isClosing(QChar c)
{
    return c == u')' || c == u']' || c == u'}';
}

int latestYear()
{
    static const int year = QDate::currentDate().year() + 1;
    return year;
}

int plausibleYear(QStringView s)
{
    if (s.size() != 4 || !allDigits(s))
        return 0;
    const int y = s.toInt();
    return y >= 1895 && y <= latestYear() ? y : 0;
}

// The closing bracket matching the one at `at`, -1 when there is none.
qsizetype matchingClose(const QString& s, qsizetype at)
{
    int depth = 0;
    for (qsizetype i = at; i < s.size(); ++i) {
        if (isOpening(s[i]))
            ++depth;
        else if (isClosing(s[i]) && --depth == 0)
            return i;
    }
    return -1;
}

Sep separatorOf(QStringView run)
{
    if (run.contains(u'-'))
        return run.size() == 1 ? Sep::Hyphen : Sep::Dash;
    if (run.contains(u' ') || run.contains(u'\t'))
        return Sep::Space;
    if (run.contains(u'_'))
        return Sep::Underscore;
    return Sep::Dot;
}

std::vector<Token> tokenize(const QString& s)
{
    std::vector<Token> tokens;
    Sep pending = Sep::Start;
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n) {
        const QChar c = s[i];
        if (isSeparator(c) || isClosing(c)) {
            qsizetype j = i;
            while (j < n && (isSeparator(s[j]) || isClosing(s[j])))
                ++j;
            if (!tokens.empty())
                pending = separatorOf(QStringView(s).mid(i, j - i));
            i = j;
            continue;
        }
        Token t;
        t.sep = pending;
        t.begin = i;
        if (isOpening(c)) {
            const qsizetype close = matchingClose(s, i);
            if (close < 0) { // an unclosed bracket is read as a blank
                if (!tokens.empty())
                    pending = Sep::Space;
                ++i;
                continue;
            }
            t.kind = c == u'(' ? Kind::Paren : c == u'[' ? Kind::Square : Kind::Curly;
            t.text = s.mid(i + 1, close - i - 1).trimmed();
            t.end = close + 1;
        } else {
            qsizetype j = i;
            while (j < n && !isSeparator(s[j]) && !isOpening(s[j]) && !isClosing(s[j]))
                ++j;
            t.text = s.mid(i, j - i);
            t.end = j;
        }
        i = t.end;
        if (t.kind != Kind::Word && t.text.isEmpty())
            continue;
        t.lower = t.text.toLower();
        tokens.push_back(std::move(t));
        pending = Sep::Space;
    }
    return tokens;
}

void mergeInto(std::vector<Token>& tokens, size_t at, QChar joint)
{
    Token& a = tokens[at];
    const Token& b = tokens[at + 1];
    a.text += joint + b.text;
    a.lower += joint + b.lower;
    a.end = b.end;
    tokens.erase(tokens.begin() + qsizetype(at) + 1);
}

bool singleLetter(const Token& t)
{
    return t.kind == Kind::Word && t.text.size() == 1 && t.text[0].isLetter();
}

// Words that the separators cut apart but that are one: "5.1", "DD5.1",
// "H.264", "WEB-DL", "Blu-Ray", and the letters of "S.W.A.T".
void mergeCutWords(std::vector<Token>& tokens)
{
    for (size_t i = 0; i + 1 < tokens.size(); ++i) {
        Token& a = tokens[i];
        const Token& b = tokens[i + 1];
        if (a.kind != Kind::Word || b.kind != Kind::Word)
            continue;
        if (b.sep == Sep::Dot) {
            // "5" after an audio word, or letters and one digit ("DD5", "AAC2"),
            // then one digit; "Die Hard 4.0" keeps its number.
            const bool channelStart = a.text.size() == 1
                ? isDigit(a.text[0]) && i > 0 && rw::isReleaseWord(tokens[i - 1].lower)
                : a.text[0].isLetter() && isDigit(a.text.back()) && !isDigit(a.text[a.text.size() - 2])
                    && !a.text.contains(u'.') && (b.text == u"0" || b.text == u"1");
            const bool channels = channelStart && b.text.size() == 1 && isDigit(b.text[0]);
            const bool codec = (a.lower == u"h" || a.lower == u"x") && (b.lower == u"264" || b.lower == u"265");
            if (channels || codec) {
                mergeInto(tokens, i, u'.');
                --i;
                continue;
            }
            if (singleLetter(a) && singleLetter(b)) {
                mergeInto(tokens, i, u'.');
                --i; // "S.W" then ".A"
                continue;
            }
            // A run already merged ("S.W") takes the next letter.
            if (b.text.size() == 1 && b.text[0].isLetter() && a.text.size() >= 3 && a.text[1] == u'.'
                && a.text.back().isLetter() && a.text[a.text.size() - 2] == u'.') {
                mergeInto(tokens, i, u'.');
                --i;
                continue;
            }
        }
        if (b.sep == Sep::Hyphen) {
            const QString joined = a.lower + u'-' + b.lower;
            if (rw::isReleaseWord(joined)) {
                mergeInto(tokens, i, u'-');
                --i;
            }
        }
    }
}

bool isImdbId(QStringView w)
{
    return (w.size() == 9 || w.size() == 10) && w.startsWith(u"tt") && allDigits(w.mid(2));
}

// "s01e02", "s1e2e3", "1x02".
bool isEpisode(QStringView w)
{
    if (w.size() >= 4 && w[0] == u's' && isDigit(w[1])) {
        qsizetype i = 1;
        while (i < w.size() && isDigit(w[i]))
            ++i;
        if (i > 3 || i >= w.size() || w[i] != u'e')
            return false;
        const qsizetype e = i + 1;
        qsizetype j = e;
        while (j < w.size() && isDigit(w[j]))
            ++j;
        return j > e && j - e <= 3 && (j == w.size() || w[j] == u'e' || w[j] == u'-');
    }
    const qsizetype x = w.indexOf(u'x');
    return x >= 1 && x <= 2 && w.size() - x - 1 == 2 && allDigits(w.first(x)) && allDigits(w.mid(x + 1));
}

// The part a marker written as one word gives: "cd2", "cdb", "disc1",
// "part2", "pt2", "1of2"; 0 for any other word.
int partMarker(QStringView w)
{
    // Most words start otherwise: they are let go at once.
    if (w.size() < 3 || !(w[0] == u'c' || w[0] == u'd' || w[0] == u'p' || isDigit(w[0])))
        return 0;
    static constexpr QStringView prefixes[] = {u"cd", u"disc", u"disk", u"dvd", u"part", u"pt", u"partie", u"parte"};
    for (const QStringView prefix : prefixes) {
        if (!w.startsWith(prefix) || w.size() == prefix.size())
            continue;
        QStringView rest = w.mid(prefix.size());
        // "cd1of2"
        if (const qsizetype of = rest.indexOf(u"of"); of > 0 && allDigits(rest.mid(of + 2)))
            rest = rest.first(of);
        if (allDigits(rest) && rest.size() <= 2) {
            const int n = rest.toInt();
            if (prefix == u"dvd" && n > 4) // DVD5 and DVD9 are disc formats
                return 0;
            return n >= 1 ? n : 0;
        }
        if (prefix == u"cd" && rest.size() == 1 && rest[0] >= u'a' && rest[0] <= u'd')
            return rest[0].unicode() - u'a' + 1;
    }
    const qsizetype of = w.indexOf(u"of");
    if (of >= 1 && of <= 2 && allDigits(w.first(of)) && allDigits(w.mid(of + 2)) && w.size() - of - 2 <= 2) {
        const int n = w.first(of).toInt();
        return n >= 1 && n <= w.mid(of + 2).toInt() ? n : 0;
    }
    return 0;
}

// A part marker word that needs its number in the next word: "CD 1", "pt.2".
bool isPartWord(QStringView w)
{
    if (w.size() < 2 || !(w[0] == u'c' || w[0] == u'd' || w[0] == u'p'))
        return false;
    return w == u"cd" || w == u"disc" || w == u"disk" || w == u"part" || w == u"pt" || w == u"partie" || w == u"parte";
}

QString compact(const QString& lower)
{
    QString c;
    c.reserve(lower.size());
    for (QChar ch : lower)
        if (!isSeparator(ch))
            c += ch;
    return c;
}

// A bracket's content with its separators as blanks: "The.Prestige" -> "The Prestige".
QString spaced(const QString& text)
{
    QString t = text;
    for (QChar& c : t)
        if (c == u'.' || c == u'_')
            c = u' ';
    return t.simplified();
}

bool holdsReleaseWords(const Token& t)
{
    for (const Token& inner : tokenize(t.lower))
        if (rw::isReleaseWord(inner.lower) || rw::isLanguageWord(inner.lower)
            || rw::editionAt({inner.lower}, 0, nullptr))
            return true;
    return false;
}

// A bracket holding an identifier as Jellyfin, Emby and Radarr write them:
// "tmdb-123", "tmdbid=123", "imdb-tt0123456", "imdbid-tt0123456", or a bare id.
bool readBracketId(const QString& content, ReleaseName& r)
{
    const QString c = compact(content.toLower()).remove(u'=').remove(u':');
    for (QStringView prefix : {u"tmdbid", u"tmdb"}) {
        if (c.startsWith(prefix) && allDigits(QStringView(c).mid(prefix.size()))) {
            if (r.tmdbId == 0)
                r.tmdbId = QStringView(c).mid(prefix.size()).toInt();
            return true;
        }
    }
    for (QStringView prefix : {u"imdbid", u"imdb", u""}) {
        if (c.startsWith(prefix) && isImdbId(QStringView(c).mid(prefix.size()))) {
            if (r.imdbId.isEmpty())
                r.imdbId = c.mid(prefix.size());
            return true;
        }
    }
    return false;
}

bool isSiteText(const QString& lower)
{
    const qsizetype dot = lower.lastIndexOf(u'.');
    return dot > 0 && (lower.startsWith(u"www.") || rw::isSiteEnding(lower.mid(dot + 1))) && !lower.contains(u' ');
}

bool isArticle(const QString& lower)
{
    for (QStringView a : {u"the", u"a", u"an", u"le", u"la", u"les", u"l'", u"un", u"une", u"der", u"die", u"das",
             u"el", u"il", u"lo", u"los"})
        if (lower == a)
            return true;
    return false;
}

bool hasLowerCase(const QString& s)
{
    for (QChar c : s)
        if (c.isLower())
            return true;
    return false;
}

bool isAllCaps(const QString& s)
{
    return s.size() >= 3 && !hasLowerCase(s);
}

// A bracket that holds an edition and nothing else: "(Director's Cut)".
bool isWholeEdition(const QString& lower, QString* edition)
{
    const QStringList words = spaced(lower).split(u' ');
    return rw::editionAt(words, 0, edition) == words.size();
}

// Gives each word its role as if alone; what depends on the neighbours is
// decided by the reader below.
void classify(std::vector<Token>& tokens, ReleaseName& r)
{
    for (size_t i = 0; i < tokens.size(); ++i) {
        Token& t = tokens[i];
        const QString& w = t.lower;
        if (t.kind != Kind::Word) {
            if (readBracketId(t.text, r)) {
                t.role = Role::Id;
            } else if (const int y = plausibleYear(t.text)) {
                t.yearLike = true;
                t.number = y;
                t.role = Role::Year;
            } else if (const int p = partMarker(compact(w))) {
                t.role = Role::Part;
                t.number = p;
            } else if (isSiteText(w)) {
                t.role = Role::Site;
            } else if (QString e; isWholeEdition(w, &e)) {
                t.role = Role::Edition;
                t.edition = e;
            } else if (t.kind == Kind::Paren && i == 0 && t.text.size() <= 2 && allDigits(t.text)) {
                t.role = Role::Numbering;
            } else if (t.kind == Kind::Paren && !holdsReleaseWords(t)) {
                t.role = Role::Alt;
            } else {
                t.role = Role::Release;
            }
            continue;
        }
        if (isImdbId(w)) {
            t.role = Role::Id;
            if (r.imdbId.isEmpty())
                r.imdbId = w;
        } else if (isEpisode(w)) {
            t.role = Role::Episode;
            r.episode = true;
        } else if (w == u"sample") {
            t.role = Role::Release;
            r.sample = true;
        } else if (w == u"www") {
            // The address runs to the first known ending: "www.some-site.com".
            size_t j = i + 1;
            while (
                j < tokens.size() && j <= i + 4 && tokens[j].kind == Kind::Word && !rw::isSiteEnding(tokens[j].lower))
                ++j;
            if (j < tokens.size() && j <= i + 4 && tokens[j].kind == Kind::Word) {
                for (size_t k = i; k <= j; ++k)
                    tokens[k].role = Role::Site;
                i = j;
            } else {
                t.role = Role::Release;
            }
        } else if (const int y = plausibleYear(w)) {
            t.yearLike = true;
            t.number = y;
            t.role = Role::Year;
        } else if (const int p = partMarker(w)) {
            t.role = Role::Part;
            t.number = p;
        } else if (isPartWord(w) && i + 1 < tokens.size() && tokens[i + 1].kind == Kind::Word
            && allDigits(tokens[i + 1].lower) && tokens[i + 1].lower.size() <= 2 && tokens[i + 1].lower != u"0") {
            // "Part 2" may be the title's own ("... Deathly Hallows Part 2"): decided
            // from where it stands; "CD 2" and "pt.2" are always markers.
            t.role = (w == u"part" || w == u"partie" || w == u"parte") ? Role::PartWord : Role::Part;
            t.number = tokens[i + 1].lower.toInt();
            t.span = 2;
            // "part 2 of 2" is a marker wherever it stands.
            if (i + 3 < tokens.size() && tokens[i + 2].lower == u"of" && allDigits(tokens[i + 3].lower)) {
                t.role = Role::Part;
                t.span = 4;
            }
            for (int k = 1; k < t.span; ++k)
                tokens[i + size_t(k)].role = t.role;
            i += size_t(t.span - 1);
        } else if (QString e; rw::editionWord(w, &e)) {
            // Phrases of several words are found on the whole list below.
            t.role = Role::Edition;
            t.edition = e;
        } else if (rw::isReleaseWord(w)) {
            t.role = Role::Release;
        } else if (rw::isLanguageWord(w)) {
            t.role = Role::Language;
        } else if (w == u"aka" || w == u"a.k.a") {
            t.role = Role::AltSep;
        }
    }
    // Edition phrases of several words: "Director's Cut", "Special Edition".
    QStringList words;
    words.reserve(qsizetype(tokens.size()));
    for (const Token& t : tokens)
        words.append(t.kind == Kind::Word ? t.lower : QString());
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i].kind != Kind::Word || tokens[i].role == Role::Year)
            continue;
        QString e;
        const int n = rw::editionAt(words, qsizetype(i), &e);
        if (n >= 2) {
            tokens[i].role = Role::Edition;
            tokens[i].edition = e;
            tokens[i].span = n;
            for (int k = 1; k < n; ++k)
                tokens[i + size_t(k)].role = Role::Edition;
            i += size_t(n - 1);
        }
    }
}

// Numbering before the title: "(1) ", "01 - ", "09.03.08.", a leading "01.".
size_t numberingPrefix(const std::vector<Token>& t)
{
    if (t.size() < 2 || t[0].kind != Kind::Word || !allDigits(t[0].text))
        return t.size() >= 2 && t[0].role == Role::Numbering ? 1 : 0;
    const QString& first = t[0].text;
    if (t.size() >= 4 && t[1].kind == Kind::Word && t[2].kind == Kind::Word && first.size() <= 2
        && t[1].text.size() == 2 && allDigits(t[1].text) && (t[2].text.size() == 2 || t[2].text.size() == 4)
        && allDigits(t[2].text) && t[1].sep == Sep::Dot && t[2].sep == Sep::Dot)
        return 3;
    if (first.size() <= 3 && first[0] == u'0')
        return 1;
    if (first.size() <= 3 && t[1].sep == Sep::Dash)
        return 1;
    return 0;
}

bool endsTitle(Role r)
{
    return r != Role::Title;
}

QString spacedIfBracket(const Token& t)
{
    return t.kind == Kind::Word ? t.text : spaced(t.text);
}

QString joinWords(const std::vector<Token>& tokens, size_t from, size_t to)
{
    QString s;
    for (size_t i = from; i < to; ++i) {
        const Token& t = tokens[i];
        if (i > from)
            s += t.sep == Sep::Hyphen ? QStringLiteral("-")
                : t.sep == Sep::Dash  ? QStringLiteral(" - ")
                                      : QStringLiteral(" ");
        s += t.kind == Kind::Word || to - from == 1 ? spacedIfBracket(t) : u'(' + spaced(t.text) + u')';
    }
    return s;
}

// One name, file or folder, read alone.
ReleaseName readName(const QString& name)
{
    ReleaseName r;
    std::vector<Token> t = tokenize(name);
    mergeCutWords(t);
    classify(t, r);
    const size_t n = t.size();

    size_t start = numberingPrefix(t);
    for (size_t k = 0; k < start; ++k)
        t[k].role = Role::Numbering;
    while (start < n
        && (t[start].role == Role::Id || t[start].role == Role::Site || t[start].kind == Kind::Square
            || t[start].kind == Kind::Curly || t[start].role == Role::Numbering))
        ++start;

    // "[Rec] 2007": a leading bracket is the title when only a year follows.
    if (start > 0 && start < n && t[start].yearLike && (start + 1 == n || t[start + 1].role != Role::Title)) {
        for (size_t i = 0; i < start; ++i) {
            if (t[i].kind == Kind::Square && t[i].role == Role::Release && !holdsReleaseWords(t[i])) {
                t[i].role = Role::Title;
                start = i;
                break;
            }
        }
    }
    // "(500) Days": parentheses that open the title are the title's.
    if (start < n && t[start].kind == Kind::Paren && t[start].role == Role::Alt)
        t[start].role = Role::Title;

    // The first word that is only a copy's: the year is looked for before it.
    size_t hard = n;
    for (size_t i = start + 1; i < n; ++i) {
        const Role role = t[i].role;
        if (role == Role::Release || role == Role::Site || role == Role::Episode
            || (t[i].kind != Kind::Word && t[i].kind != Kind::Paren && role != Role::Year && role != Role::Id)) {
            hard = i;
            break;
        }
    }
    size_t year = n;
    for (size_t i = start + 1; i < hard; ++i)
        if (t[i].role == Role::Year)
            year = i;
    for (size_t i = start; i < n; ++i)
        if (t[i].role == Role::Year && i != year)
            t[i].role = i < year ? Role::Title : Role::Release;
    if (year < n) {
        // "Lucy (2014) (2014)": the same year twice.
        while (year > start + 1 && t[year - 1].yearLike && t[year - 1].number == t[year].number) {
            t[year - 1].role = Role::Release;
            --year;
        }
    }

    // Language words and "Part N" leave the title only among other release
    // words, after the year, or in capitals in a name that has lower case.
    const bool mixedCase = hasLowerCase(name);
    auto onlyReleaseFrom = [&](size_t from) {
        for (size_t k = from; k < n && k < hard; ++k) {
            const Role role = t[k].role;
            // A word before the year is the title's: "Charlottes.Web.2006".
            if (role == Role::Title || role == Role::Alt || role == Role::AltSep || k == year)
                return false;
        }
        return true;
    };
    for (size_t i = start + 1; i < n; ++i) {
        Token& tok = t[i];
        if (tok.role != Role::Language && tok.role != Role::PartWord)
            continue;
        const bool afterYear = year < n && i > year;
        const bool aloneAfterArticle = i == start + 1 && isArticle(t[start].lower);
        bool release = afterYear || i > hard;
        if (!release && !aloneAfterArticle) {
            const size_t next = tok.role == Role::PartWord ? i + 2 : i + 1;
            release = onlyReleaseFrom(next) || (tok.role == Role::Language && mixedCase && isAllCaps(tok.text));
        }
        if (tok.role == Role::PartWord) {
            tok.role = t[i + 1].role = release ? Role::Part : Role::Title;
            ++i;
        } else {
            tok.role = release ? Role::Release : Role::Title;
        }
    }
    // "by Someone" closing a name without a year is who made the copy ("Stand
    // by Me" keeps its "by": one word before it).
    if (year == n && n >= start + 4) {
        const size_t i = n - 2;
        if (t[i].text == u"by" && t[i + 1].role == Role::Title && t[i + 1].text[0].isUpper()
            && t[i - 1].role == Role::Title && t[i - 2].role == Role::Title)
            t[i].role = t[i + 1].role = Role::Release;
    }

    size_t titleEnd = start;
    while (titleEnd < n && !endsTitle(t[titleEnd].role) && (titleEnd == start || t[titleEnd].sep != Sep::Dash))
        ++titleEnd;
    for (size_t i = start; i < titleEnd; ++i)
        t[i].used = true;
    r.title = joinWords(t, start, titleEnd);

    // The alternative title: after " - " or "AKA", else the first title in parentheses.
    size_t altFrom = titleEnd;
    if (altFrom < n && t[altFrom].role == Role::AltSep) {
        t[altFrom].used = true;
        ++altFrom;
    }
    if (altFrom < n && titleEnd > start && (altFrom > titleEnd || t[altFrom].sep == Sep::Dash)) {
        size_t altEnd = altFrom;
        while (altEnd < n && t[altEnd].role == Role::Title)
            ++altEnd;
        if (altEnd > altFrom) {
            r.alternativeTitle = joinWords(t, altFrom, altEnd);
            r.alternativeAfterSeparator = true;
            for (size_t i = altFrom; i < altEnd; ++i)
                t[i].used = true;
        }
    }
    for (size_t i = start; i < n && i <= hard && r.alternativeTitle.isEmpty(); ++i) {
        if (t[i].role == Role::Alt) {
            r.alternativeTitle = spaced(t[i].text);
            t[i].used = true;
        }
    }
    // Nothing but brackets: the first one that is not a release tag is the title.
    if (r.title.isEmpty()) {
        for (size_t i = 0; i < n; ++i) {
            if ((t[i].role == Role::Release || t[i].role == Role::Alt) && t[i].kind != Kind::Word
                && !holdsReleaseWords(t[i])) {
                r.title = spaced(t[i].text);
                t[i].used = true;
                break;
            }
        }
    }
    if (r.title.isEmpty() && r.alternativeTitle.size() > 0)
        std::swap(r.title, r.alternativeTitle);

    if (year < n) {
        r.year = t[year].number;
        t[year].used = true;
    }
    for (size_t i = 0; i < n; ++i) {
        Token& tok = t[i];
        if (tok.role == Role::Edition && !tok.edition.isEmpty()) {
            if (!r.editions.contains(tok.edition))
                r.editions.append(tok.edition);
            for (int k = 0; k < tok.span && i + size_t(k) < n; ++k)
                t[i + size_t(k)].used = true;
        } else if (tok.role == Role::Part && r.part == 0 && tok.number > 0) {
            r.part = tok.number;
            const size_t last = i + size_t(tok.span) - 1;
            for (size_t k = i; k <= last && k < n; ++k)
                t[k].used = true;
            // The marker and the separator before it leave the grouping key.
            r.nameWithoutPart = i == 0 ? (last + 1 < n ? name.mid(t[last + 1].begin) : QString())
                                       : name.left(t[i - 1].end) + name.mid(t[last].end);
        } else if (tok.role == Role::Id) {
            tok.used = true;
        }
    }
    if (r.part == 0)
        r.nameWithoutPart = name;
    for (const Token& tok : t)
        if (!tok.used)
            r.releaseWords.append(name.mid(tok.begin, tok.end - tok.begin));
    return r;
}

// A title no one would search: what a disc or a camera names its files.
bool isPlaceholderTitle(const QString& title)
{
    const QString c = comparableTitle(title);
    if (c.isEmpty() || c == u"video" || c == u"movie" || c == u"film" || c == u"index" || c == u"main"
        || c == u"feature" || c == u"video ts" || c == u"title" || c.startsWith(u"vts "))
        return true;
    return allDigits(c) && (c.size() >= 5 || c.startsWith(u'0'));
}

// A group's abbreviation for a film ("dmd-aw"): short, lower case, one word.
bool isAbbreviation(const QString& title)
{
    if (title.contains(u' ') || hasLowerCase(title) == false)
        return false;
    for (QChar c : title)
        if (c.isUpper())
            return false;
    int letters = 0;
    for (QChar c : title)
        letters += c.isLetter() ? 1 : 0;
    return title.contains(u'-') ? title.size() <= 12 : letters <= 4;
}

// The file's words start the folder's: "heat" in "Heat (1995)", "alice" in
// "Alice in Wonderland (2010)".
bool startsSameTitle(const QString& fileTitle, const QString& folderTitle)
{
    const QString a = comparableTitle(fileTitle);
    const QString b = comparableTitle(folderTitle);
    return !a.isEmpty() && (a == b || b.startsWith(a + u' '));
}

QString cutExtension(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot > 0 && fileName.size() - dot <= 6 && rw::isVideoExtension(fileName.mid(dot + 1).toLower()))
        return fileName.left(dot);
    return fileName;
}

} // namespace

QString comparableTitle(const QString& title)
{
    QString out;
    out.reserve(title.size());
    bool blank = true;
    bool ascii = true;
    for (QChar c : title)
        ascii = ascii && c.unicode() < 128;
    // Most titles are plain ASCII: nothing to take apart.
    for (QChar c : ascii ? title : title.normalized(QString::NormalizationForm_D)) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        if (c.isLetterOrNumber()) {
            if (c.unicode() < 128)
                out += c.toLower();
            else if (const QString folded = QString(c).toCaseFolded(); folded == u"œ")
                out += u"oe";
            else if (folded == u"æ")
                out += u"ae";
            else
                out += folded;
            blank = false;
        } else if (c == u'\'' || c == u'.' || c == u'\u2019') {
            continue; // "L'Été" -> "lete", "S.W.A.T." -> "swat"
        } else if (!blank) {
            out += u' ';
            blank = true;
        }
    }
    if (out.endsWith(u' '))
        out.chop(1);
    return out;
}

ReleaseName readReleaseName(const QString& path)
{
    QString p = path;
    p.replace(u'\\', u'/');
    QStringList parts = p.split(u'/', Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return {};
    const QString base = cutExtension(parts.takeLast());
    ReleaseName r = readName(base);

    // Up the folders: those that only hold the film's files ("VIDEO_TS",
    // "CD1", "Sample") are passed; the next one names the film, unless it is
    // one that holds many films.
    QString filmFolder;
    for (qsizetype i = parts.size() - 1; i >= 0 && i >= parts.size() - 3; --i) {
        const QString lower = parts[i].toLower();
        if (lower == u"sample" || lower == u"samples")
            r.sample = true;
        if (const int partNumber = partMarker(compact(lower))) {
            if (r.part == 0)
                r.part = partNumber;
            continue;
        }
        if (rw::isStructuralFolder(lower))
            continue;
        if (!rw::isLibraryFolder(lower))
            filmFolder = parts[i];
        break;
    }
    if (filmFolder.isEmpty())
        return r;
    const ReleaseName folder = readName(filmFolder);
    if (r.imdbId.isEmpty())
        r.imdbId = folder.imdbId;
    if (r.tmdbId == 0)
        r.tmdbId = folder.tmdbId;
    if (folder.title.isEmpty() || rw::isLibraryFolder(comparableTitle(folder.title)) || folder.episode)
        return r;
    r.folderTitle = folder.title;
    r.folderYear = folder.year;
    const bool noTitle = isPlaceholderTitle(r.title) || isAbbreviation(r.title);
    const bool sameFilm = r.year == 0 && folder.year != 0 && startsSameTitle(r.title, folder.title);
    if (noTitle || sameFilm) {
        r.title = folder.title;
        r.alternativeTitle = folder.alternativeTitle;
        r.alternativeAfterSeparator = folder.alternativeAfterSeparator;
        if (r.year == 0)
            r.year = folder.year;
        for (const QString& e : folder.editions)
            if (!r.editions.contains(e))
                r.editions.append(e);
        r.titleFromFolder = true;
    }
    return r;
}

} // namespace filmarch
