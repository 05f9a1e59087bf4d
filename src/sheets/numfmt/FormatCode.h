#pragma once
// The parsed form of a format code, shared by the parser and the renderers.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sheets::numfmt {

enum class Tok : uint8_t {
    Literal,
    Zero,
    Hash,
    Question,
    Point,
    Comma,
    Percent,
    Exp,
    Slash,
    Text,
    Fill,
    General,
    FixedDen,
    Era,
    Year2,
    Year4,
    Month,
    Month2,
    MonthAbbr,
    MonthFull,
    MonthLetter,
    Day,
    Day2,
    DayAbbr,
    DayFull,
    Hour,
    Hour2,
    Minute,
    Minute2,
    Second,
    Second2,
    SecFrac,
    AmPm,
    ElapsedH,
    ElapsedM,
    ElapsedS,
};

// Which part of the number a digit placeholder stands for.
enum class Part : uint8_t { None, Int, Dec, Exp, Num, Den };

struct Token {
    Tok kind = Tok::Literal;
    Part part = Part::None;
    bool first = false;  // leftmost placeholder of its part: takes the digits that do not fit
    uint16_t pos = 0;  // Int/Exp/Num: index from the right; Dec/Den: from the left;
        // elapsed and fractional-second tokens: their width
    uint32_t value = 0;  // FixedDen: the denominator
    std::string text;  // literal text; the code's own spelling for other tokens; AM text
    std::string alt;  // PM text
};

enum class Cmp : uint8_t { None, Lt, Le, Gt, Ge, Eq, Ne };

struct Section {
    std::vector<Token> tokens;
    int32_t color = -1;
    Cmp cmp = Cmp::None;
    double rhs = 0;

    bool malformed = false;  // the code cannot be read (an unclosed [)
    // [$-F800] and [$-F400] ask for the system's long date or time, whatever
    // code follows them; this holds the en-US code that stands in.
    const char* systemCode = nullptr;
    bool date = false;  // a date or time section
    bool hasAt = false;  // holds the text placeholder @
    bool hasAmPm = false;
    int secDecimals = 0;  // fractional-second digits shown (0..3)

    // number layout
    bool sci = false, fraction = false, thousands = false, intHasHash = false;
    bool fracWhole = false;  // a fraction with a whole-number part ("# ?/?")
    int scale10 = 0;  // power of ten applied by % (+2) and scaling commas (-3)
    int nInt = 0, nDec = 0, nExp = 0, nNum = 0, nDen = 0;
    uint32_t fixedDen = 0;

    // The character of the section's first `*x` fill; empty for none.
    std::string_view FillChar() const;

    bool Matches(double v) const;
    // A conditioned section that admits only negative values stands in for
    // the negative section and, like it, shows no sign.
    bool NegativeOnly() const;
};

// Reads the tokens of the section that starts at i into s; returns the
// index after its ';' (or the end of the code).
size_t TokenizeSection(std::string_view code, size_t i, Section& s);

// Notes where the first fill of a section lands in `out`.
inline void MarkFill(const std::string& out, size_t* fillAt) {
    if (fillAt && *fillAt == std::string::npos) *fillAt = out.size();
}

// Splits and parses a code into at most four sections. Never fails: what it
// cannot understand it keeps as literal text.
std::vector<Section> ParseCode(std::string_view code);

// Renderers append to `out`. `v` is the magnitude (>= 0) unless stated.
// `fillAt`, when given and still npos, receives where in `out` the section's
// first `*x` fill stands.
void RenderNumber(const Section& s, double v, std::string& out, size_t* fillAt = nullptr);
// Returns false when the serial cannot be shown as a date (negative or past
// 9999-12-31); the caller shows a row of '#'.
bool RenderDate(const Section& s, double serial, bool date1904, std::string& out, size_t* fillAt = nullptr);
// The General format: at most 11 characters for the number itself (sign aside).
void RenderGeneral(double v, std::string& out);

}  // namespace sheets::numfmt
