#pragma once
// The colours the spreadsheet gives series (or, with varied colours, points)
// that state none: the theme's six accents, then darker and lighter
// variations of them; the chart style may ask for shades of one colour.
#include <array>
#include <cstdint>

namespace sheets::chart {

// `scheme`: dk1 lt1 dk2 lt2 accent1..6. `index` counts from 0; `count` is
// how many colours the chart needs (single-colour styles spread over it).
uint32_t AutoColor(const std::array<uint32_t, 10>& scheme, int style, uint32_t index, uint32_t count);

// The colour at a luminance modulation and offset (fractions), in HSL space.
uint32_t Luminance(uint32_t rgb, double mod, double off);

}  // namespace sheets::chart
