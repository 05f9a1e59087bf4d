#pragma once
// SVG text: numbers written the same way on every machine, text escaped so
// that nothing in a workbook can leave the element it belongs to.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace sheets::chart {

// A coordinate or length with at most two decimals ("12", "3.5", "-0.25").
std::string Num(double v);
void AppendNum(std::string& out, double v);
// The same text written to `buf` (room for kMaxNumChars); returns its length.
constexpr size_t kMaxNumChars = 16;
size_t WriteNum(char* buf, double v);
// "#rrggbb".
std::string Hex(uint32_t rgb);
// The same seven characters written to `buf`.
void WriteHex(char* buf, uint32_t rgb);
// Appends text escaped for element content or a double-quoted attribute.
// Invalid UTF-8 becomes U+FFFD and control characters become spaces.
void AppendSvgText(std::string& out, std::string_view text);

}  // namespace sheets::chart
