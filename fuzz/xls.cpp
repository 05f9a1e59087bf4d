// The .xls reader. Inputs that are not compound files are wrapped into one
// first, so that most of the effort goes into the records rather than the
// container's signature; those that begin like a bare Excel 2 to 4 sheet are
// also read as one.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sheets/Errors.h"
#include "sheets/container/Cfb.h"
#include "sheets/xls/XlsReader.h"

namespace {

// A compound file holding `stream` as "Workbook" in 512-byte sectors.
std::string Wrap(std::string_view stream) {
    auto put32 = [](std::string& b, size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = char(v >> (8 * i));
    };
    std::string data(stream);
    if (data.size() < 4096) data.resize(4096, '\0');  // keep it out of the mini stream
    const uint32_t n = uint32_t((data.size() + 511) / 512);
    const uint32_t fatSectors = (n + 2 + 127) / 128 + 1;
    const uint32_t total = fatSectors + 1 + n;
    std::string b(size_t(total + 1) * 512, '\0');
    const char sig[8] = {'\xD0', '\xCF', '\x11', '\xE0', '\xA1', '\xB1', '\x1A', '\xE1'};
    b.replace(0, 8, sig, 8);
    b[0x1A] = 3;
    b[0x1C] = '\xFE';
    b[0x1D] = '\xFF';
    b[0x1E] = 9;
    b[0x20] = 6;
    put32(b, 0x2C, fatSectors);
    put32(b, 0x30, fatSectors);  // the directory follows the FAT
    put32(b, 0x38, 4096);
    put32(b, 0x3C, 0xFFFFFFFE);
    put32(b, 0x44, 0xFFFFFFFE);
    for (uint32_t i = 0; i < 109; ++i) put32(b, 0x4C + 4 * i, i < fatSectors ? i : 0xFFFFFFFF);
    std::vector<uint32_t> fat(size_t(fatSectors) * 128, 0xFFFFFFFF);
    for (uint32_t i = 0; i < fatSectors; ++i) fat[i] = 0xFFFFFFFD;
    fat[fatSectors] = 0xFFFFFFFE;
    for (uint32_t i = 0; i < n; ++i) fat[fatSectors + 1 + i] = i + 1 < n ? fatSectors + 2 + i : 0xFFFFFFFE;
    for (size_t i = 0; i < fat.size(); ++i) put32(b, 512 + 4 * i, fat[i]);
    const size_t dir = size_t(fatSectors + 1) * 512;
    auto entry = [&](size_t at, std::u16string_view name, uint8_t type, uint32_t child, uint32_t start, uint32_t size) {
        for (size_t k = 0; k < name.size(); ++k) {
            b[at + 2 * k] = char(name[k]);
            b[at + 2 * k + 1] = char(name[k] >> 8);
        }
        b[at + 0x40] = char((name.size() + 1) * 2);
        b[at + 0x42] = char(type);
        put32(b, at + 0x44, 0xFFFFFFFF);
        put32(b, at + 0x48, 0xFFFFFFFF);
        put32(b, at + 0x4C, child);
        put32(b, at + 0x74, start);
        put32(b, at + 0x78, size);
    };
    entry(dir, u"Root Entry", 5, 1, 0xFFFFFFFE, 0);
    entry(dir + 128, u"Workbook", 2, 0xFFFFFFFF, fatSectors + 1, uint32_t(data.size()));
    b.replace(size_t(fatSectors + 2) * 512, data.size(), data);
    return b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        if (sheets::IsCfb(bytes)) sheets::ReadXls(bytes);
        else sheets::ReadXls(Wrap(bytes));
    } catch (const sheets::Error&) {}
    try {
        if (sheets::IsBiffStream(bytes)) sheets::ReadBiffStream(bytes);
    } catch (const sheets::Error&) {}
    return 0;
}
