#include "platform/UniqueFile.h"

#include "platform/PathText.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <chrono>
#include <thread>

namespace filmarch {

bool FileOrDirExists(const QString& FileName)
{
    const QFileInfo info(FileName);
    return info.exists() || info.isSymLink();
}

QString MakeUniqueFileName(const QString& strFileName, const QString& Separator)
{
    QString r = strFileName;
    while (FileOrDirExists(r)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(QRandomGenerator::global()->bounded(1, 25)));
        const auto ticks =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
                .count();
        r = withoutExtension(strFileName) + Separator + QString::number(qint32(ticks)) + exactExtension(strFileName);
    }
    return r;
}

bool replaceWithCopy(const QString& source, const QString& target)
{
    QFile::remove(target);
    return QFile::copy(source, target);
}

} // namespace filmarch
