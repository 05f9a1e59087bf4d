#include "automation/HttpFetch.h"

#include <curl/curl.h>

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

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
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
    GlobalInit();
    CURL* curl = curl_easy_init();
    if (!curl) throw std::runtime_error("Cannot start a download of " + url);
    Sink sink;
    sink.cap = limits.maxBytes;
    char errbuf[CURL_ERROR_SIZE] = {0};

    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, limits.maxRedirects);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, limits.connectTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, limits.totalTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBytes));
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);  // signals and worker threads do not mix
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Write);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errbuf);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "Quindle");

    CURLcode rc = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);

    if (rc == CURLE_OK) return std::move(sink.data);
    if (sink.overflow || rc == CURLE_FILESIZE_EXCEEDED)
        throw std::runtime_error("Download of " + url + " exceeds " +
                                 std::to_string(limits.maxBytes >> 20) + " MB");
    if (rc == CURLE_HTTP_RETURNED_ERROR)
        throw std::runtime_error("Download of " + url + " failed: HTTP status " + std::to_string(status));
    std::string why = errbuf[0] ? errbuf : curl_easy_strerror(rc);
    throw std::runtime_error("Download of " + url + " failed: " + why);
}

}  // namespace automation
