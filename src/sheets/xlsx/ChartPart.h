#pragma once
// The chart part (c:chartSpace) of a drawing: the chart's types, series
// with their cached values, axes, texts and look, read into sheets::Chart.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sheets/model/Chart.h"

namespace sheets::xlsx {

class Package;

// Reads a chart part. `scheme` is the theme's colour scheme in document
// order (dk1 lt1 dk2 lt2 accent1..6 hlink folHlink; empty for the default
// theme). Never throws for a damaged part: the chart then comes back with
// `unsupported` set, and is drawn as a placeholder.
Chart ReadChartPart(const Package& pkg, const std::string& part, const std::vector<uint32_t>& scheme);

// A chart of the newer extension kinds (waterfall, treemap, ...): not drawn;
// the placeholder keeps its title.
Chart ReadChartExPart(const Package& pkg, const std::string& part);

// The same for a chart part held in memory (tests, fuzzing).
Chart ReadChartXml(std::string_view xml, const std::vector<uint32_t>& scheme);

}  // namespace sheets::xlsx
