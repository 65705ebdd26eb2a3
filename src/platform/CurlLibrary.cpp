#include "platform/CurlLibrary.h"

#include "platform/Error.h"

#include <dlfcn.h>

namespace filmarch {

namespace {

template <typename Function>
bool find(void* library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(::dlsym(library, name));
    return function != nullptr;
}

// Null when the library or one of its functions is missing, or it cannot be
// initialised.
const CurlLibrary* load()
{
    // Never closed: libcurl's global state lives as long as the program.
    void* library = ::dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return nullptr;
    static CurlLibrary curl;
    const bool found = find(library, "curl_global_init", curl.global_init)
        && find(library, "curl_easy_init", curl.easy_init) && find(library, "curl_easy_setopt", curl.easy_setopt)
        && find(library, "curl_easy_perform", curl.easy_perform)
        && find(library, "curl_easy_getinfo", curl.easy_getinfo)
        && find(library, "curl_easy_cleanup", curl.easy_cleanup) && find(library, "curl_share_init", curl.share_init)
        && find(library, "curl_share_setopt", curl.share_setopt)
        && find(library, "curl_share_cleanup", curl.share_cleanup)
        && find(library, "curl_slist_append", curl.slist_append)
        && find(library, "curl_slist_free_all", curl.slist_free_all);
    if (!found || curl.global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
        return nullptr;
    return &curl;
}

} // namespace

const CurlLibrary& curlLibrary()
{
    static const CurlLibrary* const curl = load();
    if (!curl)
        throw Error(QStringLiteral("Initialisation de la bibliothèque HTTP impossible"));
    return *curl;
}

} // namespace filmarch
