#pragma once
// Reads mkvmerge's listing of a Matroska file's attachments into the analysed
// file: the names go to Comment, the number of the picture to use as poster to ID.
#include "media/Traitement.h"
#include "platform/DosTypes.h"

#include <QByteArray>
#include <optional>

namespace filmarch {

struct AttachmentLine {
    QString number;
    QString name;
    bool picture = false;
};

// One line of the listing, read in mkvmerge's English or French wording, or by
// the byte positions of the older listing (number from byte 23, name after
// "fichier", a space and a quote, up to the last byte). Empty when the line is
// not an attachment line; a line naming `analysedFile` itself never is.
std::optional<AttachmentLine> readAttachmentLine(const QByteArray& line, const QString& analysedFile);

// The runner's new-line event for mkvmerge -i: whole lines of pictures choose the
// poster (the first ".jpg", replaced by the first name holding "AFFICHE") and are
// listed in Comment, each followed by "|" (only ".jpg" and ".png" names when
// Fichier.Image is set).
void DosCommandNewLine(TTraitement& Fichier, const QByteArray& NewLine, TOutputType OutputType);

} // namespace filmarch
