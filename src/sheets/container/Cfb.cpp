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
constexpr uint32_t kFatSector = 0xFFFFFFFD;
constexpr uint32_t kDifatSector = 0xFFFFFFFC;
constexpr uint32_t kNoStream = 0xFFFFFFFF;
// Ids from here up are markers (end of chain, free, FAT, DIFAT), not sectors.
constexpr uint32_t kMaxRegular = 0xFFFFFFFA;
// The mini stream's pieces are 64 bytes: the format knows no other size,
// whatever a header says, and small streams below this size live there.
constexpr uint32_t kMiniSectorSize = 64;
constexpr uint32_t kMiniCutoff = 4096;
constexpr size_t kEntrySize = 128;

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

bool IsRootEntry(std::string_view e) {
    static constexpr char kRoot[] = "R\0o\0o\0t\0 \0E\0n\0t\0r\0y\0";
    return e.size() >= kEntrySize && std::memcmp(e.data(), kRoot, sizeof kRoot - 1) == 0 && uint8_t(e[0x42]) == 5;
}

uint64_t Units(uint64_t bytes, uint32_t unit) { return bytes / unit + (bytes % unit != 0); }

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
    ReadHeader();
    ReadFat();
    ReadDirectory();
    std::string_view root = std::string_view(dir_).substr(0, kEntrySize);
    if (uint8_t(root[0x42]) == 5) {
        ReadMiniStream(root);
        WalkTree(root);
    }
    // Every stream and storage the directory holds, for names that the tree
    // no longer leads to.
    for (size_t at = kEntrySize; at + kEntrySize <= dir_.size(); at += kEntrySize) {
        std::string_view e = std::string_view(dir_).substr(at, kEntrySize);
        const uint8_t type = uint8_t(e[0x42]);
        if (type == 1 || type == 2) all_.push_back({EntryName(e), EntryType(type), U32(e, 0x74), SizeOf(e)});
    }
}

void Cfb::ReadHeader() {
    major_ = U16(bytes_, 0x1A);
    const uint16_t shift = U16(bytes_, 0x1E);
    // The version fixes the sector size; a header whose size field disagrees
    // is damaged in that field, not in its layout.
    if (shift == 9 || shift == 12) sectorSize_ = 1u << shift;
    else if (major_ == 3) sectorSize_ = 512;
    else if (major_ == 4) sectorSize_ = 4096;
    else Damaged("unsupported sector size");
    // The header fills the whole first sector.
    const uint64_t body = bytes_.size() > sectorSize_ ? bytes_.size() - sectorSize_ : 0;
    sectorCount_ = Units(body, sectorSize_);
    reserved_.assign(sectorCount_, false);
}

std::vector<uint32_t> Cfb::FatSectors() const {
    // 109 in the header, the rest along the DIFAT chain, each list ending at
    // its first unused slot. A FAT never needs more sectors than it takes to
    // describe the file, so the list is capped there whatever the header
    // claims.
    const uint32_t perSector = sectorSize_ / 4;
    const uint64_t needed = sectorCount_ / perSector + 1;
    std::vector<uint32_t> ids;
    for (int i = 0; i < 109 && ids.size() < needed; ++i) {
        const uint32_t id = U32(bytes_, 0x4C + 4 * i);
        if (id >= kMaxRegular) return ids;
        ids.push_back(id);
    }
    std::vector<bool> seen(sectorCount_, false);
    for (uint32_t difat = U32(bytes_, 0x44); difat < sectorCount_ && !seen[difat] && ids.size() < needed;) {
        seen[difat] = true;
        std::string_view s = Sector(difat);
        if (s.size() < sectorSize_) break;
        for (uint32_t i = 0; i + 1 < perSector && ids.size() < needed; ++i) {
            const uint32_t id = U32(s, 4 * i);
            if (id >= kMaxRegular) return ids;
            ids.push_back(id);
        }
        difat = U32(s, sectorSize_ - 4);
    }
    return ids;
}

void Cfb::ReadFat() {
    const std::vector<uint32_t> sectors = FatSectors();
    if (sectors.empty()) Damaged("the allocation table is missing");
    const uint32_t perSector = sectorSize_ / 4;
    fat_.reserve(sectors.size() * perSector);
    for (uint32_t id : sectors) {
        // A FAT sector past the file leaves its part of the table unknown,
        // which is to say free: chains through it end there.
        std::string_view s = Sector(id);
        if (id < sectorCount_) reserved_[id] = true;
        for (uint32_t i = 0; i < perSector; ++i) fat_.push_back(4 * i + 4 <= s.size() ? U32(s, 4 * i) : kFree);
    }
    for (size_t i = 0; i < fat_.size() && i < sectorCount_; ++i)
        if (fat_[i] == kFatSector || fat_[i] == kDifatSector) reserved_[i] = true;
}

uint32_t Cfb::FindRootSector() const {
    for (uint32_t id = 0; id < sectorCount_; ++id)
        if (!reserved_[id] && IsRootEntry(Sector(id))) return id;
    return kNoStream;
}

void Cfb::ReadDirectory() {
    std::vector<uint32_t> chain;
    auto load = [&](uint32_t start) {
        chain = Chain(fat_, start, sectorCount_, false);
        dir_.clear();
        for (uint32_t id : chain) {
            std::string_view s = Sector(id);
            dir_.append(s);
            dir_.append(sectorSize_ - s.size(), '\0');
        }
    };
    load(U32(bytes_, 0x30));
    // A directory chain that does not lead to the root entry: the directory
    // is found where a sector begins with one.
    if (dir_.size() < kEntrySize || uint8_t(dir_[0x42]) != 5) {
        const uint32_t found = FindRootSector();
        if (found != kNoStream) load(found);
        else if (dir_.size() < kEntrySize) Damaged("the directory is missing");
    }
    for (uint32_t id : chain) reserved_[id] = true;
}

uint64_t Cfb::SizeOf(std::string_view e) const {
    const uint64_t lo = U32(e, 0x78), hi = U32(e, 0x7C);
    // Version 3 files may leave garbage in the high half.
    return major_ == 3 || sectorSize_ == 512 ? lo : lo | hi << 32;
}

void Cfb::ReadMiniStream(std::string_view root) {
    // The mini stream lives in the root's regular chain; its table along the
    // chain the header names, which is claimed before the stream is read.
    const uint64_t miniNeeded = Units(SizeOf(root), kMiniSectorSize);
    const std::vector<uint32_t> mfChain = Chain(fat_, U32(bytes_, 0x3C), Units(miniNeeded * 4, sectorSize_), true);
    for (uint32_t id : mfChain) reserved_[id] = true;
    for (uint32_t id : mfChain) {
        std::string_view s = Sector(id);
        for (uint32_t i = 0; i < sectorSize_ / 4 && miniFat_.size() < miniNeeded; ++i)
            miniFat_.push_back(4 * i + 4 <= s.size() ? U32(s, 4 * i) : kFree);
    }
    const uint32_t rootStart = U32(root, 0x74);
    if (rootStart < kMaxRegular) miniStream_ = ReadRegular(rootStart, SizeOf(root));
}

void Cfb::WalkTree(std::string_view root) {
    // The root's children form a tree through left/right siblings; walk it
    // with a visited mark so that a cyclic tree cannot loop. A link out of
    // the directory, or to an entry that is neither stream nor storage,
    // loses that branch only.
    const size_t entryCount = dir_.size() / kEntrySize;
    std::vector<bool> visited(entryCount, false);
    visited[0] = true;
    std::vector<uint32_t> stack;
    if (uint32_t child = U32(root, 0x4C); child != kNoStream) stack.push_back(child);
    while (!stack.empty()) {
        const uint32_t i = stack.back();
        stack.pop_back();
        if (i >= entryCount || visited[i]) continue;
        visited[i] = true;
        std::string_view e = std::string_view(dir_).substr(size_t(i) * kEntrySize, kEntrySize);
        const uint8_t type = uint8_t(e[0x42]);
        if (type != 1 && type != 2) continue;
        top_.push_back({EntryName(e), EntryType(type), U32(e, 0x74), SizeOf(e)});
        const uint32_t left = U32(e, 0x44), right = U32(e, 0x48);
        if (right != kNoStream) stack.push_back(right);
        if (left != kNoStream) stack.push_back(left);
    }
}

std::string_view Cfb::Sector(uint32_t id) const {
    if (id >= sectorCount_) return {};
    const uint64_t at = uint64_t(id + 1) * sectorSize_;
    return bytes_.substr(at, sectorSize_);  // the last sector may be cut short
}

std::vector<uint32_t> Cfb::Chain(const std::vector<uint32_t>& table, uint32_t start, uint64_t want, bool bridge) const {
    const bool regular = &table == &fat_;
    const uint64_t present = regular ? sectorCount_ : Units(miniStream_.size(), kMiniSectorSize);
    const uint32_t limit = uint32_t(std::min<uint64_t>(table.size(), present));
    auto usable = [&](uint32_t id, const std::vector<bool>& seen) {
        return id < limit && !seen[id] && !(regular && reserved_[id]);
    };
    std::vector<uint32_t> out;
    std::vector<bool> seen;
    uint32_t high = 0;  // bridges only ever move forward, so all of them cost one pass
    for (uint32_t id = start; out.size() < want;) {
        if (seen.empty()) seen.assign(limit, false);
        if (!usable(id, seen)) {
            // A proper end, a start that names nothing, or nothing to bridge.
            if (!bridge || id == kEndOfChain || out.empty()) break;
            uint32_t next = high + 1;
            while (next < limit && !usable(next, seen)) ++next;
            if (next >= limit) break;
            id = next;
        }
        seen[id] = true;
        out.push_back(id);
        high = std::max(high, id);
        id = table[id];
    }
    return out;
}

std::string Cfb::ReadRegular(uint32_t start, uint64_t size) const {
    std::string out;
    for (uint32_t id : Chain(fat_, start, Units(size, sectorSize_), true)) {
        std::string_view s = Sector(id);
        const size_t want = size_t(std::min<uint64_t>(sectorSize_, size - out.size()));
        out.append(s.substr(0, want));
        out.append(want - std::min(want, s.size()), '\0');  // the file's last sector, cut short
    }
    return out;
}

std::string Cfb::ReadMini(uint32_t start, uint64_t size) const {
    std::string out;
    for (uint32_t id : Chain(miniFat_, start, Units(size, kMiniSectorSize), true)) {
        const size_t want = size_t(std::min<uint64_t>(kMiniSectorSize, size - out.size()));
        std::string_view s = std::string_view(miniStream_).substr(size_t(id) * kMiniSectorSize, want);
        out.append(s);
        out.append(want - s.size(), '\0');
    }
    return out;
}

const Cfb::Entry* Cfb::Find(std::string_view name) const {
    for (const Entry& e : top_)
        if (text::EqualsAsciiNoCase(e.name, name)) return &e;
    for (const Entry& e : all_)
        if (e.type == EntryType::Stream && text::EqualsAsciiNoCase(e.name, name)) return &e;
    return nullptr;
}

std::string Cfb::Read(const Entry& e) const {
    if (e.type != EntryType::Stream) throw Error(ErrorKind::Damaged, "The compound file entry is not a stream");
    if (e.size == 0) return {};
    if (e.size < kMiniCutoff) return ReadMini(e.start, e.size);
    return ReadRegular(e.start, e.size);
}

std::optional<std::string> Cfb::ReadStream(std::string_view name) const {
    const Entry* e = Find(name);
    if (!e || e->type != EntryType::Stream) return std::nullopt;
    return Read(*e);
}

}  // namespace sheets
