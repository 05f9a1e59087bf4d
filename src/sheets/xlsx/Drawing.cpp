#include "sheets/xlsx/Drawing.h"

#include <algorithm>

#include "sheets/Errors.h"
#include "sheets/model/Chart.h"
#include "sheets/xlsx/ChartPart.h"
#include "sheets/xlsx/DrawingShapes.h"
#include "sheets/xlsx/ValueText.h"

namespace sheets::xlsx {

namespace {

struct PendingPicture {
    Picture pic;
    std::string embed;
    std::string chart, chartEx;  // relationship ids of a graphic frame's chart
    std::string name;
    bool oneCell = false;
};

// A drawing holds at most this many charts: each is drawn in full.
constexpr size_t kMaxChartsPerDrawing = 1024;

class DrawingHandler final : public SaxHandler {
public:
    std::vector<PendingPicture> pictures, charts;
    bool hasShapes = false;

    void Start(std::string_view n, Attrs a) override {
        ++depth_;
        if (skip_) {
            // Newer chart kinds sit in a choice only; their fallback is a text box.
            if (anchor_ && n == "chart" && cur_.chartEx.empty()) cur_.chartEx = AttrString(a, "id");
            return;
        }
        if (n == "Choice") {  // alternate content: read the fallback only
            skip_ = depth_;
            return;
        }
        if (n == "twoCellAnchor" || n == "oneCellAnchor" || n == "absoluteAnchor") {
            anchor_ = true;
            cur_ = PendingPicture{};
            cur_.oneCell = n != "twoCellAnchor";
            hasPic_ = false;
            return;
        }
        if (!anchor_) return;
        if (n == "sp" || n == "cxnSp" || n == "grpSp") hasShapes = true;
        if (n == "from") where_ = &cur_.pic.from;
        else if (n == "to") where_ = &cur_.pic.to;
        else if (where_ && (n == "col" || n == "row" || n == "colOff" || n == "rowOff")) {
            field_ = std::string(n);
            text_.clear();
            wantText = true;
        } else if (n == "graphicFrame") {
            inFrame_ = true;
        } else if (inFrame_ && n == "cNvPr") {
            cur_.name = AttrString(a, "name");
        } else if (inFrame_ && n == "chart") {
            cur_.chart = AttrString(a, "id");
        } else if (n == "ext" && !inFrame_) {
            int64_t cx = AttrInt(a, "cx", -1), cy = AttrInt(a, "cy", -1);
            if (cx >= 0 && cy >= 0 && (cur_.pic.widthEmu == 0 || !inPic_)) {
                cur_.pic.widthEmu = cx;
                cur_.pic.heightEmu = cy;
            }
        } else if (n == "pos" && !inPic_) {
            // An absolute anchor: offsets from the sheet's top-left corner.
            cur_.pic.from.colOffset = std::clamp<int64_t>(AttrInt(a, "x", 0), 0, int64_t(1) << 40);
            cur_.pic.from.rowOffset = std::clamp<int64_t>(AttrInt(a, "y", 0), 0, int64_t(1) << 40);
        } else if (n == "pic") {
            inPic_ = true;
            hasPic_ = true;
        } else if (inPic_ && n == "cNvPr") {
            cur_.pic.description = AttrString(a, "descr");
        } else if (inPic_ && n == "blip") {
            cur_.embed = AttrString(a, "embed");
        } else if (inPic_ && n == "srcRect") {
            const char* sides[4] = {"l", "t", "r", "b"};  // thousandths of a percent
            for (int i = 0; i < 4; ++i)
                cur_.pic.crop[i] = double(std::clamp<int64_t>(AttrInt(a, sides[i], 0), -10000000, 100000)) / 100000;
        }
    }

    void End(std::string_view n) override {
        if (skip_) {
            if (skip_ == depth_) skip_ = 0;
            --depth_;
            return;
        }
        --depth_;
        if (!anchor_) return;
        if (wantText && n == field_) {
            wantText = false;
            int64_t v = 0;
            if (!ParseInt(text_, v) || v < 0) v = 0;
            if (n == "col") where_->col = uint32_t(std::min<int64_t>(v, 16383));
            else if (n == "row") where_->row = uint32_t(std::min<int64_t>(v, 1048575));
            else if (n == "colOff") where_->colOffset = std::min<int64_t>(v, int64_t(1) << 40);
            else where_->rowOffset = std::min<int64_t>(v, int64_t(1) << 40);
        } else if (n == "from" || n == "to") {
            where_ = nullptr;
        } else if (n == "pic") {
            inPic_ = false;
        } else if (n == "graphicFrame") {
            inFrame_ = false;
        } else if (n == "twoCellAnchor" || n == "oneCellAnchor" || n == "absoluteAnchor") {
            anchor_ = false;
            if (cur_.oneCell) cur_.pic.to = cur_.pic.from;
            if (hasPic_ && !cur_.embed.empty()) {
                pictures.push_back(std::move(cur_));
            } else if ((!cur_.chart.empty() || !cur_.chartEx.empty()) && charts.size() < kMaxChartsPerDrawing) {
                charts.push_back(std::move(cur_));
            }
        }
    }

    void Text(std::string_view t) override { text_.append(t); }

private:
    PendingPicture cur_;
    Anchor* where_ = nullptr;
    std::string field_, text_;
    int depth_ = 0, skip_ = 0;
    bool anchor_ = false, inPic_ = false, hasPic_ = false, inFrame_ = false;
};

uint64_t ChartBytes(const Chart& c) {
    uint64_t n = sizeof(Chart);
    for (const auto& g : c.groups)
        for (const auto& s : g.series) {
            n += sizeof(ChartSeries) + 8 * (s.values.size() + s.categoryNumbers.size() + s.bubbleSizes.size());
            for (const auto& t : s.categories) n += sizeof(std::string) + t.size();
            for (const auto& t : s.outerCategories) n += sizeof(std::string) + t.size();
            n += s.points.size() * sizeof(ChartPoint);
        }
    return n;
}

void AddPictures(const Package& pkg, std::vector<PendingPicture>& found, std::vector<Picture>& out, uint64_t& budget,
                 const std::vector<Relationship>& rels) {
    RelIndex byId(rels);
    for (auto& p : found) {
        const Relationship* rel = byId.Find(p.embed);
        if (!rel || rel->external || !pkg.Has(rel->target)) continue;  // a linked or missing image shows nothing
        std::string data = pkg.Read(rel->target);
        if (data.size() > budget)
            throw Error(ErrorKind::TooLarge,
                        "The workbook is too large to read (its pictures exceed the memory limit)");
        budget -= data.size();
        p.pic.data = std::move(data);
        p.pic.contentType = pkg.ImageType(rel->target);
        out.push_back(std::move(p.pic));
    }
}

}  // namespace

void ParseDrawing(const Package& pkg, const std::string& part, Sheet& sheet, uint64_t& budget,
                  const std::vector<uint32_t>& scheme) {
    DrawingHandler h;
    pkg.Parse(part, h);
    if (h.hasShapes) {
        // The tree is bounded in size: a drawing too large for it keeps its
        // pictures and charts and loses only its shapes.
        XmlTree tree;
        bool read = true;
        try {
            tree.Read(pkg, part);
        } catch (const Error&) {
            read = false;
        }
        if (read) ReadDrawingShapes(tree, scheme, sheet.shapes);
    }
    if (h.pictures.empty() && h.charts.empty()) return;
    const auto rels = pkg.Rels(part);
    AddPictures(pkg, h.pictures, sheet.pictures, budget, rels);
    RelIndex byId(rels);
    for (auto& p : h.charts) {
        Chart chart;
        const Relationship* rel = byId.Find(p.chart.empty() ? p.chartEx : p.chart);
        if (!rel || rel->external || !pkg.Has(rel->target)) {
            chart.unsupported = "missing";
        } else if (p.chart.empty() || rel->type == "chartEx") {
            chart = ReadChartExPart(pkg, rel->target);
        } else {
            chart = ReadChartPart(pkg, rel->target, scheme);
        }
        // A chart's data counts against the same memory limit as pictures:
        // many anchors may name one large part.
        const uint64_t cost = ChartBytes(chart);
        if (cost > budget) {
            Chart placeholder;
            placeholder.title = std::move(chart.title);
            placeholder.unsupported = "too large";
            chart = std::move(placeholder);
        } else {
            budget -= cost;
        }
        chart.from = p.pic.from;
        chart.to = p.pic.to;
        chart.widthEmu = p.pic.widthEmu;
        chart.heightEmu = p.pic.heightEmu;
        chart.name = std::move(p.name);
        sheet.charts.push_back(std::make_shared<const Chart>(std::move(chart)));
    }
}

}  // namespace sheets::xlsx
