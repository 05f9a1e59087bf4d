#pragma once
#include <string>
#include <string_view>

// Length of the well-formed UTF-8 character at s[pos], 0 when the bytes there
// do not form one (overlong forms, surrogates and values past U+10FFFF are
// not well-formed).
size_t Utf8CharLength(std::string_view s, size_t pos);
bool IsAscii(std::string_view s);
