#pragma once
// Workbooks for the built-in server's tests, made on the spot, and how a
// call through the server failed.
#include <xlsxwriter.h>

#include <functional>
#include <string>

#include "automation/OleObject.h"

// The message of the error a call raises, or "(no error)".
inline std::string Failure(const std::function<void()>& call) {
    try {
        call();
    } catch (const automation::OleError& e) {
        return e.what();
    }
    return "(no error)";
}

// Two worksheets, "First" and "Second"; the second is the active one.
inline void WriteTwoSheetBook(const std::string& path) {
    lxw_workbook* wb = workbook_new(path.c_str());
    lxw_worksheet* a = workbook_add_worksheet(wb, "First");
    lxw_worksheet* b = workbook_add_worksheet(wb, "Second");
    worksheet_write_string(a, 0, 0, "alpha", nullptr);
    worksheet_write_number(b, 0, 0, 42, nullptr);
    worksheet_activate(b);
    workbook_close(wb);
}

// A compound file holding the streams of an encrypted package and nothing
// else: enough to be recognised as password-protected.
inline std::string EncryptedPackageBytes() {
    std::string f(512 * 3, '\0');
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) f[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    const unsigned char magic[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    f.replace(0, 8, reinterpret_cast<const char*>(magic), 8);
    f[24] = 0x3E;
    f[26] = 3;
    f[28] = static_cast<char>(0xFE);
    f[29] = static_cast<char>(0xFF);
    f[30] = 9;  // 512-byte sectors
    f[32] = 6;
    put32(44, 1);  // one FAT sector
    put32(48, 1);  // directory in sector 1
    put32(60, 0xFFFFFFFE);
    put32(68, 0xFFFFFFFE);
    put32(76, 0);  // the FAT is sector 0
    for (size_t i = 80; i < 512; i += 4) put32(i, 0xFFFFFFFF);
    size_t fat = 512;
    for (size_t i = 0; i < 512; i += 4) put32(fat + i, 0xFFFFFFFF);
    put32(fat, 0xFFFFFFFD);
    put32(fat + 4, 0xFFFFFFFE);
    put32(56, 4096);  // mini stream cut-off
    size_t dir = 1024;
    for (size_t at = dir; at < dir + 512; at += 128) {  // unused entries point nowhere
        put32(at + 68, 0xFFFFFFFF);
        put32(at + 72, 0xFFFFFFFF);
        put32(at + 76, 0xFFFFFFFF);
    }
    auto entry = [&](size_t at, const std::string& name, char type, uint32_t right, uint32_t child) {
        for (size_t i = 0; i < name.size(); ++i) f[at + 2 * i] = name[i];
        f[at + 64] = static_cast<char>((name.size() + 1) * 2);
        f[at + 66] = type;
        f[at + 67] = 1;  // black
        put32(at + 72, right);
        put32(at + 76, child);
        put32(at + 116, 0xFFFFFFFE);  // empty: no sectors
    };
    entry(dir, "Root Entry", 5, 0xFFFFFFFF, 1);
    entry(dir + 128, "EncryptionInfo", 2, 2, 0xFFFFFFFF);
    entry(dir + 256, "EncryptedPackage", 2, 0xFFFFFFFF, 0xFFFFFFFF);
    return f;
}
