#pragma once
// Builds workbook streams record by record for tests, and wraps them in a
// compound file.
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "sheets/container/CfbTestFile.h"

namespace xlstest {

inline std::string U8(uint8_t v) { return std::string(1, char(v)); }
inline std::string U16(uint16_t v) { return {char(v), char(v >> 8)}; }
inline std::string U32(uint32_t v) { return U16(uint16_t(v)) + U16(uint16_t(v >> 16)); }
inline std::string F64(double d) {
    std::string s(8, '\0');
    std::memcpy(s.data(), &d, 8);
    return s;
}
inline std::string Rec(uint16_t type, const std::string& body) { return U16(type) + U16(uint16_t(body.size())) + body; }
// A string with a 16-bit length and 8-bit characters (newer files).
inline std::string Str16(const std::string& latin1) { return U16(uint16_t(latin1.size())) + U8(0) + latin1; }
// The same with 16-bit characters, given as UTF-16 code units.
inline std::string Wide16(const std::u16string& s) {
    std::string out = U16(uint16_t(s.size())) + U8(1);
    for (char16_t c : s) out += U16(c);
    return out;
}
inline std::string CellAt(uint16_t row, uint16_t col, uint16_t xf) { return U16(row) + U16(col) + U16(xf); }

struct SheetSpec {
    std::string name;
    std::string records;  // between BOF and EOF
    uint8_t type = 0;  // 0 worksheet, 1 macro, 2 chart
    uint8_t state = 0;  // 0 visible, 1 hidden, 2 very hidden
};

// A workbook stream: BOF, `globals`, one BOUNDSHEET per sheet with the right
// offsets, EOF, then each sheet's substream.
inline std::string Stream(const std::string& globals, const std::vector<SheetSpec>& sheets, bool biff8 = true) {
    const uint16_t version = biff8 ? 0x0600 : 0x0500;
    auto bof = [&](uint16_t type) {
        return Rec(0x0809, U16(version) + U16(type) + (biff8 ? std::string(12, '\0') : std::string(4, '\0')));
    };
    auto boundsheet = [&](const SheetSpec& s, uint32_t offset) {
        std::string name = biff8 ? U8(uint8_t(s.name.size())) + U8(0) + s.name : U8(uint8_t(s.name.size())) + s.name;
        return Rec(0x0085, U32(offset) + U8(s.state) + U8(s.type) + name);
    };
    size_t head = bof(5).size() + globals.size() + Rec(0x000A, "").size();
    for (const auto& s : sheets) head += boundsheet(s, 0).size();
    std::string subs;
    std::vector<uint32_t> offsets;
    for (const auto& s : sheets) {
        offsets.push_back(uint32_t(head + subs.size()));
        subs += bof(s.type == 2 ? 0x20 : s.type == 1 ? 0x40 : 0x10) + s.records + Rec(0x000A, "");
    }
    std::string out = bof(5) + globals;
    for (size_t i = 0; i < sheets.size(); ++i) out += boundsheet(sheets[i], offsets[i]);
    return out + Rec(0x000A, "") + subs;
}

// Minimal globals of a newer file: one font, the 16 style formats and one
// cell format (index 15, General, font 0), plus an optional SST.
inline std::string BasicGlobals(const std::string& extra = "") {
    std::string font = Rec(0x0031, U16(200) + U16(0) + U16(0x7FFF) + U16(400) + U16(0) + U8(0) + U8(0) + U8(0) + U8(0) +
                                       U8(5) + U8(0) + "Arial");
    std::string xfs;
    for (int i = 0; i < 16; ++i) {
        const uint16_t flags = i < 15 ? 0xFFF5 : 0x0001;  // style formats, then one cell format
        xfs += Rec(0x00E0,
                   U16(0) + U16(0) + U16(flags) + U8(0x20) + U8(0) + U8(0) + U8(0) + U32(0) + U32(0) + U16(0x20C0));
    }
    return font + xfs + extra;
}

// Obfuscates a newer file's workbook stream with XOR under `password`, as
// Excel does: a FILEPASS record after the first BOF (the sheet offsets move
// by its size), then every record body after it (but the BOF records and the
// sheet offsets) rotated left by 5 bits and XORed with the array position
// that the stream offset plus the record's size gives. The array is the
// password padded to 16 bytes, XORed with the key's low byte (even places)
// or high byte (odd places) and rotated right by one bit.
inline std::string XorObfuscate(const std::string& stream, const std::string& password, uint16_t key,
                                uint16_t verifier) {
    static constexpr uint8_t kPad[15] = {0xBB, 0xFF, 0xFF, 0xBA, 0xFF, 0xFF, 0xB9, 0x80,
                                         0x00, 0xBE, 0x0F, 0x00, 0xBF, 0x0F, 0x00};
    uint8_t array[16];
    for (size_t p = 0; p < 16; ++p) {
        const uint8_t x = uint8_t((p < password.size() ? uint8_t(password[p]) : kPad[p - password.size()]) ^
                                  (p % 2 ? key >> 8 : key & 0xFF));
        array[p] = uint8_t(x >> 1 | x << 7);
    }
    const std::string filePass = Rec(0x002F, U16(0) + U16(key) + U16(verifier));
    auto u16 = [](const std::string& s, size_t at) { return uint16_t(uint8_t(s[at]) | uint8_t(s[at + 1]) << 8); };
    const size_t firstLen = 4 + u16(stream, 2);
    std::string out = stream.substr(0, firstLen) + filePass + stream.substr(firstLen);
    for (size_t at = firstLen + filePass.size(); at + 4 <= out.size();) {
        const uint16_t type = u16(out, at);
        const size_t len = u16(out, at + 2);
        size_t from = 0;
        if (type == 0x0085) {
            uint32_t offset = uint32_t(u16(out, at + 4)) | uint32_t(u16(out, at + 6)) << 16;
            out.replace(at + 4, 4, U32(uint32_t(offset + filePass.size())));
            from = 4;
        }
        if (type != 0x0809) {
            for (size_t i = from; i < len; ++i) {
                const size_t pos = at + 4 + i;
                const uint8_t b = uint8_t(out[pos]);
                out[pos] = char(uint8_t(b << 5 | b >> 3) ^ array[(pos + len) % 16]);
            }
        }
        at += 4 + len;
    }
    return out;
}

inline std::string Cfb(const std::string& stream, const std::string& name = "Workbook") {
    return cfbtest::Write({{name, stream}}).bytes;
}

}  // namespace xlstest
