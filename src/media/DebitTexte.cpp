#include "media/DebitTexte.h"

#include <limits>

namespace filmarch {

namespace {

// Power of ten that turns a value in this unit into kilobits, or false.
bool exposantVersKilobits(const QString& unite, int& exposant)
{
    if (unite == QLatin1String("kb/s"))
        exposant = 0;
    else if (unite == QLatin1String("Mb/s"))
        exposant = 3;
    else if (unite == QLatin1String("Gb/s"))
        exposant = 6;
    else if (unite == QLatin1String("b/s"))
        exposant = -3;
    else
        return false;
    return true;
}

bool toutChiffres(const QString& s)
{
    for (QChar c : s)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

} // namespace

QString kilobitsParSeconde(const QString& texteBibliotheque)
{
    const qsizetype espace = texteBibliotheque.lastIndexOf(u' ');
    if (espace < 0)
        return {};
    int exposant = 0;
    if (!exposantVersKilobits(texteBibliotheque.mid(espace + 1), exposant))
        return {};

    QString nombre = texteBibliotheque.left(espace);
    nombre.remove(u' ');
    const qsizetype point = nombre.indexOf(u'.');
    QString entier = point < 0 ? nombre : nombre.left(point);
    QString fraction = point < 0 ? QString() : nombre.mid(point + 1);
    if (entier.isEmpty() || !toutChiffres(entier) || !toutChiffres(fraction) || (point >= 0 && fraction.isEmpty()))
        return {};

    // Move the decimal point, then keep the whole kilobits.
    if (exposant > 0) {
        entier += fraction.left(exposant).leftJustified(exposant, u'0');
        fraction = fraction.mid(exposant);
        // A value given in larger units must come to whole kilobits.
        for (QChar c : fraction)
            if (c != u'0')
                return {};
    } else if (exposant < 0) {
        entier = entier.left(entier.size() + exposant);
    }
    while (entier.size() > 1 && entier.startsWith(u'0'))
        entier.remove(0, 1);
    if (entier.isEmpty())
        return QStringLiteral("0");
    if (entier.size() > 10)
        return {};
    const qint64 valeur = entier.toLongLong();
    if (valeur > std::numeric_limits<qint32>::max())
        return {};
    return QString::number(valeur);
}

} // namespace filmarch
