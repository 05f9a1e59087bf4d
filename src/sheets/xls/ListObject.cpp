#include "sheets/xls/ListObject.h"

#include <algorithm>

#include "sheets/model/Shape.h"
#include "text/Utf16.h"

namespace sheets::xls {

namespace {

class In {
public:
    explicit In(std::string_view d) : d_(d) {}
    bool Has(size_t n) const { return at_ <= d_.size() && d_.size() - at_ >= n; }
    // Cut short: every later read fails too.
    void Fail() { at_ = d_.size() + 1; }
    uint16_t U16() {
        if (!Has(2)) {
            Fail();
            return 0;
        }
        const uint16_t v = uint16_t(uint8_t(d_[at_]) | uint8_t(d_[at_ + 1]) << 8);
        at_ += 2;
        return v;
    }
    uint8_t U8() {
        if (!Has(1)) {
            Fail();
            return 0;
        }
        return uint8_t(d_[at_++]);
    }
    bool Skip(size_t n) {
        if (!Has(n)) {
            Fail();
            return false;
        }
        at_ += n;
        return true;
    }
    bool Ok() const { return at_ <= d_.size(); }
    std::string_view Rest() const { return Ok() ? d_.substr(at_) : std::string_view(); }

    // A string with its 16-bit count and its flag byte; false when cut short.
    // `size`: its bytes, count and flag included.
    bool String(std::string& out, size_t& size) {
        const uint16_t count = U16();
        const bool wide = U8() & 1;
        size = 3 + size_t(count) * (wide ? 2 : 1);
        if (!Ok() || !Has(size - 3)) {
            Fail();
            return false;
        }
        std::u16string units;
        units.reserve(count);
        for (uint16_t i = 0; i < count; ++i) units += char16_t(wide ? U16() : U8());
        out = text::Utf16ToUtf8(units);
        return true;
    }

private:
    std::string_view d_;
    size_t at_ = 0;
};

// The first token of the range's formula, when it is a reference.
void ReadRange(std::string_view rgce, ListData& out) {
    In in(rgce);
    const uint8_t ptg = in.U8();
    const uint8_t base = ptg & 0x1F;  // the token without its class bits
    if (ptg >= 0x80 || (ptg & 0x60) == 0) return;
    if (base == 0x1A || base == 0x1B) out.externSheet = in.U16();  // the 3-D forms
    else if (base != 0x04 && base != 0x05) return;
    if (base == 0x04 || base == 0x1A) {  // one cell
        out.r1 = out.r2 = in.U16();
        out.c1 = out.c2 = in.U16() & 0x3FFF;
    } else {
        out.r1 = in.U16();
        out.r2 = in.U16();
        out.c1 = in.U16() & 0x3FFF;
        out.c2 = in.U16() & 0x3FFF;
    }
    out.hasRange = in.Ok() && out.c1 < 256 && out.c2 < 256;
}

std::string Column(uint32_t c) {
    std::string s;
    for (++c; c > 0; c = (c - 1) / 26) s.insert(s.begin(), char('A' + (c - 1) % 26));
    return s;
}

}  // namespace

bool ReadListData(std::string_view body, bool dropDown, ListData& out) {
    In in(body);
    const uint16_t formulaBytes = in.U16();
    if (!in.Has(formulaBytes)) return false;
    if (formulaBytes >= 6) {
        In f(body.substr(2, formulaBytes));
        const uint16_t cce = f.U16() & 0x7FFF;
        f.Skip(4);
        const std::string_view rgce = f.Rest();
        ReadRange(rgce.substr(0, std::min<size_t>(cce, rgce.size())), out);
    }
    in.Skip(formulaBytes);
    const uint16_t lines = in.U16();
    const uint16_t sel = in.U16();
    const uint16_t flags = in.U16();
    in.U16();  // the edit box it works with
    if (!in.Ok()) return false;
    out.selected = sel <= lines && sel <= kControlMaxItems ? sel : 0;
    if (dropDown) {
        in.Skip(6);  // style, lines shown when open, least width
        std::string current;
        size_t size = 0;
        if (!in.String(current, size)) return true;
        if (size & 1) in.Skip(1);  // the string is padded to an even length
    }
    if (!(flags & 0x2)) return true;  // the items are not kept here
    size_t bytes = 0;
    for (uint16_t i = 0; i < lines && out.items.size() < kControlMaxItems; ++i) {
        std::string item;
        size_t size = 0;
        if (!in.String(item, size)) break;
        bytes += item.size();
        if (bytes > kShapeMaxTextBytes) break;
        out.items.push_back(std::move(item));
    }
    return true;
}

std::string AreaText(const std::string& sheet, uint32_t r1, uint32_t c1, uint32_t r2, uint32_t c2) {
    std::string s;
    if (!sheet.empty()) {
        s += '\'';
        for (char ch : sheet) {
            s += ch;
            if (ch == '\'') s += '\'';
        }
        s += "'!";
    }
    s += Column(c1) + std::to_string(r1 + 1);
    if (r1 != r2 || c1 != c2) s += ":" + Column(c2) + std::to_string(r2 + 1);
    return s;
}

}  // namespace sheets::xls
