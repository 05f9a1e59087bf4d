#pragma once
// The CSS classes of one document. Identical declarations share one class,
// numbered in order of first use, so equal workbooks give equal pages.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "sheets/model/Workbook.h"

namespace sheets::cond {
struct CellLook;
}

namespace sheets::html {

// Width and line style of a border as a spreadsheet draws it; null for none.
const char* BorderLineCss(BorderStyle s);

// How a value sits in a General-aligned cell.
enum class ValueKind : uint8_t { Text, Number, Centred };

// Thrown by a frozen style sheet asked for a class or rule it does not have
// yet (and by row writers working ahead when a row needs what only the
// writer in turn may make): numbers are handed out in order of first use, so
// only that writer may add one.
struct FrozenMiss {};

class StyleSheet {
public:
    explicit StyleSheet(const Styles& styles);

    // The class of a cell of `format` holding a value of `kind`; `color` (0xRRGGBB
    // or -1) overrides the font colour, as a number format's [Red] does.
    // 0 means no class is needed.
    uint32_t CellClass(uint32_t format, ValueKind kind, int32_t color = -1);
    // The class of a merged cell: the spreadsheet draws the merged area's right
    // edge from the cell at its top right, the bottom edge from its bottom left.
    uint32_t MergedCellClass(uint32_t format, ValueKind kind, int32_t color, uint32_t rightFormat,
                             uint32_t bottomFormat, const cond::CellLook* look = nullptr);
    // The class of a cell whose conditional formats change its look.
    uint32_t LookClass(uint32_t format, ValueKind kind, int32_t color, const cond::CellLook& look,
                       const Border* border = nullptr);
    // The class of a rich-text run in `font`.
    uint32_t RunClass(uint32_t font);
    // The class of the inner span that turns text by the format's rotation; 0 for none.
    uint32_t RotationClass(uint32_t format);

    // A blank cell of this format still shows something (a fill or a border).
    bool ShowsWhenBlank(uint32_t format) const;
    bool Wraps(uint32_t format) const { return Format(format).align.wrap; }
    const CellFormat& Format(uint32_t format) const;

    // A rule the page needs beyond the classes (added once, kept in order).
    void AddRule(std::string_view rule);

    // The rules of the table cells' defaults and of every class handed out.
    void AppendRules(std::string& out) const;

    // While frozen, the sheet only hands out what it has (and throws
    // FrozenMiss otherwise), so that several threads may ask it at once.
    // Changed only while no other thread uses the sheet.
    void Freeze(bool frozen) { frozen_ = frozen; }

private:
    uint32_t Intern(std::string css);
    const Font& FontAt(uint32_t font) const;
    std::string CellCss(uint32_t format, ValueKind kind, int32_t color, const Border* border = nullptr) const;
    const Border& BorderOf(uint32_t format) const;
    void AppendFontCss(std::string& css, const Font& font, bool full) const;

    const Styles& styles_;
    Font base_;
    std::unordered_map<std::string, uint32_t> ids_;
    std::vector<std::string> rules_;  // by class id - 1
    std::vector<std::array<int32_t, 3>> cellCache_;  // by format, kind; -1 unknown
    std::unordered_map<uint64_t, uint32_t> colorCache_;  // (format, kind, colour)
    std::vector<int32_t> runCache_, rotationCache_;
    std::vector<std::string> extra_;  // AddRule's
    bool frozen_ = false;
};

}  // namespace sheets::html
