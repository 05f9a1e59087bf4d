#pragma once
#include <string>
#include <string_view>

namespace text {

// ASCII letter case only: names that are plain ASCII by definition (member
// names, ProgIDs, format keywords) and quick paths for ASCII text. Bytes
// outside A-Z are left alone.
inline char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
std::string AsciiLowerCase(std::string_view s);
bool EqualsAsciiNoCase(std::string_view a, std::string_view b);

bool IsAscii(std::string_view s);

}  // namespace text
