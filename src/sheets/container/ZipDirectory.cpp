#include "sheets/container/ZipDirectory.h"

#include <cstdint>

namespace sheets {

namespace {

uint32_t Le(std::string_view b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | uint8_t(b[at + size_t(i)]);
    return v;
}

constexpr size_t kEndRecord = 22;
constexpr size_t kMaxComment = 0xFFFF;
constexpr size_t kEntryHeader = 46;

}  // namespace

std::optional<std::vector<std::string_view>> ZipEntryNames(std::string_view a) {
    if (a.size() < kEndRecord) return std::nullopt;
    // The end record sits at the end, before a comment of up to 64 KiB.
    size_t end = std::string_view::npos;
    const size_t lowest = a.size() - kEndRecord > kMaxComment ? a.size() - kEndRecord - kMaxComment : 0;
    for (size_t at = a.size() - kEndRecord + 1; at-- > lowest;) {
        if (Le(a, at, 4) == 0x06054B50 && at + kEndRecord + Le(a, at + 20, 2) == a.size()) {
            end = at;
            break;
        }
    }
    if (end == std::string_view::npos) return std::nullopt;
    const uint32_t count = Le(a, end + 10, 2), size = Le(a, end + 12, 4), offset = Le(a, end + 16, 4);
    if (count == 0xFFFF || size == 0xFFFFFFFF || offset == 0xFFFFFFFF) return std::nullopt;
    if (uint64_t(offset) + size > end) return std::nullopt;
    std::vector<std::string_view> names;
    names.reserve(count);
    size_t at = offset;
    for (uint32_t i = 0; i < count; ++i) {
        if (at + kEntryHeader > uint64_t(offset) + size || Le(a, at, 4) != 0x02014B50) return std::nullopt;
        const size_t name = Le(a, at + 28, 2), extra = Le(a, at + 30, 2), comment = Le(a, at + 32, 2);
        const size_t next = at + kEntryHeader + name + extra + comment;
        if (next > uint64_t(offset) + size) return std::nullopt;
        names.push_back(a.substr(at + kEntryHeader, name));
        at = next;
    }
    return names;
}

}  // namespace sheets
