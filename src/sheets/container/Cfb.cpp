#include "sheets/container/Cfb.h"

#include <algorithm>
#include <cstring>

#include "sheets/Errors.h"
#include "text/Ascii.h"
#include "text/Utf16.h"

namespace sheets {
namespace {

constexpr char kSignature[8] = {'\xD0', '\xCF', '\x11', '\xE0', '\xA1', '\xB1', '\x1A', '\xE1'};
constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kFree = 0xFFFFFFFF;
constexpr uint32_t kNoStream = 0xFFFFFFFF;
// Ids from here up are markers (end of chain, free, FAT, DIFAT), not sectors.
constexpr uint32_t kMaxRegular = 0xFFFFFFFA;

uint16_t U16(std::string_view b, size_t at) { return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8); }
uint32_t U32(std::string_view b, size_t at) { return uint32_t(U16(b, at)) | uint32_t(U16(b, at + 2)) << 16; }

[[noreturn]] void Damaged(const char* what) {
    throw Error(ErrorKind::Damaged, std::string("The compound file is damaged: ") + what);
}

std::string EntryName(std::string_view e) {
    const size_t bytes = std::min<size_t>(U16(e, 0x40), 64);
    std::u16string units;
    for (size_t i = 0; i + 1 < bytes; i += 2) {
        const char16_t c = char16_t(U16(e, i));
        if (c == 0) break;
        units += c;
    }
    return text::Utf16ToUtf8(units);
}

}  // namespace

bool IsCfb(std::string_view bytes) { return bytes.size() >= 8 && std::memcmp(bytes.data(), kSignature, 8) == 0; }

bool CfbHasStream(std::string_view bytes, std::string_view name) {
    if (!IsCfb(bytes)) return false;
    try {
        return Cfb(bytes).Find(name) != nullptr;
    } catch (const Error&) {
        return false;
    }
}

Cfb::Cfb(std::string_view bytes) : bytes_(bytes) {
    if (!IsCfb(bytes)) throw Error(ErrorKind::NotAWorkbook, "Not a compound file");
    if (bytes.size() < 512) Damaged("the header is truncated");
    const uint16_t major = U16(bytes, 0x1A);
    const uint16_t shift = U16(bytes, 0x1E);
    const uint16_t miniShift = U16(bytes, 0x20);
    if (shift != 9 && shift != 12) Damaged("unsupported sector size");
    if (miniShift != 6) Damaged("unsupported mini sector size");
    sectorSize_ = 1u << shift;
    miniSectorSize_ = 1u << miniShift;
    // The header fills the whole first sector.
    const uint64_t body = bytes.size() > sectorSize_ ? bytes.size() - sectorSize_ : 0;
    sectorCount_ = (body + sectorSize_ - 1) / sectorSize_;
    const uint32_t perSector = sectorSize_ / 4;

    // The FAT's sectors: 109 in the header, the rest along the DIFAT chain.
    // A FAT never needs more sectors than it takes to describe the file, so
    // the list is capped there; a hostile count cannot make it grow.
    const uint64_t fatNeeded = sectorCount_ / perSector + 1;
    const uint32_t fatClaimed = U32(bytes, 0x2C);
    const uint64_t fatWanted = std::min<uint64_t>(fatClaimed, fatNeeded);
    std::vector<uint32_t> fatSectors;
    for (int i = 0; i < 109 && fatSectors.size() < fatWanted; ++i) {
        uint32_t id = U32(bytes, 0x4C + 4 * i);
        if (id < kMaxRegular) fatSectors.push_back(id);
    }
    uint32_t difat = U32(bytes, 0x44);
    std::vector<bool> seen(sectorCount_, false);
    while (difat < kMaxRegular && fatSectors.size() < fatWanted) {
        if (difat >= sectorCount_) Damaged("a sector number is out of range");
        if (seen[difat]) Damaged("the allocation table chain loops");
        seen[difat] = true;
        std::string_view s = Sector(difat);
        if (s.size() < sectorSize_) Damaged("the allocation table is truncated");
        for (uint32_t i = 0; i + 1 < perSector && fatSectors.size() < fatWanted; ++i) {
            uint32_t id = U32(s, 4 * i);
            if (id < kMaxRegular) fatSectors.push_back(id);
        }
        difat = U32(s, sectorSize_ - 4);
    }
    if (fatSectors.empty()) Damaged("the allocation table is missing");
    fat_.reserve(fatSectors.size() * perSector);
    for (uint32_t id : fatSectors) {
        std::string_view s = Sector(id);
        for (uint32_t i = 0; i < perSector; ++i) fat_.push_back(4 * i + 4 <= s.size() ? U32(s, 4 * i) : kFree);
    }

    // The directory.
    std::vector<uint32_t> dirChain = Chain(fat_, U32(bytes, 0x30));
    if (dirChain.empty()) Damaged("the directory is missing");
    std::string dir;
    dir.reserve(dirChain.size() * sectorSize_);
    for (uint32_t id : dirChain) {
        std::string_view s = Sector(id);
        dir.append(s);
        dir.append(sectorSize_ - s.size(), '\0');
    }
    const size_t entryCount = dir.size() / 128;
    auto entryAt = [&](size_t i) { return std::string_view(dir).substr(i * 128, 128); };
    std::string_view root = entryAt(0);
    if (uint8_t(root[0x42]) != 5) Damaged("the root entry is missing");
    auto sizeOf = [&](std::string_view e) {
        uint64_t lo = U32(e, 0x78), hi = U32(e, 0x7C);
        // Version 3 files may leave garbage in the high half.
        return major == 3 || sectorSize_ == 512 ? lo : lo | hi << 32;
    };

    // The mini stream lives in the root's regular chain; small streams are
    // cut from it in 64-byte pieces.
    miniCutoff_ = U32(bytes, 0x38);
    if (miniCutoff_ != 4096) miniCutoff_ = 4096;
    uint32_t rootStart = U32(root, 0x74);
    if (rootStart < kMaxRegular) {
        miniStream_ = ReadRegular(rootStart, sizeOf(root));
        std::vector<uint32_t> mfChain = Chain(fat_, U32(bytes, 0x3C));
        const size_t miniNeeded = miniStream_.size() / miniSectorSize_ + 1;
        for (uint32_t id : mfChain) {
            std::string_view s = Sector(id);
            for (uint32_t i = 0; i < perSector && miniFat_.size() < miniNeeded; ++i)
                miniFat_.push_back(4 * i + 4 <= s.size() ? U32(s, 4 * i) : kFree);
            if (miniFat_.size() >= miniNeeded) break;
        }
    }

    // The root's children form a tree through left/right siblings; walk it
    // with a visited mark so that a cyclic tree cannot loop.
    std::vector<bool> visited(entryCount, false);
    std::vector<uint32_t> stack;
    uint32_t child = U32(root, 0x4C);
    if (child != kNoStream) stack.push_back(child);
    visited[0] = true;
    while (!stack.empty()) {
        uint32_t i = stack.back();
        stack.pop_back();
        if (i >= entryCount) Damaged("a directory entry is out of range");
        if (visited[i]) Damaged("the directory tree loops");
        visited[i] = true;
        std::string_view e = entryAt(i);
        uint8_t type = uint8_t(e[0x42]);
        if (type == 1 || type == 2) {
            top_.push_back({EntryName(e), EntryType(type), U32(e, 0x74), sizeOf(e)});
        }
        uint32_t left = U32(e, 0x44), right = U32(e, 0x48);
        if (right != kNoStream) stack.push_back(right);
        if (left != kNoStream) stack.push_back(left);
    }
}

std::string_view Cfb::Sector(uint32_t id) const {
    if (id >= sectorCount_) Damaged("a sector number is out of range");
    const uint64_t at = uint64_t(id + 1) * sectorSize_;
    return bytes_.substr(at, sectorSize_);  // the last sector may be cut short
}

std::vector<uint32_t> Cfb::Chain(const std::vector<uint32_t>& table, uint32_t start) const {
    std::vector<uint32_t> out;
    std::vector<bool> seen;
    for (uint32_t id = start; id < kMaxRegular; id = table[id]) {
        if (id >= table.size()) Damaged("a sector number is out of range");
        if (seen.empty()) seen.assign(table.size(), false);
        if (seen[id]) Damaged("a sector chain loops");
        seen[id] = true;
        out.push_back(id);
    }
    return out;
}

std::string Cfb::ReadRegular(uint32_t start, uint64_t size) const {
    std::vector<uint32_t> chain = Chain(fat_, start);
    if (size > uint64_t(chain.size()) * sectorSize_) Damaged("a stream is longer than its sectors");
    std::string out;
    out.reserve(size);
    for (uint32_t id : chain) {
        if (out.size() >= size) break;
        std::string_view s = Sector(id);
        size_t want = std::min<uint64_t>(sectorSize_, size - out.size());
        if (s.size() < want) {
            out.append(s);
            out.append(want - s.size(), '\0');
        } else {
            out.append(s.substr(0, want));
        }
    }
    return out;
}

std::string Cfb::ReadMini(uint32_t start, uint64_t size) const {
    std::vector<uint32_t> chain = Chain(miniFat_, start);
    if (size > uint64_t(chain.size()) * miniSectorSize_) Damaged("a stream is longer than its sectors");
    std::string out;
    out.reserve(size);
    for (uint32_t id : chain) {
        if (out.size() >= size) break;
        const uint64_t at = uint64_t(id) * miniSectorSize_;
        if (at >= miniStream_.size()) Damaged("a mini sector is out of range");
        size_t want = std::min<uint64_t>(miniSectorSize_, size - out.size());
        std::string_view s = std::string_view(miniStream_).substr(at, want);
        out.append(s);
        out.append(want - s.size(), '\0');
    }
    return out;
}

const Cfb::Entry* Cfb::Find(std::string_view name) const {
    for (const Entry& e : top_)
        if (text::EqualsAsciiNoCase(e.name, name)) return &e;
    return nullptr;
}

std::string Cfb::Read(const Entry& e) const {
    if (e.type != EntryType::Stream) throw Error(ErrorKind::Damaged, "The compound file entry is not a stream");
    if (e.size == 0) return {};
    if (e.size < miniCutoff_) return ReadMini(e.start, e.size);
    return ReadRegular(e.start, e.size);
}

std::optional<std::string> Cfb::ReadStream(std::string_view name) const {
    const Entry* e = Find(name);
    if (!e || e->type != EntryType::Stream) return std::nullopt;
    return Read(*e);
}

}  // namespace sheets
