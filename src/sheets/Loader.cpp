#include "sheets/Loader.h"

#include <cstring>
#include <fstream>

#include "sheets/Errors.h"

namespace sheets {

namespace {

// A workbook is read whole into memory; larger files are refused up front.
constexpr uint64_t kMaxFileBytes = 512ull << 20;

constexpr unsigned char kCfbMagic[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

uint32_t Le32(const unsigned char* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }

bool NameIs(const unsigned char* entry, std::string_view name) {
    // Directory entry: the name in UTF-16LE (64 bytes), then its byte length.
    unsigned len = entry[64] | (entry[65] << 8);
    if (len != (name.size() + 1) * 2) return false;
    for (size_t i = 0; i < name.size(); ++i)
        if (entry[2 * i] != (unsigned char)name[i] || entry[2 * i + 1] != 0) return false;
    return true;
}

// An encrypted OOXML package travels in a compound file with these streams.
// Scans the directory sectors of the compound file's FAT chain; small and
// bounded on purpose, since damaged files come here too.
bool IsEncryptedPackage(std::string_view bytes) {
    auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t size = bytes.size();
    if (size < 512) return false;
    unsigned shift = data[30] | (data[31] << 8);
    if (shift != 9 && shift != 12) return false;
    size_t sector = size_t(1) << shift;
    uint32_t numFat = Le32(data + 44);
    uint32_t dirStart = Le32(data + 48);
    auto sectorOffset = [&](uint32_t s) -> size_t { return (size_t(s) + 1) * sector; };
    // Collect the FAT sector numbers from the header's list (the first 109).
    std::vector<uint32_t> fatSectors;
    for (uint32_t i = 0; i < numFat && i < 109; ++i) fatSectors.push_back(Le32(data + 76 + 4 * i));
    auto next = [&](uint32_t s) -> uint32_t {
        size_t perSector = sector / 4;
        size_t fi = s / perSector;
        if (fi >= fatSectors.size()) return 0xFFFFFFFE;
        size_t off = sectorOffset(fatSectors[fi]) + (s % perSector) * 4;
        if (off + 4 > size) return 0xFFFFFFFE;
        return Le32(data + off);
    };
    bool info = false, package = false;
    uint32_t s = dirStart;
    for (int guard = 0; s < 0xFFFFFFFA && guard < 4096; ++guard) {
        size_t off = sectorOffset(s);
        if (off + sector > size) break;
        for (size_t e = 0; e + 128 <= sector; e += 128) {
            info = info || NameIs(data + off + e, "EncryptionInfo");
            package = package || NameIs(data + off + e, "EncryptedPackage");
        }
        s = next(s);
    }
    return info || package;
}

}  // namespace

Workbook LoadWorkbookFromMemory(std::string_view bytes) {
    if (bytes.size() > kMaxFileBytes) throw Error("The workbook is too large to read (over 512 MiB)");
    if (bytes.size() >= 4 && std::memcmp(bytes.data(), "PK\3\4", 4) == 0) return ReadXlsx(bytes);
    if (bytes.size() >= 8 && std::memcmp(bytes.data(), kCfbMagic, 8) == 0) {
        if (IsEncryptedPackage(bytes)) throw PasswordError();
        return ReadXls(bytes);
    }
    // An empty zip archive starts with its end record.
    if (bytes.size() >= 4 && std::memcmp(bytes.data(), "PK\5\6", 4) == 0)
        throw Error("Not a workbook (the zip archive is empty)");
    throw Error("Not a workbook (unknown file format)");
}

Workbook LoadWorkbook(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Error("The workbook cannot be opened (" + std::string(std::strerror(errno)) + ")");
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    if (size < 0) throw Error("The workbook cannot be read");
    if (uint64_t(size) > kMaxFileBytes) throw Error("The workbook is too large to read (over 512 MiB)");
    in.seekg(0);
    std::string bytes(size_t(size), '\0');
    if (!in.read(bytes.data(), size)) throw Error("The workbook cannot be read");
    return LoadWorkbookFromMemory(bytes);
}

}  // namespace sheets
