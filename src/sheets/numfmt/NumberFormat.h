#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace sheets {

// What a number format makes of a value.
struct Formatted {
    std::string text;  // UTF-8, as the spreadsheet shows it
    int32_t color = -1;  // 0xRRGGBB from a [Red]-style section; -1 none
    bool isDateOrTime = false;
    // A `*x` fill: `fill` (one character) repeats across the room the cell
    // leaves, at byte `fillAt` of `text`, which does not hold it. Empty: none.
    std::string fill;
    size_t fillAt = 0;
};

// A compiled format code (up to four sections). Compile once, use often;
// immutable and safe to share between threads.
//
// What the text looks like where a cell's width would decide on screen:
// `_x` gives one space; `*x` is reported in Formatted::fill for the page to
// draw (only the first of a section counts); a date that cannot be shown (negative in the 1900 system, or
// past 9999-12-31) gives "########"; General shows at most 11 characters
// for the number, not counting its sign; a number that no conditioned
// section admits is shown as General.
class NumberFormat {
public:
    // Never throws: a code that cannot be parsed is shown as General.
    static std::shared_ptr<const NumberFormat> Compile(std::string_view code);
    virtual ~NumberFormat() = default;
    virtual Formatted Format(double value, bool date1904) const = 0;
    virtual Formatted FormatText(std::string_view text) const = 0;  // the text section
    virtual bool IsDate() const = 0;
};

// The code of a built-in format id (0..49 and the locale ids); "General"
// for ids that have none.
std::string_view BuiltinFormatCode(uint32_t id);

}  // namespace sheets
