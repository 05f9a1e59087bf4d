#include "text/Utf16.h"

#include "text/Utf8.h"

namespace text {
namespace {

// Appends the characters of `n` code units, `unit(k)` giving the k-th.
template <typename Unit>
void AppendUnits(std::string& out, size_t n, Unit unit, std::vector<uint32_t>* offsets) {
    if (offsets) offsets->assign(n + 1, 0);
    for (size_t k = 0; k < n; ++k) {
        if (offsets) (*offsets)[k] = uint32_t(out.size());
        char32_t u = unit(k);
        if (u >= 0xD800 && u <= 0xDBFF && k + 1 < n) {
            const char32_t lo = unit(k + 1);
            if (lo >= 0xDC00 && lo <= 0xDFFF) {
                ++k;
                if (offsets) (*offsets)[k] = uint32_t(out.size());
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00));
                continue;
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF) u = 0xFFFD;
        AppendUtf8(out, u);
    }
    if (offsets) (*offsets)[n] = uint32_t(out.size());
}

}  // namespace

std::string Utf16ToUtf8(std::u16string_view units, std::vector<uint32_t>* offsets) {
    std::string out;
    out.reserve(units.size());
    AppendUnits(
        out, units.size(), [&](size_t k) -> char32_t { return units[k]; }, offsets);
    return out;
}

std::string Utf16BytesToUtf8(std::string_view bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size());
    auto unit = [&](size_t k) -> char32_t {
        const auto a = static_cast<unsigned char>(bytes[2 * k]);
        const auto b = static_cast<unsigned char>(bytes[2 * k + 1]);
        return bigEndian ? (char32_t(a) << 8 | b) : (char32_t(b) << 8 | a);
    };
    AppendUnits(out, bytes.size() / 2, unit, nullptr);
    if (bytes.size() % 2) AppendUtf8(out, 0xFFFD);
    return out;
}

}  // namespace text
