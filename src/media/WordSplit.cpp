#include "media/WordSplit.h"

namespace filmarch {

namespace {

bool isBlank(QChar c)
{
    return c.unicode() >= 1 && c.unicode() <= 32;
}

} // namespace

QStringList splitWords(const QString& text)
{
    QStringList words;
    const qsizetype n = text.size();
    qsizetype i = 0;
    auto skipBlanks = [&] {
        while (i < n && isBlank(text[i]))
            ++i;
    };
    skipBlanks();
    while (i < n) {
        QString word;
        if (text[i] == u'"') {
            ++i;
            while (i < n) {
                if (text[i] == u'"') {
                    if (i + 1 < n && text[i + 1] == u'"') {
                        word += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                word += text[i++];
            }
        } else {
            const qsizetype start = i;
            while (i < n && !isBlank(text[i]) && text[i] != u',')
                ++i;
            word = text.mid(start, i - start);
        }
        words.append(word);
        skipBlanks();
        if (i < n && text[i] == u',') {
            if (i == n - 1)
                words.append(QString());
            ++i;
            skipBlanks();
        }
    }
    return words;
}

} // namespace filmarch
