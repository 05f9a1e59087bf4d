#include "sheets/html/CellFit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "sheets/html/HtmlText.h"

namespace sheets::html {
namespace {

// Carlito's advance widths for ' ' to '~', in units of 1/2048 em.
constexpr uint16_t kRegular[95] = {
    463,  667,  821,  1020, 1038, 1464, 1397, 452,  621,  621,  1020, 1020, 511,  627,  517,  791,  1038, 1038, 1038,
    1038, 1038, 1038, 1038, 1038, 1038, 1038, 548,  548,  1020, 1020, 1020, 949,  1831, 1185, 1114, 1092, 1260, 1000,
    941,  1292, 1276, 516,  653,  1064, 861,  1751, 1322, 1356, 1058, 1378, 1112, 941,  998,  1314, 1162, 1822, 1063,
    998,  959,  628,  791,  628,  1020, 1020, 596,  981,  1076, 866,  1076, 1019, 625,  964,  1076, 470,  490,  931,
    470,  1636, 1076, 1080, 1076, 1076, 714,  801,  686,  1076, 925,  1464, 887,  927,  809,  644,  943,  644,  1020};
constexpr uint16_t kBold[95] = {
    463,  667,  898,  1020, 1038, 1493, 1443, 478,  638,  638,  1020, 1020, 528,  627,  547,  880,  1038, 1038, 1038,
    1038, 1038, 1038, 1038, 1038, 1038, 1038, 565,  565,  1020, 1020, 1020, 949,  1840, 1241, 1148, 1084, 1291, 999,
    940,  1305, 1292, 546,  678,  1120, 866,  1790, 1349, 1385, 1090, 1405, 1153, 968,  1014, 1337, 1211, 1856, 1128,
    1064, 979,  665,  880,  665,  1020, 1020, 615,  1011, 1099, 857,  1099, 1031, 648,  971,  1099, 503,  523,  983,
    503,  1666, 1099, 1101, 1099, 1099, 728,  817,  710,  1099, 969,  1526, 941,  970,  814,  704,  973,  704,  1020};
constexpr double kDigit = 1038;

// Scale from Carlito's widths to the family's, or 0 for monospaced fonts.
double ScaleOf(std::string_view name) {
    const std::string n = FoldAscii(name);
    if (n == "calibri" || n == "carlito" || n == "calibri light" || n == "cambria" || n == "caladea") return 1;
    if (n == "times new roman" || n == "liberation serif" || n == "times") return 1024 / kDigit;
    if (n == "courier new" || n == "liberation mono" || n == "courier" || n == "consolas") return 0;
    return 1139 / kDigit;
}

// Asked for every cell that is measured, nearly always with the font of the
// cell before: the last answer is kept (per thread: rows are measured on two).
double FamilyScale(std::string_view name) {
    thread_local std::string lastName;
    thread_local double lastScale = -1;
    if (lastScale < 0 || name != lastName) {
        lastScale = ScaleOf(name);
        lastName.assign(name);
    }
    return lastScale;
}

double Available(int64_t cellPx) { return double(cellPx) - 4; }  // the cell's padding

std::string Hashes(const Font& font, int64_t cellPx) {
    const double hash = TextWidthPx("#", font);
    const double n = hash > 0 ? std::floor(Available(cellPx) / hash) : 1;
    return std::string(size_t(std::clamp(n, 1.0, 1000.0)), '#');
}

// General's text for v with at most `decimals` decimals, or in scientific
// notation with `mantissa` decimals when `decimals` < 0.
std::string GeneralText(double v, int decimals, int mantissa) {
    char buf[64];
    if (decimals >= 0) {
        std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
        std::string s = buf;
        if (s.find('.') != std::string::npos) {
            while (s.back() == '0') s.pop_back();
            if (s.back() == '.') s.pop_back();
        }
        return s == "-0" ? "0" : s;
    }
    std::snprintf(buf, sizeof buf, "%.*E", mantissa, v);
    std::string s = buf;
    const size_t e = s.find('E');
    std::string m = s.substr(0, e), x = s.substr(e + 1);  // "1.20", "+08"
    if (m.find('.') != std::string::npos) {
        while (m.back() == '0') m.pop_back();
        if (m.back() == '.') m.pop_back();
    }
    const char sign = x[0];
    std::string digits = x.substr(1);
    while (digits.size() > 2 && digits[0] == '0') digits.erase(0, 1);
    return m + "E" + sign + digits;
}

}  // namespace

double TextWidthPx(std::string_view text, const Font& font) {
    const double scale = FamilyScale(font.name);
    const double size = std::isfinite(font.size) && font.size > 0 && font.size < 1000 ? font.size : 11;
    const uint16_t* table = font.bold ? kBold : kRegular;
    double units = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if ((c & 0xC0) == 0x80) continue;  // inside a character
        if (scale == 0) units += 1229;
        else units += (c >= 32 && c < 127 ? table[c - 32] : kDigit) * scale;
    }
    return units / 2048 * size * 96 / 72;
}

std::string FitNumber(std::string_view text, double value, bool general, const Font& font, int64_t cellPx) {
    if (cellPx <= 0) return {};
    const double room = Available(cellPx);
    if (TextWidthPx(text, font) <= room) return {};
    if (general && std::isfinite(value)) {
        const double a = std::fabs(value);
        const size_t point = text.find('.');
        int decimals = point == std::string_view::npos ? 0 : int(text.size() - point - 1);
        if (a >= 1e-4 && a < 1e11 && text.find('E') == std::string_view::npos)
            for (int d = decimals - 1; d >= 0; --d) {
                std::string s = GeneralText(value, d, 0);
                if (s != "0" && TextWidthPx(s, font) <= room) return s;
            }
        for (int m = 5; m >= 0; --m) {
            std::string s = GeneralText(value, -1, m);
            if (TextWidthPx(s, font) <= room) return s;
        }
    }
    return Hashes(font, cellPx);
}

double ShrunkSize(std::string_view text, const Font& font, int64_t cellPx) {
    const double width = TextWidthPx(text, font), room = Available(cellPx);
    if (width <= room || room <= 0 || width <= 0) return 0;
    const double size = std::isfinite(font.size) && font.size > 0 && font.size < 1000 ? font.size : 11;
    return std::max(1.0, std::floor(size * room / width * 10) / 10);
}

}  // namespace sheets::html
