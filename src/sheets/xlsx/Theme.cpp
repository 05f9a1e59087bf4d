#include "sheets/xlsx/Theme.h"

#include <algorithm>

#include "sheets/xlsx/Colors.h"

namespace sheets::xlsx {

namespace {

class ThemeHandler final : public SaxHandler {
public:
    std::vector<uint32_t> scheme;
    void Start(std::string_view name, Attrs a) override {
        if (name == "clrScheme") {
            if (!done_) in_ = true;
            return;
        }
        if (!in_) return;
        if (depth_ == 0) {
            slot_ = true;  // dk1, lt1, ...
            scheme.push_back(kDefaultScheme[std::min<size_t>(scheme.size(), 11)]);
            depth_ = 1;
            return;
        }
        ++depth_;
        if (depth_ == 2 && slot_) {
            uint32_t v;
            const char* s = nullptr;
            if (name == "srgbClr") s = Attr(a, "val");
            else if (name == "sysClr") s = Attr(a, "lastClr");
            if (s && ParseHexRgb(s, v)) scheme.back() = v;
        }
    }
    void End(std::string_view name) override {
        if (!in_) return;
        if (depth_ == 0) {
            if (name == "clrScheme") {
                in_ = false;
                done_ = true;
                finished = true;
            }
            return;
        }
        --depth_;
    }

private:
    bool in_ = false, done_ = false, slot_ = false;
    int depth_ = 0;
};

}  // namespace

std::vector<uint32_t> ParseThemeScheme(const Package& pkg, const std::string& part) {
    // Most workbooks carry the same theme, stored byte for byte alike, and it
    // is the largest part of a small workbook: the last one read on this
    // thread is remembered.
    thread_local std::string lastStored;
    thread_local std::vector<uint32_t> lastScheme;
    std::string stored = pkg.Zip().StoredBytes(part);
    if (!stored.empty() && stored == lastStored) return lastScheme;
    ThemeHandler h;
    pkg.Parse(part, h);
    lastStored = std::move(stored);
    lastScheme = h.scheme;
    return h.scheme;
}

}  // namespace sheets::xlsx
