#include "sheets/chart/AutoColors.h"

#include <algorithm>
#include <cmath>

namespace sheets::chart {

uint32_t Luminance(uint32_t rgb, double mod, double off) {
    double r = ((rgb >> 16) & 0xFF) / 255.0, g = ((rgb >> 8) & 0xFF) / 255.0, b = (rgb & 0xFF) / 255.0;
    const double mx = std::max({r, g, b}), mn = std::min({r, g, b});
    double h = 0, s = 0, l = (mx + mn) / 2;
    if (mx != mn) {
        const double d = mx - mn;
        s = l > 0.5 ? d / (2 - mx - mn) : d / (mx + mn);
        if (mx == r) h = (g - b) / d + (g < b ? 6 : 0);
        else if (mx == g) h = (b - r) / d + 2;
        else h = (r - g) / d + 4;
        h /= 6;
    }
    l = std::clamp(l * mod + off, 0.0, 1.0);
    auto hue = [](double p, double q, double t) {
        if (t < 0) t += 1;
        if (t > 1) t -= 1;
        if (t < 1.0 / 6) return p + (q - p) * 6 * t;
        if (t < 0.5) return q;
        if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
        return p;
    };
    if (s == 0) {
        r = g = b = l;
    } else {
        const double q = l < 0.5 ? l * (1 + s) : l + s - l * s, p = 2 * l - q;
        r = hue(p, q, h + 1.0 / 3);
        g = hue(p, q, h);
        b = hue(p, q, h - 1.0 / 3);
    }
    auto to8 = [](double v) { return uint32_t(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
    return to8(r) << 16 | to8(g) << 8 | to8(b);
}

uint32_t AutoColor(const std::array<uint32_t, 10>& scheme, int style, uint32_t index, uint32_t count) {
    // Each round through the six accents takes the next variation: darker,
    // lighter, and so on, repeating after nine rounds.
    static constexpr double kVariations[9][2] = {{1, 0},   {0.6, 0},   {0.8, 0.2}, {0.8, 0},  {0.6, 0.4},
                                                 {0.5, 0}, {0.7, 0.3}, {0.7, 0},   {0.5, 0.5}};
    const int family = (std::clamp(style, 1, 48) - 1) % 8;
    if (family == 1) {
        const uint32_t base = scheme[4 + index % 6];
        const auto& v = kVariations[(index / 6) % 9];
        return v[0] == 1 && v[1] == 0 ? base : Luminance(base, v[0], v[1]);
    }
    // Styles of one colour (grey for the first, an accent for the others):
    // shades from dark to light across the colours the chart needs.
    const uint32_t base = family == 0 ? 0x808080 : scheme[4 + (family - 2) % 6];
    if (count <= 1) return base;
    const double f = double(std::min(index, count - 1)) / double(count - 1);  // 0 .. 1
    return f < 0.5 ? Luminance(base, 0.5 + f, 0) : Luminance(base, 1.5 - f, f - 0.5);
}

}  // namespace sheets::chart
