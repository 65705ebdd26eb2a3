#include "platform/ReadableName.h"

#include "platform/Error.h"

#include <QFile>
#include <QTemporaryDir>

#include <climits>
#include <unistd.h>

namespace filmarch {

ReadableName::ReadableName(const QString& shown, const QByteArray& native)
{
    if (native.isEmpty() || QFile::encodeName(shown) == native)
        return;
    folder = std::make_shared<QTemporaryDir>();
    if (!folder->isValid())
        throw Error(folder->errorString());
    // The name as shown keeps the title and the extension that the library
    // and the tools read from it; only where it has grown too long is it cut.
    QString name = shown.mid(shown.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot > 0 && name.size() - dot <= 16 ? name.mid(dot) : QString();
    QString base = name.left(name.size() - extension.size());
    while (!base.isEmpty() && QFile::encodeName(base + extension).size() > NAME_MAX)
        base.chop(base.size() > 1 && base.back().isLowSurrogate() ? 2 : 1);
    linkPath = folder->filePath(base + extension);
    QByteArray target = native;
    if (!target.startsWith('/')) {
        char here[PATH_MAX];
        if (!::getcwd(here, sizeof here))
            throw Error(QStringLiteral("dossier courant introuvable"));
        target = QByteArray(here) + '/' + target;
    }
    if (::symlink(target.constData(), QFile::encodeName(linkPath).constData()) != 0)
        throw Error(QStringLiteral("lien vers le fichier impossible"));
}

} // namespace filmarch
