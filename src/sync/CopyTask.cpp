#include "sync/CopyTask.h"

#include "sync/SyncPaths.h"

#include <QFile>

namespace filmarch {

CopyTask::CopyTask(
    const SyncList& list, const QString& reference, const QString& backup, bool keepTree, const std::atomic<bool>& stop)
    : keepTree(keepTree),
      stop(stop),
      // A backup folder gone since the analysis (an unmounted disk) is not made again.
      backupRoot(openFolder(QFile::encodeName(backup))),
      referenceRoot(openFolder(QFile::encodeName(reference))),
      gone(list.size())
{
    // The bottom of the list first, as the entries were always taken.
    for (std::size_t i = list.size(); i-- > 0;)
        if (list[i].checked)
            files.push_back({i, list[i]});
    done.count = int(files.size());
}

QString CopyTask::caption() const
{
    return QStringLiteral("Copie du fichier %1/%2").arg(next + 1).arg(files.size());
}

void CopyTask::copyNext(CopyProgress* progress)
{
    const File& file = files.at(next++);
    const SyncEntry& entry = file.entry;
    // Copied or not, the entry leaves the list.
    gone[file.place] = true;
    if (stop) {
        ++done.abandoned;
        return;
    }
    const QByteArray dst = copyDestination(entry, keepTree);
    const QByteArray dstFolder = dst.left(dst.lastIndexOf('/') + 1);
    CopyOutcome outcome;
    FileDescriptor from, to;
    if (!backupRoot.isOpen())
        outcome.reason = QStringLiteral("le répertoire de sauvegarde n'existe plus");
    else if (!referenceRoot.isOpen())
        outcome.reason = QStringLiteral("le répertoire de référence n'existe plus");
    if (outcome.reason.isEmpty())
        to = openBelow(backupRoot.get(), dstFolder, true, outcome.reason);
    if (outcome.reason.isEmpty())
        from = openBelow(referenceRoot.get(), entry.relativeFolder(), false, outcome.reason);
    if (outcome.reason.isEmpty()) {
        if (!cleaned.contains(dstFolder)) {
            removeCopyLeftovers(to.get());
            cleaned.insert(dstFolder);
        }
        outcome = copyFileChunked(from.get(), entry.nativeName, to.get(), dst.mid(dstFolder.size()), stop, progress);
    }
    switch (outcome.status) {
    case CopyOutcome::Copied: ++done.copied; break;
    case CopyOutcome::Stopped: ++done.abandoned; break;
    case CopyOutcome::Failed: done.failures << entry.fullPath() + QStringLiteral(" : ") + outcome.reason; break;
    }
}

CopyReport CopyTask::report() const
{
    CopyReport report = done;
    report.stopped = stop;
    return report;
}

} // namespace filmarch
