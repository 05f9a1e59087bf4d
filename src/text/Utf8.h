#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace text {

// Length of the well-formed UTF-8 character at s[pos] (1 for ASCII), 0 when
// the bytes there do not form one: overlong forms, surrogates, values past
// U+10FFFF and sequences cut short are not well-formed.
size_t Utf8CharLength(std::string_view s, size_t pos);

// Decodes the character at s[pos]. False for an invalid sequence; `len` is
// then 1, so that the caller can step over the stray byte.
bool DecodeUtf8(std::string_view s, size_t pos, char32_t& codePoint, size_t& len);

// The length a lead byte announces, without looking at what follows: 1 for
// ASCII and for bytes that cannot begin a sequence.
size_t Utf8SequenceLength(unsigned char lead);

bool IsValidUtf8(std::string_view s);

// The number of characters of a UTF-8 text (a stray byte counts as one).
size_t CharCount(std::string_view s);

// Appends one code point (at most U+10FFFF) as UTF-8.
void AppendUtf8(std::string& out, char32_t codePoint);

// Replaces every invalid sequence with U+FFFD, one per stray byte.
std::string SanitizeUtf8(std::string_view s);

}  // namespace text
