#include "scan/ScanServices.h"

#include "core/Options.h"
#include "media/MediaInfoDll.h"

#include <QFile>

#include <algorithm>
#include <thread>

namespace filmarch {

namespace {
// The memory the system can still give without swapping, in bytes; 0 when unknown.
qint64 availableMemory()
{
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (!meminfo.open(QIODevice::ReadOnly))
        return 0;
    // The file says its size is 0: it is read to its end, not by its size.
    for (const QByteArray& line : meminfo.readAll().split('\n'))
        if (line.startsWith("MemAvailable:"))
            return line.mid(13).trimmed().split(' ').value(0).toLongLong() * 1024;
    return 0;
}

// The run's files in hand: the one being written and those analysed ahead of it.
int placesFor(int taches)
{
    const int n = tachesFor(taches);
    return n == 1 ? 1 : n + 1;
}
} // namespace

int defaultTaches()
{
    return std::min(2 * int(std::max(1u, std::thread::hardware_concurrency())), mostTaches());
}

int mostTaches()
{
    const int byCores = 4 * int(std::max(1u, std::thread::hardware_concurrency()));
    // What a file in hand may cost at worst (its helper and the analysis of a
    // large file), taken from half of the memory still available.
    constexpr qint64 perFile = 64ll << 20;
    const qint64 available = availableMemory();
    if (available <= 0)
        return byCores;
    return int(std::clamp<qint64>(available / 2 / perFile, 1, byCores));
}

int tachesFor(int asked)
{
    return asked > 0 ? std::min(asked, mostTaches()) : defaultTaches();
}

ScanServices::ScanServices(ScanContext context) : ctx(std::move(context))
{
}

ScanServices::~ScanServices() = default;

ScanOptions ScanServices::options() const
{
    return ctx.options ? ctx.options->options() : ScanOptions {};
}

void ScanServices::makeAnalysers()
{
    if (ctx.newMediaInfo && handles.empty())
        for (int i = 0; i < placesFor(ctx.taches); ++i)
            handles.push_back(ctx.newMediaInfo());
}

void ScanServices::releaseAnalysers()
{
    if (!running)
        handles.clear();
}

} // namespace filmarch
