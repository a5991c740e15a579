// The libcurl functions the mail uses, loaded at the first call
// (LibreriaDinamica.h of the data store).

#include "LibreriaDinamica.h"

#include <cstdarg>
#include <curl/curl.h>

PC_LIBRERIA_DINAMICA(libcurl, "libcurl.so.4", "libcurl", "libcurl4")

namespace {

template <class F> F reale(const char *nome) { return reinterpret_cast<F>(libcurl().funzione(nome)); }

} // namespace

#define PC_CURL(ritorno, nome, parametri, argomenti) PC_INOLTRA(libcurl(), ritorno, nome, parametri, argomenti)

PC_CURL(CURLcode, curl_global_init, (long f), (f))
PC_CURL(curl_slist *, curl_slist_append, (curl_slist * l, const char *s), (l, s))
PC_CURL(void, curl_slist_free_all, (curl_slist * l), (l))
PC_CURL(CURL *, curl_easy_init, (), ())
PC_CURL(CURLcode, curl_easy_perform, (CURL * c), (c))
PC_CURL(void, curl_easy_cleanup, (CURL * c), (c))

// The two variadic ones take exactly one more argument, whose type the
// option's number says (curl.h: CURLOPTTYPE_*); an information is always a pointer.
extern "C" CURLcode curl_easy_setopt(CURL *curl, CURLoption opzione, ...)
{
    static const auto f = reale<decltype(&curl_easy_setopt)>("curl_easy_setopt");
    va_list a;
    va_start(a, opzione);
    CURLcode r;
    if (opzione < CURLOPTTYPE_OBJECTPOINT) r = f(curl, opzione, va_arg(a, long));
    else if (opzione < CURLOPTTYPE_FUNCTIONPOINT) r = f(curl, opzione, va_arg(a, void *));
    else if (opzione < CURLOPTTYPE_OFF_T) r = f(curl, opzione, va_arg(a, void (*)()));
    else if (opzione < CURLOPTTYPE_BLOB) r = f(curl, opzione, va_arg(a, curl_off_t));
    else r = f(curl, opzione, va_arg(a, void *));
    va_end(a);
    return r;
}

extern "C" CURLcode curl_easy_getinfo(CURL *curl, CURLINFO informazione, ...)
{
    static const auto f = reale<decltype(&curl_easy_getinfo)>("curl_easy_getinfo");
    va_list a;
    va_start(a, informazione);
    const CURLcode r = f(curl, informazione, va_arg(a, void *));
    va_end(a);
    return r;
}
