#pragma once
// What the catalogue writers need besides the catalogue and the analysed film.
#include "core/Options.h"

#include <QString>
#include <functional>

namespace filmarch {

class HttpClient;

struct EntrySources {
    ScanOptions opts;
    HttpClient* http = nullptr;              // posters are downloaded with it, as limited by its owner
    std::function<void(const QString&)> log; // a line of the scan log
};

} // namespace filmarch
