#pragma once
// libcurl, loaded the first time the program makes an HTTP client: commands
// that never reach the network (--version, the folder comparison, the
// exports) do not pay at every start for loading it and the dozens of
// libraries it brings (TLS, Kerberos, LDAP, SSH...).
#include <curl/curl.h>

namespace filmarch {

// The functions of libcurl the HTTP client calls.
struct CurlLibrary {
    decltype(&::curl_global_init) global_init;
    decltype(&::curl_easy_init) easy_init;
    decltype(&::curl_easy_setopt) easy_setopt;
    decltype(&::curl_easy_perform) easy_perform;
    decltype(&::curl_easy_getinfo) easy_getinfo;
    decltype(&::curl_easy_cleanup) easy_cleanup;
    decltype(&::curl_share_init) share_init;
    decltype(&::curl_share_setopt) share_setopt;
    decltype(&::curl_share_cleanup) share_cleanup;
    decltype(&::curl_slist_append) slist_append;
    decltype(&::curl_slist_free_all) slist_free_all;
};

// libcurl loaded and initialised once for the program's life. Throws Error
// when it cannot be found or initialised.
const CurlLibrary& curlLibrary();

} // namespace filmarch
