#include "sheets/html/SheetCharts.h"

#include <algorithm>

#include "sheets/chart/ChartSvg.h"
#include "sheets/html/Placement.h"
#include "sheets/model/Chart.h"

namespace sheets::html {

namespace {

constexpr size_t kDrainAt = size_t(1) << 20;
// A chart sheet's chart when its drawing gives no size: the page's usual chart sheet.
constexpr int64_t kChartSheetWidth = 977, kChartSheetHeight = 638;

int64_t Px(int64_t emu) { return EmuToPx(emu); }

}  // namespace

int64_t AppendWorksheetCharts(const Sheet& sheet, const SheetGeometry& geo, bool date1904, std::string& out,
                              const Drain& drain) {
    int64_t bottom = 0;
    for (const auto& c : sheet.charts) {
        Box b = PlaceAnchored(c->from, c->to, c->widthEmu, c->heightEmu, geo);
        // An anchor without extent still gets a chart of the usual size.
        if (b.w <= 0) b.w = 480;
        if (b.h <= 0) b.h = 288;
        b.w = std::min<int64_t>(b.w, 8000);
        b.h = std::min<int64_t>(b.h, 8000);
        chart::AppendChartSvg(out, *c, int(b.w), int(b.h), date1904,
                              "position:absolute;left:" + std::to_string(b.x) + "px;top:" + std::to_string(b.y) + "px");
        out += '\n';
        if (drain && out.size() >= kDrainAt) drain(out);
        bottom = std::max(bottom, b.y + b.h);
    }
    return bottom;
}

void AppendChartSheet(const Sheet& sheet, bool date1904, std::string& out, const Drain& drain) {
    for (const auto& c : sheet.charts) {
        int64_t w = c->widthEmu > 0 ? Px(c->widthEmu) : kChartSheetWidth;
        int64_t h = c->heightEmu > 0 ? Px(c->heightEmu) : kChartSheetHeight;
        w = std::clamp<int64_t>(w, 8, 8000);
        h = std::clamp<int64_t>(h, 8, 8000);
        chart::AppendChartSvg(out, *c, int(w), int(h), date1904, "display:block");
        out += '\n';
        if (drain && out.size() >= kDrainAt) drain(out);
    }
}

}  // namespace sheets::html
