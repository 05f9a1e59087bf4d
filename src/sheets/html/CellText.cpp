#include "sheets/html/CellText.h"

#include <cmath>
#include <unordered_map>

namespace sheets::html {
namespace {

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

}  // namespace

CellTexts::CellTexts(const Workbook& wb) : wb_(wb) {
    const auto& formats = wb.styles.formats;
    byFormat_.resize(formats.size());
    passesText_.resize(formats.size());
    std::unordered_map<std::string, std::shared_ptr<const NumberFormat>> byCode;
    for (size_t i = 0; i < formats.size(); ++i) {
        const std::string& code = formats[i].numFmt;
        passesText_[i] = code.empty() || code == "@" || EqualsNoCase(code, "General");
        auto& compiled = byCode[code];
        if (!compiled) compiled = NumberFormat::Compile(code.empty() ? "General" : code);
        byFormat_[i] = compiled;
    }
    if (byFormat_.empty()) {
        byFormat_.push_back(NumberFormat::Compile("General"));
        passesText_.push_back(1);
    }
}

const NumberFormat& CellTexts::FormatOf(uint32_t format) { return *byFormat_[format < byFormat_.size() ? format : 0]; }

void CellTexts::Show(const Cell& cell, Shown& shown) {
    shown.rich = nullptr;
    shown.color = -1;
    shown.text.clear();
    shown.fill.clear();
    const uint32_t format = cell.format < byFormat_.size() ? cell.format : 0;
    switch (cell.type) {
    case CellType::Blank: shown.kind = ValueKind::Text; return;
    case CellType::Number: {
        shown.kind = ValueKind::Number;
        if (!std::isfinite(cell.number)) {
            shown.kind = ValueKind::Centred;
            shown.text = "#NUM!";
            return;
        }
        Formatted f = FormatOf(format).Format(cell.number, wb_.date1904);
        shown.text = std::move(f.text);
        shown.color = f.color;
        shown.fill = std::move(f.fill);
        shown.fillAt = f.fillAt;
        return;
    }
    case CellType::String: {
        shown.kind = ValueKind::Text;
        if (cell.string >= wb_.strings.size()) return;
        const RichString& s = wb_.strings[cell.string];
        if (passesText_[format]) {
            shown.rich = &s;
            return;
        }
        Formatted f = FormatOf(format).FormatText(s.text);
        shown.color = f.color;
        shown.fill = std::move(f.fill);
        shown.fillAt = f.fillAt;
        if (f.text == s.text && shown.fill.empty()) shown.rich = &s;
        else shown.text = std::move(f.text);
        return;
    }
    case CellType::Bool:
        shown.kind = ValueKind::Centred;
        shown.text = cell.boolean ? "TRUE" : "FALSE";
        return;
    case CellType::Error:
        shown.kind = ValueKind::Centred;
        if (cell.string < wb_.strings.size()) shown.text = wb_.strings[cell.string].text;
        else shown.text = "#N/A";
        return;
    }
}

}  // namespace sheets::html
