#pragma once
#include <string>
#include <string_view>

namespace automation {

// Member names and ProgIDs are plain ASCII and compare ignoring case.
inline char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
inline bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}
inline std::string LowerName(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = AsciiLower(c);
    return r;
}
inline std::string FileNameOf(std::string_view path) {
    size_t p = path.find_last_of('/');
    return std::string(p == std::string_view::npos ? path : path.substr(p + 1));
}

}  // namespace automation
