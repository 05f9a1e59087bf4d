#include "automation/HttpFetch.h"

#include <curl/curl.h>
#include <dlfcn.h>

#include <mutex>
#include <stdexcept>

#include "automation/AsciiText.h"

namespace automation {
namespace {

std::mutex limitsMutex;  // guards limitsValue
HttpLimits limitsValue;

struct Sink {
    std::string data;
    uint64_t cap = 0;
    bool overflow = false;
};

size_t Write(char* ptr, size_t size, size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    size_t n = size * count;
    if (sink->data.size() + n > sink->cap) {
        sink->overflow = true;
        return 0;  // makes curl abort the transfer
    }
    sink->data.append(ptr, n);
    return n;
}

// libcurl and the TLS, Kerberos and LDAP libraries it pulls in take longer
// to load than a small conversion takes: they are loaded on the first
// download, not at every start.
struct Curl {
    CURLcode (*global_init)(long);
    CURL* (*easy_init)();
    CURLcode (*easy_setopt)(CURL*, CURLoption, ...);
    CURLcode (*easy_perform)(CURL*);
    CURLcode (*easy_getinfo)(CURL*, CURLINFO, ...);
    void (*easy_cleanup)(CURL*);
    const char* (*easy_strerror)(CURLcode);
    std::string missing;  // why it could not be loaded
};

template <typename F>
void Bind(void* lib, const char* name, F& fn, std::string& missing) {
    fn = reinterpret_cast<F>(dlsym(lib, name));
    if (!fn && missing.empty()) missing = std::string("libcurl has no ") + name;
}

const Curl& LoadCurl() {
    static Curl curl;
    static std::once_flag once;
    std::call_once(once, [] {
        void* lib = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
        if (!lib) {
            const char* why = dlerror();
            curl.missing = why ? why : "libcurl.so.4 cannot be loaded";
            return;
        }
        Bind(lib, "curl_global_init", curl.global_init, curl.missing);
        Bind(lib, "curl_easy_init", curl.easy_init, curl.missing);
        Bind(lib, "curl_easy_setopt", curl.easy_setopt, curl.missing);
        Bind(lib, "curl_easy_perform", curl.easy_perform, curl.missing);
        Bind(lib, "curl_easy_getinfo", curl.easy_getinfo, curl.missing);
        Bind(lib, "curl_easy_cleanup", curl.easy_cleanup, curl.missing);
        Bind(lib, "curl_easy_strerror", curl.easy_strerror, curl.missing);
        if (curl.missing.empty()) curl.global_init(CURL_GLOBAL_DEFAULT);
    });
    return curl;
}

}  // namespace

HttpLimits GetHttpLimits() {
    std::lock_guard<std::mutex> lock(limitsMutex);
    return limitsValue;
}

void SetHttpLimits(const HttpLimits& limits) {
    std::lock_guard<std::mutex> lock(limitsMutex);
    limitsValue = limits;
}

bool IsWebAddress(const std::string& text) {
    std::string head = LowerName(text.substr(0, 8));
    return head.rfind("http://", 0) == 0 || head.rfind("https://", 0) == 0;
}

std::string FetchUrl(const std::string& url, const HttpLimits& limits) {
    const Curl& lib = LoadCurl();
    if (!lib.missing.empty()) throw std::runtime_error("Download of " + url + " failed: " + lib.missing);
    CURL* curl = lib.easy_init();
    if (!curl) throw std::runtime_error("Cannot start a download of " + url);
    Sink sink;
    sink.cap = limits.maxBytes;
    char errbuf[CURL_ERROR_SIZE] = {0};

    lib.easy_setopt(curl, CURLOPT_URL, url.c_str());
    lib.easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    lib.easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    lib.easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    lib.easy_setopt(curl, CURLOPT_MAXREDIRS, limits.maxRedirects);
    lib.easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, limits.connectTimeoutSeconds);
    lib.easy_setopt(curl, CURLOPT_TIMEOUT, limits.totalTimeoutSeconds);
    lib.easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBytes));
    lib.easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);  // signals and worker threads do not mix
    lib.easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    lib.easy_setopt(curl, CURLOPT_WRITEFUNCTION, Write);
    lib.easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    lib.easy_setopt(curl, CURLOPT_ERRORBUFFER, errbuf);
    lib.easy_setopt(curl, CURLOPT_USERAGENT, "Quindle");

    CURLcode rc = lib.easy_perform(curl);
    long status = 0;
    lib.easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    lib.easy_cleanup(curl);

    if (rc == CURLE_OK) return std::move(sink.data);
    if (sink.overflow || rc == CURLE_FILESIZE_EXCEEDED)
        throw std::runtime_error("Download of " + url + " exceeds " + std::to_string(limits.maxBytes >> 20) + " MB");
    if (rc == CURLE_HTTP_RETURNED_ERROR)
        throw std::runtime_error("Download of " + url + " failed: HTTP status " + std::to_string(status));
    std::string why = errbuf[0] ? errbuf : lib.easy_strerror(rc);
    throw std::runtime_error("Download of " + url + " failed: " + why);
}

}  // namespace automation
