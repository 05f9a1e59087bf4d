#pragma once
#include <string>
#include <string_view>

namespace text {

// Makes a text safe to stand inside one line of a record that people and
// programs read back: the result is valid UTF-8 without any line break or
// control character. Control characters become C-style escapes ("\n",
// "\r", "\t", "\x1b"), so do bytes that are not UTF-8 ("\xff"), C1 controls
// and the Unicode line and paragraph separators ("\u0085", "\u2028"); a
// backslash is doubled, so that every escape reads back unambiguously.
std::string EscapeForLine(std::string_view s);

}  // namespace text
