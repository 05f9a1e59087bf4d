// Patterns, subjects and masks from users and from file names: none may crash
// or hang the service, whatever the bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "batch/Regex.h"
#include "batch/Search.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    batch::TRegexOptions options = data[0] & 3;
    std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    size_t cut = rest.find('\0');
    std::string pattern = rest.substr(0, cut);
    std::string subject = cut == std::string::npos ? std::string() : rest.substr(cut + 1);
    try {
        auto re = batch::Regex::Create(pattern, options);
        re->Test(subject);
        auto all = re->ExecuteAll(subject);
        for (int32_t i = 0; i < all->Count(); ++i) {
            auto m = all->Item(i);
            auto subs = m->SubMatches();
            for (int32_t j = 0; j < subs->Count(); ++j) subs->Item(j);
        }
        re->ReplaceAll(subject, pattern);
    } catch (const batch::ERegexException&) {}
    batch::WildcardMatch(subject, pattern);
    return 0;
}
