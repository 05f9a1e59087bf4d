#pragma once
// Writes small compound files for tests: streams (small ones in the mini
// stream) and empty storages under the root, 512- or 4096-byte sectors. The
// layout is fixed and exposed, so that tests can damage it on purpose.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace cfbtest {

struct Item {
    std::string name;
    std::string data;
    bool storage = false;
};

struct Layout {
    std::string bytes;
    uint32_t sectorSize = 512;
    uint32_t fatSector = 0;  // the first FAT sector
    uint32_t dirSector = 0;  // the first directory sector
    std::vector<uint32_t> start;  // per item: first (mini) sector
    size_t SectorOffset(uint32_t id) const { return size_t(id + 1) * sectorSize; }
    size_t FatEntryOffset(uint32_t id) const { return SectorOffset(fatSector) + 4 * size_t(id); }
    size_t DirEntryOffset(uint32_t i) const { return SectorOffset(dirSector) + 128 * size_t(i); }
    void Put32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = char(v >> (8 * i));
    }
};

inline Layout Write(const std::vector<Item>& items, uint32_t sectorSize = 512) {
    constexpr uint32_t kEnd = 0xFFFFFFFE, kFree = 0xFFFFFFFF, kFatSect = 0xFFFFFFFD;
    const uint32_t per = sectorSize / 4;
    auto sectorsFor = [&](size_t n) { return uint32_t((n + sectorSize - 1) / sectorSize); };

    // The mini stream: small streams in 64-byte pieces.
    std::string mini;
    std::vector<uint32_t> miniFat;
    Layout out;
    out.sectorSize = sectorSize;
    out.start.assign(items.size(), kEnd);
    for (size_t i = 0; i < items.size(); ++i) {
        const Item& it = items[i];
        if (it.storage || it.data.empty() || it.data.size() >= 4096) continue;
        uint32_t first = uint32_t(mini.size() / 64);
        uint32_t n = uint32_t((it.data.size() + 63) / 64);
        for (uint32_t k = 0; k < n; ++k) miniFat.push_back(k + 1 < n ? first + k + 1 : kEnd);
        std::string padded = it.data;
        padded.resize(size_t(n) * 64, '\0');
        mini += padded;
        out.start[i] = first;
    }

    const uint32_t dirSectors = sectorsFor((items.size() + 1) * 128);
    const uint32_t miniFatSectors = sectorsFor(miniFat.size() * 4);
    const uint32_t miniSectors = sectorsFor(mini.size());
    uint32_t dataSectors = 0;
    for (const Item& it : items)
        if (!it.storage && it.data.size() >= 4096) dataSectors += sectorsFor(it.data.size());
    uint32_t fatSectors = 1;
    while (fatSectors * per < fatSectors + dirSectors + miniFatSectors + miniSectors + dataSectors) ++fatSectors;
    const uint32_t total = fatSectors + dirSectors + miniFatSectors + miniSectors + dataSectors;

    std::vector<uint32_t> fat(size_t(fatSectors) * per, kFree);
    uint32_t next = 0;
    auto chain = [&](uint32_t n) {
        uint32_t first = next;
        for (uint32_t k = 0; k < n; ++k) fat[next + k] = k + 1 < n ? next + k + 1 : kEnd;
        next += n;
        return n ? first : kEnd;
    };
    out.fatSector = next;
    for (uint32_t k = 0; k < fatSectors; ++k) fat[next++] = kFatSect;
    out.dirSector = chain(dirSectors);
    const uint32_t miniFatStart = chain(miniFatSectors);
    const uint32_t miniStart = chain(miniSectors);
    std::vector<uint32_t> bigStart(items.size(), kEnd);
    for (size_t i = 0; i < items.size(); ++i)
        if (!items[i].storage && items[i].data.size() >= 4096) bigStart[i] = chain(sectorsFor(items[i].data.size()));

    std::string& b = out.bytes;
    b.assign(size_t(total + 1) * sectorSize, '\0');
    const char sig[8] = {'\xD0', '\xCF', '\x11', '\xE0', '\xA1', '\xB1', '\x1A', '\xE1'};
    std::memcpy(b.data(), sig, 8);
    auto p16 = [&](size_t at, uint16_t v) {
        b[at] = char(v);
        b[at + 1] = char(v >> 8);
    };
    p16(0x18, 0x3E);
    p16(0x1A, sectorSize == 512 ? 3 : 4);
    p16(0x1C, 0xFFFE);
    p16(0x1E, sectorSize == 512 ? 9 : 12);
    p16(0x20, 6);
    out.Put32(0x28, sectorSize == 512 ? 0 : dirSectors);
    out.Put32(0x2C, fatSectors);
    out.Put32(0x30, out.dirSector);
    out.Put32(0x38, 4096);
    out.Put32(0x3C, miniFatSectors ? miniFatStart : kEnd);
    out.Put32(0x40, miniFatSectors);
    out.Put32(0x44, kEnd);
    for (int i = 0; i < 109; ++i) out.Put32(0x4C + 4 * i, uint32_t(i) < fatSectors ? out.fatSector + i : kFree);

    for (size_t i = 0; i < fat.size(); ++i) out.Put32(out.SectorOffset(out.fatSector) + 4 * i, fat[i]);
    for (size_t i = 0; i < miniFat.size(); ++i) out.Put32(out.SectorOffset(miniFatStart) + 4 * i, miniFat[i]);
    std::memcpy(b.data() + out.SectorOffset(miniStart), mini.data(), mini.size());

    auto entry = [&](uint32_t idx, const std::string& name, uint8_t type, uint32_t child, uint32_t right,
                     uint32_t start, uint32_t size) {
        size_t at = out.DirEntryOffset(idx);
        for (size_t k = 0; k < name.size() && k < 31; ++k) p16(at + 2 * k, uint8_t(name[k]));
        p16(at + 0x40, uint16_t((name.size() + 1) * 2));
        b[at + 0x42] = char(type);
        b[at + 0x43] = 1;  // black
        out.Put32(at + 0x44, kFree);
        out.Put32(at + 0x48, right);
        out.Put32(at + 0x4C, child);
        out.Put32(at + 0x74, start);
        out.Put32(at + 0x78, size);
    };
    entry(0, "Root Entry", 5, items.empty() ? kFree : 1, kFree, miniSectors ? miniStart : kEnd, uint32_t(mini.size()));
    for (size_t i = 0; i < items.size(); ++i) {
        const Item& it = items[i];
        const uint32_t right = i + 1 < items.size() ? uint32_t(i + 2) : kFree;
        if (it.storage) {
            entry(uint32_t(i + 1), it.name, 1, kFree, right, 0, 0);
            continue;
        }
        uint32_t start = it.data.size() >= 4096 ? bigStart[i] : out.start[i];
        if (it.data.empty()) start = kEnd;
        out.start[i] = start;
        entry(uint32_t(i + 1), it.name, 2, kFree, right, start, uint32_t(it.data.size()));
        if (it.data.size() >= 4096) {
            for (uint32_t k = 0, s = start; k < sectorsFor(it.data.size()); ++k, ++s) {
                size_t n = std::min<size_t>(sectorSize, it.data.size() - size_t(k) * sectorSize);
                std::memcpy(b.data() + out.SectorOffset(s), it.data.data() + size_t(k) * sectorSize, n);
            }
        }
    }
    return out;
}

}  // namespace cfbtest
