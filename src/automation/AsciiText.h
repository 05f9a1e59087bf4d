#pragma once
#include <string>
#include <string_view>

#include "text/Ascii.h"

namespace automation {

// Member names and ProgIDs are plain ASCII and compare ignoring case.
inline bool SameName(std::string_view a, std::string_view b) { return text::EqualsAsciiNoCase(a, b); }
inline std::string LowerName(std::string_view s) { return text::AsciiLowerCase(s); }
inline std::string FileNameOf(std::string_view path) {
    size_t p = path.find_last_of('/');
    return std::string(p == std::string_view::npos ? path : path.substr(p + 1));
}

}  // namespace automation
