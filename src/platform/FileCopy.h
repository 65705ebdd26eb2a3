#pragma once
// The copy of one file with progress and cancel: chunk by chunk into a
// temporary file beside the destination, renamed over it once complete, so
// that no cut-short file ever carries the destination's name. Every copy of
// the program moves its bytes with copyBytes.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

#include <atomic>
#include <functional>

namespace filmarch {

// Where a copy shows how far it went: the copy window's progress bar.
class CopyProgress {
public:
    virtual ~CopyProgress() = default;
    virtual void setPosition(int percent) = 0; // ProgressBar1, 0 to 100
    virtual void processEvents() = 0;          // so that "Arrêter" can be pressed
};

// The codes of the progress routine.
inline constexpr quint32 PROGRESS_CONTINUE = 0;
inline constexpr quint32 CALLBACK_CHUNK_FINISHED = 0;
inline constexpr quint32 CALLBACK_STREAM_SWITCH = 1;

// Called before the first chunk and after every chunk; `ProgressBar` is the
// CopyProgress of the caller, or null when there is no copy window.
quint32 CopyCallBack(qint64 TotalFileSize, qint64 TotalBytesTransferred, qint64 StreamSize,
    qint64 StreamBytesTransferred, quint32 dwStreamNumber, quint32 dwCallbackReason, int hSourceFile,
    int hDestinationFile, void* ProgressBar);

struct CopyOutcome {
    enum Status { Copied, Stopped, Failed };
    Status status = Failed;
    QString reason; // French, for a failure
};

// Copies from the position of `from` to the position of `to`, a chunk at a
// time, until the end of `from` or `limit` bytes (no limit when negative). The
// kernel moves the bytes where it can. `chunkDone(copied so far)` is called
// after every chunk; false stops the copy there.
struct CopiedBytes {
    qint64 copied = 0;
    int error = 0; // errno of the failure, or 0
};
CopiedBytes copyBytes(int from, int to, qint64 limit, const std::function<bool(qint64)>& chunkDone = {});

// The temporary file of a copy: ".filmarch-copie-" and six characters. It
// is locked for as long as its copy runs.
bool isCopyTemporary(QByteArrayView name);

// Removes from the open `folder` the temporary files that killed copies left
// behind; those of copies still running (locked) stay. Returns how many went.
int removeCopyLeftovers(int folder);

// Copies the file `sourceName` of the open folder `sourceFolder` to
// `destinationName` in the open folder `destinationFolder` (overwritten when
// it exists; a link there is refused, never replaced nor written through), keeping the
// permissions and times of the source. Every step is made relative to the
// two folders, so that nothing swapped in their paths meanwhile can steer it
// elsewhere. A link as the source is refused, never followed. `stop` is read
// after every chunk, and may be set from another thread: once true, the copy
// is abandoned and its temporary file removed.
CopyOutcome copyFileChunked(int sourceFolder, const QByteArray& sourceName, int destinationFolder,
    const QByteArray& destinationName, const std::atomic<bool>& stop, CopyProgress* progress);

} // namespace filmarch
