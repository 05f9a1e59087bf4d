#include "sheets/model/SheetArea.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace sheets {

namespace {

bool ReadCell(std::string_view s, uint32_t& col, uint32_t& row) {
    size_t i = 0;
    if (i < s.size() && s[i] == '$') ++i;
    uint64_t c = 0;
    size_t letters = 0;
    while (i < s.size() && std::isalpha(static_cast<unsigned char>(s[i])) && letters < 4) {
        c = c * 26 + uint64_t(std::toupper(static_cast<unsigned char>(s[i])) - 'A' + 1);
        ++i, ++letters;
    }
    if (i < s.size() && s[i] == '$') ++i;
    uint64_t r = 0;
    size_t digits = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])) && digits < 8) {
        r = r * 10 + uint64_t(s[i] - '0');
        ++i, ++digits;
    }
    if (i != s.size() || !letters || !digits || c == 0 || c > 16384 || r == 0 || r > 1048576) return false;
    col = uint32_t(c - 1);
    row = uint32_t(r - 1);
    return true;
}

// A sheet name as written before the '!': quoted names double their quotes.
std::string SheetName(std::string_view written) {
    if (written.size() < 2 || written.front() != '\'' || written.back() != '\'') return std::string(written);
    written = written.substr(1, written.size() - 2);
    std::string name;
    for (size_t i = 0; i < written.size(); ++i) {
        name += written[i];
        if (written[i] == '\'' && i + 1 < written.size() && written[i + 1] == '\'') ++i;
    }
    return name;
}

}  // namespace

bool ReadSheetArea(const Workbook& wb, const Sheet* own, std::string_view f, SheetArea& out) {
    if (!f.empty() && f.front() == '=') f.remove_prefix(1);
    const size_t bang = f.rfind('!');
    out.sheet = own;
    if (bang != std::string_view::npos) {
        const std::string name = SheetName(f.substr(0, bang));
        out.sheet = nullptr;
        for (const Sheet& s : wb.sheets)
            if (s.name == name) out.sheet = &s;
        f = f.substr(bang + 1);
    }
    if (!out.sheet) return false;
    const size_t colon = f.find(':');
    if (!ReadCell(f.substr(0, colon), out.c1, out.r1)) return false;
    if (colon == std::string_view::npos) {
        out.c2 = out.c1, out.r2 = out.r1;
    } else if (!ReadCell(f.substr(colon + 1), out.c2, out.r2)) {
        return false;
    }
    if (out.r1 > out.r2) std::swap(out.r1, out.r2);
    if (out.c1 > out.c2) std::swap(out.c1, out.c2);
    return true;
}

}  // namespace sheets
