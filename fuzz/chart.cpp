// Feeds arbitrary bytes to the chart part reader and draws what it read:
// any input must come back as a chart (or a placeholder) and a bounded
// drawing, never a crash or an unbounded one.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sheets/chart/ChartSvg.h"
#include "sheets/xlsx/ChartPart.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view xml(reinterpret_cast<const char*>(data), size);
    const sheets::Chart chart = sheets::xlsx::ReadChartXml(xml, {});
    std::string svg;
    sheets::chart::AppendChartSvg(svg, chart, 480, 288, false);
    // Every point may cost a few hundred bytes, and no more.
    if (svg.size() > (size_t(64) << 20)) std::abort();
    return 0;
}
