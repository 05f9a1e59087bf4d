#include "sheets/xlsx/BuiltinTableStyles.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <unordered_set>

namespace sheets::xlsx {
namespace {

// The tints the built-in styles use, as they are stored.
constexpr double kLighter80 = 0.79998168889431442, kLighter60 = 0.59999389629810485, kLighter40 = 0.39997558519241921;
constexpr double kDarker15 = -0.14999847407452621, kDarker25 = -0.249977111117893, kDarker35 = -0.34998626667073579,
                 kDarker50 = -0.499984740745262;
constexpr uint32_t kLt1 = 0, kDk1 = 1;  // theme indices: background and text

ColorSpec Theme(uint32_t index, double tint = 0) { return ColorSpec{ColorSpec::Kind::Theme, index, tint}; }

struct Side {
    BorderStyle style = BorderStyle::None;
    ColorSpec color;
};

// One element in theme terms.
struct Spec {
    TableArea area;
    ColorSpec font;
    int8_t bold = -1;
    ColorSpec fill;
    Side left, right, top, bottom, vertical, horizontal;
};

class Builder {
public:
    Builder(const ColorResolver& colors, std::vector<DiffFormat>& diffs, TableStyle& out)
        : colors_(colors), diffs_(diffs), out_(out) {}

    Spec& Add(TableArea area) {
        specs_.push_back(Spec{area, {}, -1, {}, {}, {}, {}, {}, {}, {}});
        return specs_.back();
    }
    Spec& Last(TableArea area) {
        for (auto it = specs_.rbegin(); it != specs_.rend(); ++it)
            if (it->area == area) return *it;
        return Add(area);
    }
    void Finish() {
        for (const Spec& s : specs_) {
            DiffFormat d;
            d.fontColor = colors_.Resolve(s.font);
            d.bold = s.bold;
            d.fill = colors_.Resolve(s.fill);
            const auto side = [&](const Side& x) { return BorderSide{x.style, colors_.Resolve(x.color)}; };
            d.left = side(s.left);
            d.right = side(s.right);
            d.top = side(s.top);
            d.bottom = side(s.bottom);
            d.vertical = side(s.vertical);
            d.horizontal = side(s.horizontal);
            out_.elements.push_back(TableStyleElement{s.area, int32_t(diffs_.size()), 1});
            diffs_.push_back(d);
        }
    }

private:
    const ColorResolver& colors_;
    std::vector<DiffFormat>& diffs_;
    TableStyle& out_;
    std::vector<Spec> specs_;
};

Side Thin(ColorSpec c) { return Side{BorderStyle::Thin, c}; }
Side Medium(ColorSpec c) { return Side{BorderStyle::Medium, c}; }
Side Thick(ColorSpec c) { return Side{BorderStyle::Thick, c}; }
Side Double(ColorSpec c) { return Side{BorderStyle::Double, c}; }

void Font(Spec& s, ColorSpec c, bool bold = false) {
    s.font = c;
    if (bold) s.bold = 1;
}

void Stripes(Builder& b, ColorSpec fill) {
    b.Add(TableArea::FirstRowStripe).fill = fill;
    b.Add(TableArea::FirstColumnStripe).fill = fill;
}

void FirstLast(Builder& b, ColorSpec font, ColorSpec fill = {}) {
    for (TableArea a : {TableArea::FirstColumn, TableArea::LastColumn}) {
        Spec& s = b.Add(a);
        Font(s, font, true);
        s.fill = fill;
    }
}

// Each family holds a black-and-grey style (c is the text colour) and one
// per accent colour (c is the accent), alike but for a few greys.
void Light1(Builder& b, uint32_t c) {
    const bool grey = c == kDk1;
    const ColorSpec text = grey ? Theme(kDk1) : Theme(c, kDarker25);
    Spec& whole = b.Add(TableArea::WholeTable);
    Font(whole, text);
    whole.top = whole.bottom = Thin(Theme(c));
    Spec& header = b.Add(TableArea::HeaderRow);
    Font(header, text, true);
    header.bottom = Thin(Theme(c));
    Spec& total = b.Add(TableArea::TotalRow);
    Font(total, text, true);
    total.top = Thin(Theme(c));
    FirstLast(b, text);
    Stripes(b, grey ? Theme(kLt1, kDarker15) : Theme(c, kLighter80));
}

void Light8(Builder& b, uint32_t c) {
    Spec& whole = b.Add(TableArea::WholeTable);
    Font(whole, Theme(kDk1));
    whole.left = whole.right = whole.top = whole.bottom = Thin(Theme(c));
    Spec& header = b.Add(TableArea::HeaderRow);
    Font(header, Theme(kLt1), true);
    header.fill = Theme(c);
    Spec& total = b.Add(TableArea::TotalRow);
    Font(total, Theme(kDk1), true);
    total.top = Double(Theme(c));
    FirstLast(b, Theme(kDk1));
    b.Add(TableArea::FirstRowStripe).top = Thin(Theme(c));
    b.Add(TableArea::SecondRowStripe).top = Thin(Theme(c));
    b.Add(TableArea::FirstColumnStripe).left = Thin(Theme(c));
    b.Add(TableArea::SecondColumnStripe).left = Thin(Theme(c));
}

void Light15(Builder& b, uint32_t c) {
    Spec& whole = b.Add(TableArea::WholeTable);
    Font(whole, Theme(kDk1));
    whole.left = whole.right = whole.top = whole.bottom = whole.vertical = whole.horizontal = Thin(Theme(c));
    Spec& header = b.Add(TableArea::HeaderRow);
    Font(header, Theme(kDk1), true);
    header.bottom = Medium(Theme(c));
    Spec& total = b.Add(TableArea::TotalRow);
    Font(total, Theme(kDk1), true);
    total.top = Double(Theme(c));
    FirstLast(b, Theme(kDk1));
    Stripes(b, c == kDk1 ? Theme(kLt1, kDarker15) : Theme(c, kLighter80));
}

void Medium1(Builder& b, uint32_t c) {
    const bool grey = c == kDk1;
    Spec& whole = b.Add(TableArea::WholeTable);
    Font(whole, Theme(kDk1));
    whole.left = whole.right = whole.top = whole.bottom = whole.horizontal =
        Thin(grey ? Theme(kDk1) : Theme(c, kLighter40));
    Spec& header = b.Add(TableArea::HeaderRow);
    Font(header, Theme(kLt1), true);
    header.fill = Theme(c);
    Spec& total = b.Add(TableArea::TotalRow);
    Font(total, Theme(kDk1), true);
    total.top = Double(Theme(c));
    FirstLast(b, Theme(kDk1));
    Stripes(b, grey ? Theme(kLt1, kDarker15) : Theme(c, kLighter80));
}

void Medium8(Builder& b, uint32_t c) {
    const bool grey = c == kDk1;
    Spec& whole = b.Add(TableArea::WholeTable);
    Font(whole, Theme(kDk1));
    whole.fill = grey ? Theme(kLt1, kDarker15) : Theme(c, kLighter80);
    whole.vertical = whole.horizontal = Thin(Theme(kLt1));
    Spec& header = b.Add(TableArea::HeaderRow);
    Font(header, Theme(kLt1), true);
    header.fill = Theme(c);
    header.bottom = Thick(Theme(kLt1));
    Spec& total = b.Add(TableArea::TotalRow);
    Font(total, Theme(kLt1), true);
    total.fill = Theme(c);
    total.top = Thick(Theme(kLt1));
    FirstLast(b, Theme(kLt1), Theme(c));
    Stripes(b, grey ? Theme(kLt1, kDarker35) : Theme(c, kLighter60));
}

void Medium15(Builder& b, uint32_t c) {
    Spec& whole = b.Add(TableArea::WholeTable);
    Font(whole, Theme(kDk1));
    whole.top = whole.bottom = Medium(Theme(kDk1));
    if (c == kDk1) whole.left = whole.right = whole.vertical = whole.horizontal = Thin(Theme(kDk1));
    Spec& header = b.Add(TableArea::HeaderRow);
    Font(header, Theme(kLt1), true);
    header.fill = Theme(c);
    header.bottom = Medium(Theme(kDk1));
    b.Add(TableArea::TotalRow).top = Double(Theme(kDk1));
    FirstLast(b, Theme(kLt1), Theme(c));
    Stripes(b, Theme(kLt1, kDarker15));
}

void Medium22(Builder& b, uint32_t c) {
    const bool grey = c == kDk1;
    Spec& whole = b.Add(TableArea::WholeTable);
    Font(whole, Theme(kDk1));
    whole.fill = grey ? Theme(kLt1, kDarker15) : Theme(c, kLighter80);
    whole.left = whole.right = whole.top = whole.bottom = whole.vertical = whole.horizontal =
        Thin(grey ? Theme(kDk1) : Theme(c, kLighter40));
    Font(b.Add(TableArea::HeaderRow), Theme(kDk1), true);
    Spec& total = b.Add(TableArea::TotalRow);
    Font(total, Theme(kDk1), true);
    total.top = Medium(Theme(c));
    FirstLast(b, Theme(kDk1));
    Stripes(b, grey ? Theme(kLt1, kDarker35) : Theme(c, kLighter60));
}

void Dark1(Builder& b, uint32_t c) {
    const bool grey = c == kDk1;
    const ColorSpec band = grey ? Theme(kDk1, 0.249977111117893) : Theme(c, kDarker25);
    Spec& whole = b.Add(TableArea::WholeTable);
    Font(whole, Theme(kLt1));
    whole.fill = grey ? Theme(kDk1, 0.44999542222357858) : Theme(c);
    Spec& header = b.Add(TableArea::HeaderRow);
    Font(header, Theme(kLt1), true);
    header.fill = Theme(kDk1);
    header.bottom = Medium(Theme(kLt1));
    Spec& total = b.Add(TableArea::TotalRow);
    Font(total, Theme(kLt1), true);
    total.fill = grey ? Theme(kDk1, 0.14999847407452621) : Theme(c, kDarker50);
    total.top = Medium(Theme(kLt1));
    FirstLast(b, Theme(kLt1), band);
    b.Last(TableArea::FirstColumn).right = Medium(Theme(kLt1));
    b.Last(TableArea::LastColumn).left = Medium(Theme(kLt1));
    Stripes(b, band);
}

// Two colours: a light one for the body and its stripes, another for the header.
void Dark8(Builder& b, uint32_t body, uint32_t head) {
    const bool grey = body == kDk1;
    b.Add(TableArea::WholeTable).fill = grey ? Theme(kLt1, kDarker15) : Theme(body, kLighter80);
    Spec& header = b.Add(TableArea::HeaderRow);
    Font(header, Theme(kLt1));
    header.fill = Theme(head);
    Spec& total = b.Add(TableArea::TotalRow);
    Font(total, Theme(kDk1), true);
    total.top = Double(Theme(kDk1));
    FirstLast(b, Theme(kDk1));
    Stripes(b, grey ? Theme(kLt1, kDarker35) : Theme(body, kLighter60));
}

// The number after a family's name, when the name is that family's.
int Number(std::string_view name, std::string_view family) {
    if (name.substr(0, family.size()) != family) return 0;
    name.remove_prefix(family.size());
    int n = 0;
    const auto [end, ec] = std::from_chars(name.data(), name.data() + name.size(), n);
    return ec == std::errc() && end == name.data() + name.size() && !name.empty() && name[0] != '0' ? n : 0;
}

// Each family of seven: the grey style first, then accents 1 to 6 (theme 4 to 9).
uint32_t ColorOf(int indexInFamily) { return indexInFamily == 0 ? kDk1 : uint32_t(3 + indexInFamily); }

}  // namespace

bool BuiltinTableStyle(std::string_view name, const ColorResolver& colors, std::vector<DiffFormat>& diffs,
                       TableStyle& out) {
    out = TableStyle{std::string(name), {}};
    Builder b(colors, diffs, out);
    if (int n = Number(name, "TableStyleLight"); n >= 1 && n <= 21) {
        const uint32_t c = ColorOf((n - 1) % 7);
        (n <= 7 ? Light1 : n <= 14 ? Light8 : Light15)(b, c);
    } else if (int m = Number(name, "TableStyleMedium"); m >= 1 && m <= 28) {
        const uint32_t c = ColorOf((m - 1) % 7);
        (m <= 7 ? Medium1 : m <= 14 ? Medium8 : m <= 21 ? Medium15 : Medium22)(b, c);
    } else if (int d = Number(name, "TableStyleDark"); d >= 1 && d <= 11) {
        if (d <= 7) Dark1(b, ColorOf(d - 1));
        else if (d == 8) Dark8(b, kDk1, kDk1);
        else Dark8(b, uint32_t(4 + 2 * (d - 9)), uint32_t(5 + 2 * (d - 9)));
    } else {
        return false;
    }
    b.Finish();
    return true;
}

void AddBuiltinTableStyles(const ColorResolver& colors, Workbook& wb) {
    Styles& st = wb.styles;
    // The built-in styles' formats follow the workbook's own: an index past
    // those must keep meaning nothing rather than come to mean one of ours.
    const int32_t own = int32_t(std::min<size_t>(st.diffs.size(), INT32_MAX));
    for (TableStyle& s : st.tableStyles)
        for (TableStyleElement& e : s.elements)
            if (e.diff >= own) e.diff = -1;
    for (Sheet& sheet : wb.sheets)
        for (CondFormat& f : sheet.condFormats)
            for (CondRule& r : f.rules)
                if (r.diff >= own) r.diff = -1;
    std::unordered_set<std::string> known;
    for (const TableStyle& s : st.tableStyles) known.insert(s.name);
    bool wantDefault = false;
    const auto add = [&](const std::string& name) {
        if (known.count(name)) return true;
        TableStyle style;
        if (!BuiltinTableStyle(name, colors, st.diffs, style)) return false;
        known.insert(name);
        st.tableStyles.push_back(std::move(style));
        return true;
    };
    for (const Sheet& sheet : wb.sheets)
        for (const Table& t : sheet.tables)
            if (!t.style.empty() && !add(t.style)) wantDefault = true;
    if (!wantDefault) return;
    // A name nobody knows takes the workbook's default style, and failing
    // that the one the format states as the default.
    if (st.defaultTableStyle.empty() || !add(st.defaultTableStyle)) {
        st.defaultTableStyle = "TableStyleMedium9";
        add(st.defaultTableStyle);
    }
}

}  // namespace sheets::xlsx
