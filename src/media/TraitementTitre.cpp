// Title, original title and year of a film from its file name and title tag.
#include "media/IntegerText.h"
#include "media/Traitement.h"
#include "media/WordSplit.h"

#include <QSet>

namespace filmarch {

namespace {

// The text between the first "(" and the first ")", empty when ")" is missing
// or comes first.
QString entreParentheses(const QString& s)
{
    const qsizetype p = s.indexOf(u'(');
    const qsizetype q = s.indexOf(u')');
    if (p < 0 || q <= p)
        return {};
    return s.mid(p + 1, q - p - 1);
}

bool chiffreUnANeuf(const QString& s, qsizetype i)
{
    return i >= 0 && i < s.size() && s[i] >= u'1' && s[i] <= u'9';
}

// The filter words, case-folded so that they compare without regard to case,
// accented capitals included. The filter text is read at every cleaning, so a
// change in the window counts at once; its words are split again only when it
// changed since the last cleaning.
const QSet<QString>& motsFiltres(const QString& filtre)
{
    thread_local QString dernierFiltre;
    thread_local QSet<QString> mots;
    thread_local bool lu = false;
    if (!lu || filtre != dernierFiltre) {
        mots.clear();
        for (const QString& mot : splitWords(filtre))
            mots.insert(mot.toCaseFolded());
        dernierFiltre = filtre;
        lu = true;
    }
    return mots;
}

} // namespace

QString TTraitement::Nettoyer(const QString& chaine) const
{
    const QSet<QString>& blacklist = motsFiltres(titleFilter());

    QString texte = chaine;
    for (QChar c : {u'-', u'_', u'.', u'[', u']', u'{', u'}', u'+'})
        texte.replace(c, u',');

    QStringList gardes;
    for (const QString& mot : splitWords(texte))
        if (!blacklist.contains(mot.toCaseFolded()))
            gardes.append(mot);
    return gardes.join(u' ');
}

QString TTraitement::AnneeTitre(const QString& chainedepart)
{
    QString resultat;
    const qsizetype n = chainedepart.size();
    for (QChar d : {u'1', u'2'}) {
        for (qsizetype p = chainedepart.indexOf(d); p >= 0; p = chainedepart.indexOf(d, p + 1)) {
            if (p + 4 > n)
                break;
            const QString groupe = chainedepart.mid(p, 4);
            if (isIntegerText(groupe) && !chiffreUnANeuf(chainedepart, p - 1) && !chiffreUnANeuf(chainedepart, p + 4))
                resultat = groupe;
        }
    }
    return resultat;
}

QString TTraitement::Titre()
{
    TitreTraduit.clear();
    TitreOriginal.clear();
    Annee.clear();

    QString s = Nettoyer(get(Stream_General, 0, QStringLiteral("FileName")));
    qsizetype debut = 0;
    while (debut < s.size() && s[debut] == u' ')
        ++debut;
    s.remove(0, debut);
    // What is left of a 5.1 channel tag once its point is gone.
    s.remove(QStringLiteral("5 1"), Qt::CaseInsensitive);

    if (s.contains(u'(') && s.contains(u')')) {
        const QString dedans = entreParentheses(s);
        TitreTraduit = Nettoyer(s.left(s.indexOf(u'(')));
        if (isIntegerText(dedans)) {
            Annee = dedans;
        } else {
            TitreOriginal = Nettoyer(dedans);
            Annee = AnneeTitre(Nettoyer(s));
        }
        return TitreTraduit;
    }

    TitreTraduit = Nettoyer(s);
    Annee = AnneeTitre(TitreTraduit);
    const QString tag = get(Stream_General, 0, QStringLiteral("Movie"));
    if (!Annee.isEmpty())
        TitreTraduit.remove(Annee, Qt::CaseInsensitive);
    else if (!tag.isEmpty())
        Annee = AnneeTitre(Nettoyer(tag));
    if (tag.contains(u'(')) {
        TitreOriginal = Nettoyer(entreParentheses(tag));
        if (TitreOriginal == Annee)
            TitreOriginal.clear();
    }
    return TitreTraduit;
}

} // namespace filmarch
