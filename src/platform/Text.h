#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// UTF-8 text helpers. Letter case is compared by Unicode case folding, the
// same on every machine.
std::string FoldCase(std::string_view s);
bool SameText(std::string_view a, std::string_view b);

// The folder part of a path: up to and including its last '/'; empty when
// there is none.
std::string FolderPart(std::string_view path);
// The name part: after the last '/'.
std::string NamePart(std::string_view path);

// A "file:" address as a path: "file:" (exactly these lower-case letters)
// and the slashes after it are removed and one '/' is put in front, so
// file:///data/a.xls is /data/a.xls. Anything else comes back unchanged.
std::string FileAddressToPath(std::string_view path);

// `path` with the extension of its name part (from the last '.' on) replaced
// by `ext`; a name without an extension gets `ext` appended.
std::string ChangeFileExt(std::string_view path, std::string_view ext);

// Typed readings of option texts. Each returns false, leaving `out` as it
// was, when the text is not such a value.
// Integer: 32-bit signed decimal, leading blanks and a sign allowed, "$" or
// "0x" selects hexadecimal; out of range is not a value.
bool TryParseInt32(std::string_view s, int32_t& out);
// Number: decimal with an optional fraction and exponent ('.' separates the
// fraction), blanks around it allowed.
bool TryParseNumber(std::string_view s, double& out);
// Boolean: a number (true when not zero), else "True"/"False" in any case.
bool TryParseBool(std::string_view s, bool& out);

// The ANSI code page of files written on Windows.
std::string Windows1252ToUtf8(std::string_view s);

}  // namespace platform
