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

class StyleTable {
public:
    void AddFont(std::string_view data, const StringContext& ctx);
    void AddFormat(std::string_view data, const StringContext& ctx);
    void SetPalette(std::string_view data);
    void AddXf(std::string_view data, bool biff8);
    size_t FontCount() const { return fonts_.size(); }
    size_t XfCount() const { return xfs_.size(); }

    // Fills `styles`; throws sheets::Error when a format names a font or a
    // number format that does not exist.
    void Resolve(Styles& styles) const;

private:
    struct RawFont {
        Font font;
        uint16_t color = 0x7FFF;
    };
    struct RawXf {
        uint16_t font = 0, numFmt = 0, parent = 0;
        bool style = false;
        uint8_t halign = 0, valign = 2, rotation = 0, indent = 0;
        bool wrap = false, shrink = false;
        uint8_t borderStyle[4] = {};  // left, right, top, bottom
        uint8_t borderColor[4] = {};
        uint8_t pattern = 0, fg = 64, bg = 65;
    };
    Color Indexed(uint32_t icv) const;

    std::vector<RawFont> fonts_;
    std::map<uint16_t, std::string> formats_;
    uint32_t palette_[64] = {};
    bool paletteSet_ = false;
    std::vector<RawXf> xfs_;
};

}  // namespace sheets::xls
