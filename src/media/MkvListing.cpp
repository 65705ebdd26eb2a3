#include "media/MkvListing.h"

#include <QRegularExpression>

namespace filmarch {

namespace {

std::optional<AttachmentLine> readToolWording(const QString& text)
{
    // French typography puts a (possibly non-breaking) space inside the guillemets and before the colon.
    static const QRegularExpression english(
        QStringLiteral("^Attachment ID (\\d+): type '(.*?)', size .*?, file name '(.*)'$"));
    static const QRegularExpression french(QStringLiteral(
        "^Pi\u00e8ce jointe ID (\\d+)[ \u00a0\u202f]?: type \u00ab[ \u00a0\u202f]?(.*?)[ \u00a0\u202f]?\u00bb, "
        "taille .*?, nom de fichier \u00ab[ \u00a0\u202f]?(.*?)[ \u00a0\u202f]?\u00bb$"));
    for (const QRegularExpression* wording : {&english, &french}) {
        const QRegularExpressionMatch m = wording->match(text);
        if (m.hasMatch())
            return AttachmentLine {m.captured(1), m.captured(3), m.captured(2).contains(QLatin1String("image"))};
    }
    return std::nullopt;
}

// Positions are counted in bytes from 1, as in the listing these rules were written for.
AttachmentLine readByPositions(const QByteArray& line)
{
    AttachmentLine a;
    a.picture = true;
    const qsizetype f = line.indexOf("fichier") + 1;
    const qsizetype start = f + 9;
    if (start < line.size())
        a.name = QString::fromUtf8(line.mid(start - 1, line.size() - start));
    if (line.size() >= 23) {
        const QByteArray rest = line.mid(22);
        const qsizetype space = rest.indexOf(' ');
        a.number = QString::fromUtf8(space < 0 ? rest : rest.left(space));
    }
    return a;
}

QString extension(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

} // namespace

std::optional<AttachmentLine> readAttachmentLine(const QByteArray& line, const QString& analysedFile)
{
    const QString text = QString::fromUtf8(line);
    if (std::optional<AttachmentLine> a = readToolWording(text))
        return a;
    if (!line.contains("image"))
        return std::nullopt;
    // The line that names the file itself ("File '/films/images/x.mkv': container...") lists no attachment.
    if (!analysedFile.isEmpty() && text.contains(analysedFile))
        return std::nullopt;
    return readByPositions(line);
}

void DosCommandNewLine(TTraitement& Fichier, const QByteArray& NewLine, TOutputType OutputType)
{
    if (OutputType != otEntireLine)
        return;
    const std::optional<AttachmentLine> a = readAttachmentLine(NewLine, Fichier.NomDuFichier);
    if (!a || !a->picture)
        return;
    const QString ext = extension(a->name);
    if (ext == QLatin1String(".jpg") && Fichier.ID.isEmpty())
        Fichier.ID = a->number;
    // QByteArray::toUpper changes ASCII letters only.
    if (a->name.toUtf8().toUpper().contains("AFFICHE") && Fichier.PremsAffiche) {
        Fichier.PremsAffiche = false;
        Fichier.ID = a->number;
    }
    if (!Fichier.Image || ext == QLatin1String(".jpg") || ext == QLatin1String(".png"))
        Fichier.Comment += a->name + QLatin1Char('|');
}

} // namespace filmarch
