#pragma once
// What a cell shows: its value through its number format.
#include <memory>
#include <string>
#include <vector>

#include "sheets/html/StyleSheet.h"
#include "sheets/model/Workbook.h"
#include "sheets/numfmt/NumberFormat.h"

namespace sheets::html {

struct Shown {
    std::string text;  // when `rich` is null
    const RichString* rich = nullptr;  // a shared string shown as it stands, runs and all
    ValueKind kind = ValueKind::Text;
    int32_t color = -1;  // from the number format; -1 none
    std::string fill;  // the format's `*x` fill at byte `fillAt` of `text`; empty for none
    size_t fillAt = 0;

    bool Empty() const { return rich ? rich->text.empty() : text.empty(); }
};

class CellTexts {
public:
    explicit CellTexts(const Workbook& wb);
    void Show(const Cell& cell, Shown& shown);
    // The format shows numbers as General (General itself, or the text format "@").
    bool IsGeneral(uint32_t format) const { return passesText_[format < passesText_.size() ? format : 0]; }

private:
    const NumberFormat& FormatOf(uint32_t format);

    const Workbook& wb_;
    // Compiled once per cell format; formats sharing a code share the compiled one.
    std::vector<std::shared_ptr<const NumberFormat>> byFormat_;
    std::vector<char> passesText_;  // the format shows text unchanged (General, @)
};

}  // namespace sheets::html
