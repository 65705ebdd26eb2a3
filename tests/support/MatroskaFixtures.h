#pragma once
// Matroska files with attachments, made by mkvmerge from one plain video: each
// attachment gets its own name, MIME type and bytes, so a test can tell which
// one was extracted. Throws filmarch::Error on failure.
#include <QByteArray>
#include <QList>
#include <QString>

namespace filmarch::test {

struct Attachment {
    QString name;
    QString mimeType; // "image/jpeg", "font/ttf", "text/plain"...
    QByteArray content;
    QString description = {}; // none when empty
};

// A picture attachment whose bytes name it ("bytes of cover.jpg").
Attachment picture(const QString& name);

// Writes `path`: the Matroska `video` with the attachments, in order (numbered from 1).
void attachFiles(const QString& video, const QString& path, const QList<Attachment>& attachments);

} // namespace filmarch::test
