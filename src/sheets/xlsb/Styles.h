#pragma once
// The styles part of a binary workbook: number formats, fonts, fills,
// borders, cell-style and cell formats, the indexed palette.
#include <string>
#include <string_view>
#include <vector>

#include "sheets/model/Workbook.h"
#include "sheets/xlsb/DiffFormats.h"
#include "sheets/xlsb/Records.h"
#include "sheets/xlsx/Colors.h"
#include "sheets/xlsx/Fonts.h"

namespace sheets::xlsb {

// A BrtColor: its kind, index or RGB, and tint.
xlsx::ColorSpec ReadColor(Payload& in);

class StylesReader final : public RecordHandler {
public:
    bool OnRecord(const Record& r) override;
    // Every cell format resolved into `out` as the .xlsx reader resolves
    // them (inheritance from cell styles, colours to RGB, built-in number
    // formats to codes), the palette given to `colors`. Fonts keep their
    // record order, so that rich-text runs can name them by index.
    void Resolve(xlsx::ColorResolver& colors, Styles& out) const;

private:
    struct FillSpec {
        Fill::Pattern pattern = Fill::Pattern::None;
        xlsx::ColorSpec fg, bg;
        Hatch hatch = Hatch::None;
    };
    struct BorderSpec {
        BorderStyle style[4] = {};  // left, right, top, bottom
        xlsx::ColorSpec color[4];
    };
    struct XfSpec {
        uint32_t parent = 0xFFFF, numFmt = 0, font = 0, fill = 0, border = 0;
        Alignment align;
    };
    void AddFont(Payload& in);
    void AddFill(Payload& in);
    void AddBorder(Payload& in);
    void AddXf(Payload& in);
    void BeginTableStyle(Payload& in);
    void AddTableStyleElement(Payload& in);

    std::vector<std::pair<uint32_t, std::string>> numFmts_;
    std::vector<xlsx::FontSpec> fonts_;
    std::vector<FillSpec> fills_;
    std::vector<BorderSpec> borders_;
    std::vector<XfSpec> styleXfs_, cellXfs_;
    std::vector<uint32_t> indexed_;
    std::vector<DiffSpec> diffs_;
    std::string defaultTableStyle_;
    std::vector<TableStyle> tableStyles_;
    bool inTableStyle_ = false;  // between a table style's first and last record
    enum class Section : uint8_t { None, StyleXfs, CellXfs, Indexed } section_ = Section::None;
};

}  // namespace sheets::xlsb
