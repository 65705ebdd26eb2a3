#include "app/ScanRun.h"

namespace filmarch {

ScanRun::ScanRun(ScanContext context) : ctx(std::move(context)) {}
ScanRun::~ScanRun() = default;

int ScanRun::validitecatalogue(const QString& path)
{
    Q_UNUSED(path);
    return -1;
}

void ScanRun::releaseCatalogue() {}

} // namespace filmarch
