#include "sheets/model/Shape.h"

namespace sheets {

namespace {

constexpr int64_t kEmuPerPx = 9525;

void Box(Shape& s, uint32_t fill, uint32_t line) {
    s.geometry = "rect";
    s.look.fill = ChartShape::Fill::Solid;
    s.look.color = Color::Rgb(fill);
    s.look.line = ChartLine{};
    s.look.line.color = Color::Rgb(line);
    s.look.line.width = 0.75;
}

void Bare(Shape& s) {
    s.look.fill = ChartShape::Fill::None;
    s.look.line = ChartLine{};
    s.look.line.none = true;
}

// Puts `mark` before the caption's first line.
void Mark(Shape& s, const char* mark) {
    if (s.text.empty()) s.text.emplace_back();
    ShapeParagraph& p = s.text.front();
    p.align = HAlign::Left;
    ShapeRun r;
    r.text = mark;
    if (!p.runs.empty()) r.font = p.runs.front().font;
    p.runs.insert(p.runs.begin(), std::move(r));
}

void Only(Shape& s, const char* glyph, HAlign align) {
    s.text.clear();
    ShapeParagraph p;
    p.align = align;
    ShapeRun r;
    r.text = glyph;
    p.runs.push_back(std::move(r));
    s.text.push_back(std::move(p));
}

}  // namespace

void DressList(Shape& s) {
    if (s.control != ControlKind::DropDown && s.control != ControlKind::ListBox) return;
    const bool picked = s.selected > 0 && s.selected <= s.items.size();
    s.text.clear();
    // Lists show their items in the small dialog font.
    s.font.size = 8;
    if (s.control == ControlKind::DropDown) {
        if (!picked) return;
        ShapeParagraph p;
        p.runs.emplace_back().text = s.items[s.selected - 1];
        s.text.push_back(std::move(p));
        return;
    }
    s.anchor = VAlign::Top;
    s.inset[0] = s.inset[2] = 2 * kEmuPerPx;
    s.inset[1] = s.inset[3] = kEmuPerPx;
    for (size_t i = 0; i < s.items.size(); ++i) {
        ShapeParagraph p;
        ShapeRun& r = p.runs.emplace_back();
        r.text = s.items[i];
        if (picked && i + 1 == s.selected) {
            p.fill = Color::Rgb(0x0078D7);
            r.font.color = Color::Rgb(0xFFFFFF);
        }
        s.text.push_back(std::move(p));
    }
}

void DressControl(Shape& s) {
    switch (s.control) {
    case ControlKind::None: return;
    case ControlKind::Button:
        Box(s, 0xF0F0F0, 0xA0A0A0);
        for (auto& p : s.text) p.align = HAlign::Center;
        s.anchor = VAlign::Center;
        return;
    case ControlKind::CheckBox:
        Bare(s);
        Mark(s, s.checked ? "\xE2\x98\x91 " : "\xE2\x98\x90 ");  // ballot box, checked or empty
        s.anchor = VAlign::Center;
        return;
    case ControlKind::OptionButton:
        Bare(s);
        Mark(s, s.checked ? "\xE2\x97\x89 " : "\xE2\x97\x8B ");  // fisheye or white circle
        s.anchor = VAlign::Center;
        return;
    case ControlKind::DropDown:
        // The arrow's button is part of the outline; the selected item keeps clear of it.
        Box(s, 0xFFFFFF, 0xA0A0A0);
        s.geometry = "dropDown";
        s.text.clear();
        s.inset[2] = kDropButtonEmu + 2 * kEmuPerPx;
        s.anchor = VAlign::Center;
        return;
    case ControlKind::ListBox:
    case ControlKind::EditBox: Box(s, 0xFFFFFF, 0xA0A0A0); return;
    case ControlKind::GroupBox:
        Box(s, 0xFFFFFF, 0xA0A0A0);
        s.look.fill = ChartShape::Fill::None;
        s.anchor = VAlign::Top;
        return;
    case ControlKind::Label: Bare(s); return;
    case ControlKind::Spinner:
    case ControlKind::ScrollBar:
        Box(s, 0xF0F0F0, 0xA0A0A0);
        Only(s, "\xE2\x96\xB4\n\xE2\x96\xBE", HAlign::Center);  // up and down
        s.anchor = VAlign::Center;
        return;
    }
}

}  // namespace sheets
