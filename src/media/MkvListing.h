#pragma once
// Reads the attachments of a Matroska file from mkvmerge's identification in
// JSON (mkvmerge -J) into the analysed file: the names go to Comment, the
// number of the picture to use as poster to ID.
#include "media/Traitement.h"

#include <QByteArray>
#include <QList>

namespace filmarch {

struct MkvAttachment {
    QString number; // as mkvextract takes it
    QString name;
    bool picture = false; // its MIME type holds "image"
};

// The attachments listed by an identification, in its order. Empty when the
// text is no identification or lists none; an attachment without a whole
// number is left out.
QList<MkvAttachment> readAttachments(const QByteArray& identification);

// Applies the listing to Fichier: pictures only count; the first ".jpg" name
// chooses the poster, replaced by the first name holding "AFFICHE" in any
// case; each name is added to Comment followed by "|" (only ".jpg" and ".png"
// names when Fichier.Image is set). When the names would add more than
// `maxCommentText` characters, Fichier is left as it was and false returned.
bool addAttachments(TTraitement& Fichier, const QList<MkvAttachment>& attachments, qsizetype maxCommentText);

} // namespace filmarch
