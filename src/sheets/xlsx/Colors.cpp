#include "sheets/xlsx/Colors.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "sheets/model/Palette.h"

namespace sheets::xlsx {

bool ParseHexRgb(std::string_view s, uint32_t& out) {
    if (s.size() == 8) s.remove_prefix(2);
    if (s.size() != 6) return false;
    uint32_t v = 0;
    for (char c : s) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return false;
        v = v * 16 + uint32_t(d);
    }
    out = v;
    return true;
}

ColorSpec ReadColorSpec(Attrs a) {
    ColorSpec c;
    c.tint = AttrDouble(a, "tint", 0);
    if (!std::isfinite(c.tint)) c.tint = 0;
    c.tint = std::clamp(c.tint, -1.0, 1.0);
    if (AttrBool(a, "auto", false)) return c;
    if (const char* rgb = Attr(a, "rgb")) {
        uint32_t v;
        if (ParseHexRgb(rgb, v)) {
            c.kind = ColorSpec::Kind::Rgb;
            c.value = v;
        }
        return c;
    }
    int64_t t = AttrInt(a, "theme", -1);
    if (t >= 0) {
        c.kind = ColorSpec::Kind::Theme;
        c.value = uint32_t(std::min<int64_t>(t, 1 << 20));
        return c;
    }
    int64_t i = AttrInt(a, "indexed", -1);
    if (i >= 0) {
        c.kind = ColorSpec::Kind::Indexed;
        c.value = uint32_t(std::min<int64_t>(i, 1 << 20));
    }
    return c;
}

uint32_t ApplyTint(uint32_t rgb, double tint) {
    if (tint == 0) return rgb;
    double r = ((rgb >> 16) & 0xFF) / 255.0, g = ((rgb >> 8) & 0xFF) / 255.0, b = (rgb & 0xFF) / 255.0;
    double mx = std::max({r, g, b}), mn = std::min({r, g, b});
    double l = (mx + mn) / 2, h = 0, s = 0;
    if (mx != mn) {
        double d = mx - mn;
        s = l > 0.5 ? d / (2 - mx - mn) : d / (mx + mn);
        if (mx == r) h = (g - b) / d + (g < b ? 6 : 0);
        else if (mx == g) h = (b - r) / d + 2;
        else h = (r - g) / d + 4;
        h /= 6;
    }
    l = tint < 0 ? l * (1 + tint) : l * (1 - tint) + tint;
    auto hue = [](double p, double q, double t) {
        if (t < 0) t += 1;
        if (t > 1) t -= 1;
        if (t < 1.0 / 6) return p + (q - p) * 6 * t;
        if (t < 0.5) return q;
        if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
        return p;
    };
    double R, G, B;
    if (s == 0) {
        R = G = B = l;
    } else {
        double q = l < 0.5 ? l * (1 + s) : l + s - l * s, p = 2 * l - q;
        R = hue(p, q, h + 1.0 / 3);
        G = hue(p, q, h);
        B = hue(p, q, h - 1.0 / 3);
    }
    auto to8 = [](double v) { return uint32_t(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
    return (to8(R) << 16) | (to8(G) << 8) | to8(B);
}

ColorResolver::ColorResolver() { SetScheme({}); }

void ColorResolver::SetScheme(const std::vector<uint32_t>& scheme) {
    uint32_t doc[12];
    for (size_t i = 0; i < 12; ++i) doc[i] = i < scheme.size() ? scheme[i] : kDefaultScheme[i];
    // Theme indices swap the first two pairs: 0 is lt1, 1 dk1, 2 lt2, 3 dk2.
    theme_ = {doc[1], doc[0], doc[3], doc[2], doc[4], doc[5], doc[6], doc[7], doc[8], doc[9], doc[10], doc[11]};
}

Color ColorResolver::Resolve(const ColorSpec& spec) const {
    uint32_t rgb = 0;
    switch (spec.kind) {
    case ColorSpec::Kind::None: return {};
    case ColorSpec::Kind::Rgb: rgb = spec.value; break;
    case ColorSpec::Kind::Theme:
        if (spec.value >= theme_.size()) return {};
        rgb = theme_[spec.value];
        break;
    case ColorSpec::Kind::Indexed:
        // 64 and 65 are the system foreground and background: automatic.
        if (spec.value >= 64) return {};
        if (spec.value < indexed_.size()) rgb = indexed_[spec.value];
        else if (!DefaultIndexedColor(spec.value, rgb)) return {};
        break;
    }
    return Color::Rgb(ApplyTint(rgb, spec.tint));
}

}  // namespace sheets::xlsx
