#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace text {

// UTF-16 code units to UTF-8; unpaired surrogates become U+FFFD. When
// `offsets` is given it receives, for every code unit index, the byte offset
// in the result where it begins (plus one entry for the end; both halves of
// a pair get the offset of their character).
std::string Utf16ToUtf8(std::u16string_view units, std::vector<uint32_t>* offsets = nullptr);

// The same over bytes, two per code unit in little- or big-endian order; an
// odd last byte becomes U+FFFD.
std::string Utf16BytesToUtf8(std::string_view bytes, bool bigEndian);

}  // namespace text
