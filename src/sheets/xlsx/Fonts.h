#pragma once
// Font properties as stated in styles and in rich-text runs, and the table
// of distinct fonts that both add to.
#include <optional>
#include <string>
#include <unordered_map>

#include "sheets/model/Workbook.h"
#include "sheets/xlsx/Colors.h"

namespace sheets::xlsx {

struct FontSpec {
    std::optional<std::string> name;
    std::optional<double> size;
    bool bold = false, italic = false, strike = false;
    Underline underline = Underline::None;
    VertAlignRun vertAlign = VertAlignRun::Baseline;
    ColorSpec color;
};

// Applies one child element of <font> or <rPr> (b, i, sz, color, name ...).
void ApplyFontElement(FontSpec& spec, std::string_view name, Attrs attrs);

// Missing name and size come from `base` (the workbook's default font).
Font ResolveFont(const FontSpec& spec, const ColorResolver& colors, const Font& base);

// Adds fonts to Styles::fonts once each.
class FontTable {
public:
    explicit FontTable(std::vector<Font>& fonts);
    uint32_t Intern(const Font& f);

private:
    std::vector<Font>& fonts_;
    std::unordered_map<std::string, uint32_t> index_;
};

}  // namespace sheets::xlsx
