#include "media/DecoupageMots.h"

namespace filmarch {

namespace {

bool isBlank(QChar c)
{
    return c.unicode() >= 1 && c.unicode() <= 32;
}

} // namespace

QStringList decouperMots(const QString& texte)
{
    QStringList mots;
    const qsizetype n = texte.size();
    qsizetype i = 0;
    auto skipBlanks = [&] {
        while (i < n && isBlank(texte[i]))
            ++i;
    };
    skipBlanks();
    while (i < n) {
        QString mot;
        if (texte[i] == u'"') {
            ++i;
            while (i < n) {
                if (texte[i] == u'"') {
                    if (i + 1 < n && texte[i + 1] == u'"') {
                        mot += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                mot += texte[i++];
            }
        } else {
            const qsizetype debut = i;
            while (i < n && !isBlank(texte[i]) && texte[i] != u',')
                ++i;
            mot = texte.mid(debut, i - debut);
        }
        mots.append(mot);
        skipBlanks();
        if (i < n && texte[i] == u',') {
            if (i == n - 1)
                mots.append(QString());
            ++i;
            skipBlanks();
        }
    }
    return mots;
}

} // namespace filmarch
