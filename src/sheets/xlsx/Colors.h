#pragma once
// Colours as a workbook states them (indexed, theme, RGB, each with a tint)
// and their resolution to RGB.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sheets/model/Workbook.h"
#include "sheets/xlsx/Xml.h"

namespace sheets::xlsx {

struct ColorSpec {
    enum class Kind : uint8_t { None, Rgb, Indexed, Theme } kind = Kind::None;
    uint32_t value = 0;
    double tint = 0;
};

// Reads ARGB (8 hex digits) or RGB (6); the alpha is ignored as the
// spreadsheet does.
bool ParseHexRgb(std::string_view s, uint32_t& out);

// The Office 2007 default scheme in document order, for packages without a
// theme.
inline constexpr uint32_t kDefaultScheme[12] = {0x000000, 0xFFFFFF, 0x1F497D, 0xEEECE1, 0x4F81BD, 0xC0504D,
                                                0x9BBB59, 0x8064A2, 0x4BACC6, 0xF79646, 0x0000FF, 0x800080};

// Reads a <color>-like element's attributes (rgb, indexed, theme, tint, auto).
ColorSpec ReadColorSpec(Attrs attrs);

// Lightens (tint > 0) or darkens (tint < 0) a colour in HLS space.
uint32_t ApplyTint(uint32_t rgb, double tint);

class ColorResolver {
public:
    ColorResolver();
    // The theme's colour scheme in document order: dk1 lt1 dk2 lt2 accent1..6
    // hlink folHlink.
    void SetScheme(const std::vector<uint32_t>& scheme);
    // The workbook's replacement for the indexed palette (from index 0).
    void SetIndexed(const std::vector<uint32_t>& palette) { indexed_ = palette; }
    Color Resolve(const ColorSpec& spec) const;
    bool operator==(const ColorResolver&) const = default;

private:
    std::array<uint32_t, 12> theme_;  // by theme index (lt1 dk1 lt2 dk2 ...)
    std::vector<uint32_t> indexed_;
};

}  // namespace sheets::xlsx
