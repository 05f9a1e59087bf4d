#pragma once
#include <cstdint>
#include <string>

namespace sheets {

// Appends one code point (at most U+10FFFF) as UTF-8.
void AppendUtf8(std::string& out, uint32_t codePoint);

}  // namespace sheets
