#include "sheets/xls/Strings.h"

#include <algorithm>

#include "sheets/Errors.h"
#include "text/Utf16.h"

namespace sheets::xls {

std::vector<TextRun> MakeRuns(const std::vector<std::pair<uint32_t, uint32_t>>& runs,
                              const std::vector<uint32_t>& offsets) {
    std::vector<TextRun> out;
    const uint32_t units = offsets.empty() ? 0 : uint32_t(offsets.size() - 1);
    for (size_t i = 0; i < runs.size(); ++i) {
        uint32_t from = std::min(runs[i].first, units);
        uint32_t to = i + 1 < runs.size() ? std::min(runs[i + 1].first, units) : units;
        if (to <= from) continue;  // empty or out of order: nothing to style
        uint32_t b0 = offsets[from], b1 = offsets[to];
        if (b1 > b0) out.push_back({b0, b1 - b0, FontRecordIndex(runs[i].second)});
    }
    return out;
}

RichString ReadString(Continued& in, const StringContext& ctx, bool wideLength, bool keepRuns,
                      std::vector<uint32_t>* offsets) {
    const uint32_t count = wideLength ? in.U16() : in.U8();
    RichString out;
    if (!ctx.biff8) {
        std::string bytes;
        bytes.reserve(count);
        for (uint32_t i = 0; i < count; ++i) bytes += char(in.U8());
        out.text = ctx.codePage ? ctx.codePage->ToUtf8(bytes) : bytes;
        if (offsets && ctx.codePage && ctx.codePage->SingleByte()) {
            offsets->assign(1, 0);
            for (unsigned char c : bytes)
                offsets->push_back(offsets->back() + uint32_t(ctx.codePage->Utf8Of(c).size()));
        }
        return out;
    }
    const uint8_t flags = in.U8();
    const uint16_t runCount = (flags & 0x08) ? in.U16() : 0;
    const uint32_t extSize = (flags & 0x04) ? in.U32() : 0;
    std::u16string units;
    units.reserve(count);
    in.Chars(count, flags & 0x01, units);
    std::vector<std::pair<uint32_t, uint32_t>> runs;
    if (keepRuns) runs.reserve(std::min<uint32_t>(runCount, 1024));
    for (uint32_t i = 0; i < runCount; ++i) {
        uint16_t ich = in.U16(), ifnt = in.U16();
        if (keepRuns) runs.emplace_back(ich, ifnt);
    }
    in.Skip(extSize);
    if (runs.empty() && !offsets) {
        out.text = text::Utf16ToUtf8(units);
    } else {
        std::vector<uint32_t> local;
        std::vector<uint32_t>& at = offsets ? *offsets : local;
        out.text = text::Utf16ToUtf8(units, &at);
        if (!runs.empty()) out.runs = MakeRuns(runs, at);
    }
    return out;
}

std::vector<RichString> ReadSst(std::vector<std::string_view> pieces, const StringContext& ctx) {
    size_t total = 0;
    for (auto p : pieces) total += p.size();
    Continued in(std::move(pieces));
    in.U32();  // total references
    const uint32_t unique = in.U32();
    std::vector<RichString> out;
    // The claimed count may lie; every string takes at least three bytes.
    out.reserve(std::min<size_t>(unique, total / 3));
    // Some writers claim fewer strings than they store, and their cells use
    // the rest: read on while whole strings remain. A string cut short ends
    // the table; the strings before it stay.
    try {
        while (!in.AtEnd()) out.push_back(ReadString(in, ctx, true, true));
    } catch (const Error& e) {
        if (e.Kind() != ErrorKind::Damaged) throw;
    }
    return out;
}

}  // namespace sheets::xls
