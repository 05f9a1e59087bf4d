#pragma once
// Fonts, colours, number formats and extended formats of a binary workbook,
// resolved into the model's styles.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "sheets/model/Workbook.h"
#include "sheets/xls/Strings.h"

namespace sheets::xls {

// The style records of one workbook (Excel 5 and later) or of one sheet
// (older files, where every sheet carries its own). `biff` is the version of
// the records: 2, 3, 4, 5 or 8.
class StyleTable {
public:
    // One extended format as its record gives it, before it is resolved.
    struct RawXf {
        uint16_t font = 0, numFmt = 0, parent = 0;
        bool style = false;
        uint8_t halign = 0, valign = 2, rotation = 0, indent = 0;
        bool wrap = false, shrink = false;
        uint8_t borderStyle[4] = {};  // left, right, top, bottom
        uint8_t borderColor[4] = {};
        uint8_t pattern = 0, fg = 64, bg = 65;
    };

    void AddFont(std::string_view data, const StringContext& ctx, uint8_t biff);
    // The colour of the font before it, in the oldest files.
    void SetFontColor(std::string_view data);
    void AddFormat(std::string_view data, const StringContext& ctx, uint8_t biff);
    void SetPalette(std::string_view data);
    void AddXf(std::string_view data, uint8_t biff);
    // The oldest files format each cell with three bytes of attributes
    // (font, number format, alignment, borders, shading): the cell format
    // they stand for, added once per distinct set.
    uint32_t XfOfAttributes(uint32_t attributes);
    const std::map<uint32_t, uint32_t>& AttributeXfs() const { return attributeXfs_; }
    size_t FontCount() const { return fonts_.size(); }
    size_t XfCount() const { return xfs_.size(); }
    // A colour of the workbook's palette (drawings name theirs by index too).
    Color PaletteColor(uint32_t icv) const { return Indexed(icv); }

    // Adds the fonts and cell formats to `styles` (in place of what it holds
    // when `replace`) and returns the index there of the first cell format.
    // A format that names a missing font takes the first one; a missing
    // number format is General.
    uint32_t Resolve(Styles& styles, bool replace) const;

private:
    struct RawFont {
        Font font;
        uint16_t color = 0x7FFF;
    };
    Color Indexed(uint32_t icv) const;

    std::vector<RawFont> fonts_;
    std::map<uint16_t, std::string> formats_;
    uint16_t nextFormat_ = 0;  // older files number their formats by their order
    std::map<uint32_t, uint32_t> attributeXfs_;
    uint32_t palette_[64] = {};
    bool paletteSet_ = false;
    std::vector<RawXf> xfs_;
};

}  // namespace sheets::xls
