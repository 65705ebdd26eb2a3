// Feeds arbitrary bytes to the AMC loader. Besides crashes, leaks and undefined
// behaviour it checks that whatever loads saves and reloads to the same catalogue.
//   mkdir -p /tmp/amc-corpus && build-fuzz/bin/fuzz_amc_load -max_total_time=300 /tmp/amc-corpus fuzz/corpus
// (new inputs go to the first folder; fuzz/corpus holds the valid seed files).
#include "catalog/MovieList.h"
#include "platform/Error.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using filmarch::TMovieList;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    TMovieList list;
    try {
        list.LoadFromBytes(bytes);
    } catch (const filmarch::Error&) {
        return 0;
    }
    for (int version : {35, 41}) {
        const QByteArray saved = list.SaveToBytes(version);
        TMovieList again;
        if (again.LoadFromBytes(saved) != version || again.Count() != list.Count()
            || again.SaveToBytes(version) != saved)
            std::abort();
    }
    return 0;
}
