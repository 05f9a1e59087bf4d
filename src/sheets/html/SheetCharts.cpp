#include "sheets/html/SheetCharts.h"

#include <algorithm>

#include "sheets/chart/ChartSvg.h"
#include "sheets/model/Chart.h"

namespace sheets::html {

namespace {

constexpr int64_t kEmuPerPx = 9525;
constexpr size_t kDrainAt = size_t(1) << 20;
// A chart sheet's chart when its drawing gives no size: the page's usual chart sheet.
constexpr int64_t kChartSheetWidth = 977, kChartSheetHeight = 638;

int64_t Px(int64_t emu) { return std::clamp<int64_t>(emu, 0, int64_t(1) << 40) / kEmuPerPx; }

struct Box {
    int64_t x = 0, y = 0, w = 0, h = 0;
};

Box Place(const Chart& c, const SheetGeometry& geo) {
    Box b;
    b.x = geo.X(c.from.col) + Px(c.from.colOffset);
    b.y = geo.Y(c.from.row) + Px(c.from.rowOffset);
    b.w = c.widthEmu > 0 ? Px(c.widthEmu) : geo.X(c.to.col) + Px(c.to.colOffset) - b.x;
    b.h = c.heightEmu > 0 ? Px(c.heightEmu) : geo.Y(c.to.row) + Px(c.to.rowOffset) - b.y;
    return b;
}

}  // namespace

void AppendWorksheetCharts(const Sheet& sheet, const SheetGeometry& geo, bool date1904, int64_t tableHeight,
                           std::string& out, const Drain& drain) {
    int64_t bottom = tableHeight;
    for (const auto& c : sheet.charts) {
        Box b = Place(*c, geo);
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
    if (bottom > tableHeight)
        out += "<div style=\"height:" + std::to_string(std::min<int64_t>(bottom - tableHeight, int64_t(1) << 30)) +
               "px\"></div>\n";
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
