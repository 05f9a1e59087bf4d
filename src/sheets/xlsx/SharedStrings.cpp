#include "sheets/xlsx/SharedStrings.h"

#include <algorithm>

namespace sheets::xlsx {

namespace {

class SstHandler final : public SaxHandler {
public:
    SstHandler(const ColorResolver& c, FontTable& f, const Font& base, std::vector<RichString>& out)
        : reader_(c, f, base), out_(out) {
        recordName = "si";
    }
    void Start(std::string_view n, Attrs a) override {
        if (depth_ == 0 && n == "sst") {
            // The count is a hint from the file: trust it only so far.
            int64_t unique = AttrInt(a, "uniqueCount", 0);
            if (unique > 0) out_.reserve(out_.size() + size_t(std::min<int64_t>(unique, 1 << 20)));
        }
        ++depth_;
        if (depth_ == 2 && n == "si") {
            inSi_ = true;
        } else if (inSi_) {
            wantText = reader_.Start(n, a);
        }
    }
    void End(std::string_view n) override {
        if (depth_ == 2 && inSi_) {
            inSi_ = false;
            out_.push_back(reader_.Take());
        } else if (inSi_) {
            reader_.End(n);
            wantText = false;
        }
        --depth_;
    }
    void Text(std::string_view t) override { reader_.Text(t); }

private:
    RichTextReader reader_;
    std::vector<RichString>& out_;
    int depth_ = 0;
    bool inSi_ = false;
};

}  // namespace

void ParseSharedStrings(const Package& pkg, const std::string& part, const ColorResolver& colors, FontTable& fonts,
                        const Font& base, std::vector<RichString>& out) {
    SstHandler h(colors, fonts, base, out);
    pkg.Parse(part, h);
}

}  // namespace sheets::xlsx
