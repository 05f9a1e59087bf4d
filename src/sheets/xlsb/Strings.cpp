#include "sheets/xlsb/Strings.h"

#include <algorithm>

#include "sheets/xlsb/RecordTypes.h"

namespace sheets::xlsb {

RunFonts::RunFonts(const std::vector<Font>& styleFonts, xlsx::FontTable& table) {
    map_.reserve(styleFonts.size());
    for (const Font& f : styleFonts) map_.push_back(table.Intern(f));
}

bool RunFonts::Find(uint32_t ifnt, uint32_t& out) const {
    if (ifnt >= map_.size()) return false;
    out = map_[ifnt];
    return true;
}

bool ReadRichStr(Payload& in, const RunFonts& fonts, RichString& out) {
    const uint8_t flags = in.U8();
    std::vector<uint32_t> offsets;
    const bool rich = flags & 1;
    out.text = in.WideString(rich ? &offsets : nullptr);
    out.runs.clear();
    if (!in.Ok()) return false;
    if (!rich) return true;
    const uint32_t count = in.U32();
    if (!in.Ok() || count > in.Left() / 4) return false;
    const uint32_t units = uint32_t(offsets.size() - 1);
    struct StrRun {
        uint32_t ich, ifnt;
    };
    std::vector<StrRun> runs;
    runs.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t ich = in.U16();
        const uint32_t ifnt = in.U16();
        // Runs ascend; one that does not is not where the text says.
        if (ich >= units || (!runs.empty() && ich <= runs.back().ich)) continue;
        runs.push_back({ich, ifnt});
    }
    for (size_t i = 0; i < runs.size(); ++i) {
        const uint32_t end = i + 1 < runs.size() ? runs[i + 1].ich : units;
        uint32_t font;
        if (!fonts.Find(runs[i].ifnt, font)) continue;
        const uint32_t from = offsets[runs[i].ich], to = offsets[end];
        if (to > from) out.runs.push_back(TextRun{from, to - from, font});
    }
    return true;
}

TextPool::TextPool(std::vector<RichString>& strings) : strings_(strings), index_(0, Hash{&strings}, Equal{&strings}) {}

uint32_t TextPool::Intern(std::string_view text, bool& added) {
    if (auto it = index_.find(text); it != index_.end()) {
        added = false;
        return *it;
    }
    strings_.push_back(RichString{std::string(text), {}});
    const uint32_t i = uint32_t(strings_.size() - 1);
    index_.insert(i);
    added = true;
    return i;
}

bool SharedStringsReader::OnRecord(const Record& r) {
    if (r.type == rt::BeginSst) {
        // The count is a hint from the file: trust it only so far.
        Payload in(r.data);
        in.U32();
        const uint32_t unique = in.U32();
        if (in.Ok()) out_.reserve(out_.size() + std::min<uint32_t>(unique, 1u << 20));
    } else if (r.type == rt::SSTItem) {
        Payload in(r.data);
        RichString s;
        if (!ReadRichStr(in, fonts_, s)) s = RichString{};
        out_.push_back(std::move(s));
    }
    return true;
}

}  // namespace sheets::xlsb
