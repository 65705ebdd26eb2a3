#include "media/MkvListing.h"

#include "platform/PathText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace filmarch {

QList<MkvAttachment> readAttachments(const QByteArray& identification)
{
    QList<MkvAttachment> attachments;
    const QJsonDocument document = QJsonDocument::fromJson(identification);
    const QJsonArray listed = document.object().value(QLatin1String("attachments")).toArray();
    for (const QJsonValue& value : listed) {
        const QJsonObject a = value.toObject();
        // A number mkvextract could not take (fraction, text, negative) names no attachment.
        const qint64 number = a.value(QLatin1String("id")).toInteger(-1);
        if (number < 0)
            continue;
        attachments.append({QString::number(number), a.value(QLatin1String("file_name")).toString(),
            a.value(QLatin1String("content_type")).toString().contains(QLatin1String("image"))});
    }
    return attachments;
}

bool addAttachments(TTraitement& Fichier, const QList<MkvAttachment>& attachments, qsizetype maxCommentText)
{
    QString Comment = Fichier.Comment, ID = Fichier.ID;
    bool PremsAffiche = Fichier.PremsAffiche;
    qsizetype added = 0;
    for (const MkvAttachment& a : attachments) {
        if (!a.picture)
            continue;
        const QString ext = exactExtension(a.name);
        if (ext == QLatin1String(".jpg") && ID.isEmpty())
            ID = a.number;
        // QByteArray::toUpper changes ASCII letters only.
        if (a.name.toUtf8().toUpper().contains("AFFICHE") && PremsAffiche) {
            PremsAffiche = false;
            ID = a.number;
        }
        if (!Fichier.Image || ext == QLatin1String(".jpg") || ext == QLatin1String(".png")) {
            added += a.name.size() + 1;
            if (added > maxCommentText)
                return false;
            Comment += a.name + QLatin1Char('|');
        }
    }
    Fichier.Comment = Comment;
    Fichier.ID = ID;
    Fichier.PremsAffiche = PremsAffiche;
    return true;
}

} // namespace filmarch
