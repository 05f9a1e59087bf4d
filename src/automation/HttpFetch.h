#pragma once
#include <cstdint>
#include <string>

namespace automation {

struct HttpLimits {
    long connectTimeoutSeconds = 20;
    long totalTimeoutSeconds = 120;
    uint64_t maxBytes = 256ull << 20;
    long maxRedirects = 5;
};

// The limits every download of the built-in server uses; tests shorten them.
HttpLimits GetHttpLimits();
void SetHttpLimits(const HttpLimits& limits);

bool IsWebAddress(const std::string& text);  // http:// or https://, any case

// Downloads an http or https address into memory. Throws std::runtime_error
// with a readable message when it fails, times out, is refused by the
// server, exceeds the size cap or redirects too often.
std::string FetchUrl(const std::string& url, const HttpLimits& limits);

}  // namespace automation
