// One chart of each kind, made by libxlsxwriter, read back and drawn; the
// drawings are pinned byte for byte. After an intended change of the
// drawing, run with QUINDLE_UPDATE_GOLDEN=1 and look at the new files of
// tests/sheets/chart/golden/ in a browser before committing them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "sheets/chart/ChartSvg.h"
#include "sheets/html/HtmlWriter.h"
#include "sheets/model/Chart.h"
#include "sheets/xlsx/ChartPart.h"
#include "sheets/xlsx/XlsxFixtures.h"
#include "support/Golden.h"

namespace {

void ExpectGolden(const std::string& name, const std::string& svg) {
    ExpectGoldenFile(std::filesystem::path(__FILE__).parent_path() / "golden" / (name + ".svg"), svg + "\n");
}

// A sheet of data: categories in A, three series in B..D, a chart of the
// type over them; `more` adjusts the chart.
std::string Book(uint8_t type, const std::function<void(lxw_workbook*, lxw_chart*)>& more = {}) {
    return fixtures::Xlsxwriter([&](lxw_workbook* wb) {
        lxw_worksheet* ws = workbook_add_worksheet(wb, "Data");
        const char* cats[] = {"North", "South", "East", "West", "Centre"};
        const double values[3][5] = {{10, 40, 50, 20, 10}, {30, 60, 70, 50, 40}, {25, 15, 35, 45, 30}};
        worksheet_write_string(ws, 0, 1, "Apples", nullptr);
        worksheet_write_string(ws, 0, 2, "Pears", nullptr);
        worksheet_write_string(ws, 0, 3, "Plums", nullptr);
        for (int r = 0; r < 5; ++r) {
            worksheet_write_string(ws, lxw_row_t(r + 1), 0, cats[r], nullptr);
            for (int c = 0; c < 3; ++c)
                worksheet_write_number(ws, lxw_row_t(r + 1), lxw_col_t(c + 1), values[c][r], nullptr);
        }
        lxw_chart* chart = workbook_add_chart(wb, type);
        const bool pie = type == LXW_CHART_PIE || type == LXW_CHART_DOUGHNUT;
        for (int c = 0; c < (pie ? 1 : 3); ++c) {
            const std::string col(1, char('B' + c));
            lxw_chart_series* s =
                chart_add_series(chart, "=Data!$A$2:$A$6", ("=Data!$" + col + "$2:$" + col + "$6").c_str());
            chart_series_set_name(s, ("=Data!$" + col + "$1").c_str());
        }
        if (more) more(wb, chart);
        worksheet_insert_chart(ws, 7, 1, chart);
    });
}

std::string Draw(const std::string& bytes) {
    const sheets::Workbook wb = fixtures::Load(bytes);
    if (wb.sheets.empty() || wb.sheets[0].charts.empty()) return "no chart";
    std::string svg;
    sheets::chart::AppendChartSvg(svg, *wb.sheets[0].charts[0], 480, 288, wb.date1904);
    return svg;
}

struct Kind {
    const char* name;
    uint8_t type;
};

const Kind kKinds[] = {
    {"column", LXW_CHART_COLUMN},
    {"column_stacked", LXW_CHART_COLUMN_STACKED},
    {"column_percent", LXW_CHART_COLUMN_STACKED_PERCENT},
    {"bar", LXW_CHART_BAR},
    {"bar_stacked", LXW_CHART_BAR_STACKED},
    {"line", LXW_CHART_LINE},
    {"line_stacked", LXW_CHART_LINE_STACKED},
    {"area", LXW_CHART_AREA},
    {"area_stacked", LXW_CHART_AREA_STACKED},
    {"pie", LXW_CHART_PIE},
    {"doughnut", LXW_CHART_DOUGHNUT},
    {"scatter", LXW_CHART_SCATTER},
    {"scatter_lines", LXW_CHART_SCATTER_STRAIGHT_WITH_MARKERS},
    {"scatter_smooth", LXW_CHART_SCATTER_SMOOTH},
    {"radar", LXW_CHART_RADAR_WITH_MARKERS},
    {"radar_filled", LXW_CHART_RADAR_FILLED},
};

class ChartKinds : public ::testing::TestWithParam<Kind> {};

TEST_P(ChartKinds, DrawsAsPinned) { ExpectGolden(GetParam().name, Draw(Book(GetParam().type))); }

INSTANTIATE_TEST_SUITE_P(Chart, ChartKinds, ::testing::ValuesIn(kKinds),
                         [](const ::testing::TestParamInfo<Kind>& i) { return std::string(i.param.name); });

TEST(ChartGolden, TitlesAxisFormatsLabelsAndLegendPlace) {
    const std::string bytes = fixtures::Xlsxwriter([](lxw_workbook* wb) {
        lxw_worksheet* ws = workbook_add_worksheet(wb, "Data");
        for (int r = 0; r < 6; ++r) {
            worksheet_write_number(ws, lxw_row_t(r), 0, 2020 + r, nullptr);
            worksheet_write_number(ws, lxw_row_t(r), 1, 1000.5 * (r + 1), nullptr);
        }
        lxw_chart* col = workbook_add_chart(wb, LXW_CHART_COLUMN);
        lxw_chart_series* s = chart_add_series(col, "=Data!$A$1:$A$6", "=Data!$B$1:$B$6");
        chart_series_set_name(s, "Revenue & <costs>");
        chart_series_set_labels(s);
        chart_title_set_name(col, "Results 2020-2025");
        chart_axis_set_name(col->x_axis, "Year");
        chart_axis_set_name(col->y_axis, "Euro");
        chart_axis_set_num_format(col->y_axis, "#,##0");
        chart_axis_set_max(col->y_axis, 8000);
        chart_legend_set_position(col, LXW_CHART_LEGEND_BOTTOM);
        worksheet_insert_chart(ws, 7, 1, col);
    });
    ExpectGolden("titled", Draw(bytes));
}

std::string NumLit(std::initializer_list<double> values) {
    std::string s = "<c:numLit><c:ptCount val=\"" + std::to_string(values.size()) + "\"/>";
    int i = 0;
    for (double v : values)
        s += "<c:pt idx=\"" + std::to_string(i++) + "\"><c:v>" + std::to_string(v) + "</c:v></c:pt>";
    return s + "</c:numLit>";
}

TEST(ChartGolden, ColumnsWithALineOnASecondaryAxis) {
    // libxlsxwriter makes no combined charts: the part is written out.
    const std::string xml =
        R"(<c:chartSpace xmlns:c="c"><c:chart><c:plotArea><c:barChart><c:barDir val="col"/><c:grouping val="clustered"/>)"
        R"(<c:ser><c:idx val="0"/><c:order val="0"/><c:tx><c:v>Units</c:v></c:tx><c:cat><c:strLit><c:ptCount val="3"/>)"
        R"(<c:pt idx="0"><c:v>Q1</c:v></c:pt><c:pt idx="1"><c:v>Q2</c:v></c:pt><c:pt idx="2"><c:v>Q3</c:v></c:pt></c:strLit></c:cat>)"
        R"(<c:val>)" +
        NumLit({120, 340, 260}) +
        R"(</c:val></c:ser><c:gapWidth val="80"/><c:axId val="1"/><c:axId val="2"/></c:barChart>)"
        R"(<c:lineChart><c:grouping val="standard"/><c:ser><c:idx val="1"/><c:order val="1"/><c:tx><c:v>Share</c:v></c:tx>)"
        R"(<c:val><c:numRef><c:numCache><c:formatCode>0%</c:formatCode><c:ptCount val="3"/><c:pt idx="0"><c:v>0.1</c:v></c:pt>)"
        R"(<c:pt idx="1"><c:v>0.35</c:v></c:pt><c:pt idx="2"><c:v>0.3</c:v></c:pt></c:numCache></c:numRef></c:val>)"
        R"(<c:marker val="1"/></c:ser><c:axId val="3"/><c:axId val="4"/></c:lineChart>)"
        R"(<c:catAx><c:axId val="1"/><c:scaling/><c:axPos val="b"/><c:crossAx val="2"/></c:catAx>)"
        R"(<c:valAx><c:axId val="2"/><c:scaling/><c:axPos val="l"/><c:majorGridlines/><c:crossAx val="1"/></c:valAx>)"
        R"(<c:catAx><c:axId val="3"/><c:scaling/><c:delete val="1"/><c:axPos val="b"/><c:crossAx val="4"/></c:catAx>)"
        R"(<c:valAx><c:axId val="4"/><c:scaling/><c:axPos val="r"/><c:crossAx val="3"/><c:crosses val="max"/></c:valAx>)"
        R"(</c:plotArea><c:legend><c:legendPos val="r"/></c:legend></c:chart></c:chartSpace>)";
    std::string svg;
    sheets::chart::AppendChartSvg(svg, sheets::xlsx::ReadChartXml(xml, {}), 480, 288, false);
    ExpectGolden("combined", svg);
}

TEST(ChartGolden, BubblesFromAHandMadePart) {
    // libxlsxwriter makes no bubble charts: the part is written out.
    const std::string xml =
        R"(<c:chartSpace xmlns:c="http://schemas.openxmlformats.org/drawingml/2006/chart">)"
        R"(<c:chart><c:plotArea><c:bubbleChart><c:varyColors val="0"/>)"
        R"(<c:ser><c:idx val="0"/><c:order val="0"/><c:tx><c:v>Cities</c:v></c:tx>)"
        R"(<c:xVal><c:numLit><c:ptCount val="3"/><c:pt idx="0"><c:v>1</c:v></c:pt><c:pt idx="1"><c:v>2</c:v></c:pt><c:pt idx="2"><c:v>3</c:v></c:pt></c:numLit></c:xVal>)"
        R"(<c:yVal><c:numLit><c:ptCount val="3"/><c:pt idx="0"><c:v>10</c:v></c:pt><c:pt idx="1"><c:v>30</c:v></c:pt><c:pt idx="2"><c:v>20</c:v></c:pt></c:numLit></c:yVal>)"
        R"(<c:bubbleSize><c:numLit><c:ptCount val="3"/><c:pt idx="0"><c:v>5</c:v></c:pt><c:pt idx="1"><c:v>20</c:v></c:pt><c:pt idx="2"><c:v>10</c:v></c:pt></c:numLit></c:bubbleSize>)"
        R"(</c:ser><c:axId val="1"/><c:axId val="2"/></c:bubbleChart>)"
        R"(<c:valAx><c:axId val="1"/><c:scaling/><c:axPos val="b"/><c:crossAx val="2"/></c:valAx>)"
        R"(<c:valAx><c:axId val="2"/><c:scaling/><c:axPos val="l"/><c:majorGridlines/><c:crossAx val="1"/></c:valAx>)"
        R"(</c:plotArea><c:legend><c:legendPos val="r"/></c:legend></c:chart></c:chartSpace>)";
    std::string svg;
    sheets::chart::AppendChartSvg(svg, sheets::xlsx::ReadChartXml(xml, {}), 480, 288, false);
    ExpectGolden("bubble", svg);
}

TEST(ChartGolden, DisplayUnitsDivideTheLabelsAndNameThemselves) {
    const std::string xml =
        R"(<c:chartSpace xmlns:c="c"><c:chart><c:plotArea><c:barChart><c:ser><c:idx val="0"/><c:val>)" +
        NumLit({1500, 5200}) +
        R"(</c:val></c:ser><c:axId val="1"/><c:axId val="2"/></c:barChart><c:valAx><c:axId val="2"/><c:axPos val="l"/>)"
        R"(<c:dispUnits><c:builtInUnit val="thousands"/><c:dispUnitsLbl/></c:dispUnits></c:valAx>)"
        R"(</c:plotArea></c:chart></c:chartSpace>)";
    std::string svg;
    sheets::chart::AppendChartSvg(svg, sheets::xlsx::ReadChartXml(xml, {}), 480, 288, false);
    EXPECT_NE(svg.find(">6</text>"), std::string::npos);
    EXPECT_EQ(svg.find(">6000</text>"), std::string::npos);
    EXPECT_NE(svg.find(">Thousands</text>"), std::string::npos);
}

TEST(ChartPage, ChartsSitAtTheirAnchorsAndChartSheetsShowTheirs) {
    const std::string bytes = fixtures::Xlsxwriter([](lxw_workbook* wb) {
        lxw_worksheet* ws = workbook_add_worksheet(wb, "Data");
        for (int r = 0; r < 3; ++r) worksheet_write_number(ws, lxw_row_t(r), 0, r + 1, nullptr);
        lxw_chart* a = workbook_add_chart(wb, LXW_CHART_COLUMN);
        chart_add_series(a, nullptr, "=Data!$A$1:$A$3");
        chart_title_set_name(a, "First");
        worksheet_insert_chart(ws, 4, 2, a);  // C5
        lxw_chart* b = workbook_add_chart(wb, LXW_CHART_PIE);
        chart_add_series(b, nullptr, "=Data!$A$1:$A$3");
        chart_title_set_name(b, "On its own sheet");
        lxw_chartsheet* cs = workbook_add_chartsheet(wb, "Pie");
        chartsheet_set_chart(cs, b);
    });
    const sheets::Workbook wb = fixtures::Load(bytes);
    ASSERT_EQ(wb.sheets.size(), 2u);
    ASSERT_EQ(wb.sheets[0].charts.size(), 1u);
    ASSERT_EQ(wb.sheets[1].charts.size(), 1u);
    EXPECT_EQ(wb.sheets[1].kind, sheets::SheetKind::Chart);
    const std::string page = sheets::RenderHtml(wb, {});
    // Column C starts at 2 * 64 px, row 5 at 4 * 20 px; the default chart is 480 x 288.
    EXPECT_NE(page.find(R"(role="img" aria-label="First" width="480" height="288" viewBox="0 0 480 288" )"
                        R"(style="position:absolute;left:128px;top:80px")"),
              std::string::npos);
    EXPECT_NE(page.find(R"(role="img" aria-label="On its own sheet")"), std::string::npos);
    EXPECT_EQ(page.find("<script"), std::string::npos);
    // The same workbook always gives the same page.
    EXPECT_EQ(page, sheets::RenderHtml(fixtures::Load(bytes), {}));
}

std::string Rels(const std::string& type, const std::string& target) {
    return R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
           R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/)" +
           type + R"(" Target=")" + target + R"("/></Relationships>)";
}

TEST(ChartPage, NewerChartKindsKeepTheirPlaceAndTitle) {
    // A waterfall chart: only a choice of the drawing's alternate content
    // names it; the fallback is a text box.
    const std::string sheet = fixtures::SheetXml("", "", R"(<drawing r:id="rId1"/>)");
    const std::string drawing =
        R"(<xdr:wsDr xmlns:xdr="x" xmlns:a="a" xmlns:mc="mc" xmlns:cx="cx" xmlns:r="r"><xdr:oneCellAnchor>)"
        R"(<xdr:from><xdr:col>1</xdr:col><xdr:colOff>0</xdr:colOff><xdr:row>2</xdr:row><xdr:rowOff>0</xdr:rowOff></xdr:from>)"
        R"(<xdr:ext cx="3048000" cy="1905000"/><mc:AlternateContent><mc:Choice Requires="cx1"><xdr:graphicFrame>)"
        R"(<xdr:xfrm><a:off x="0" y="0"/><a:ext cx="0" cy="0"/></xdr:xfrm><a:graphic><a:graphicData>)"
        R"(<cx:chart r:id="rId1"/></a:graphicData></a:graphic></xdr:graphicFrame></mc:Choice><mc:Fallback>)"
        R"(<xdr:sp><xdr:txBody><a:p><a:r><a:t>This chart isn't available</a:t></a:r></a:p></xdr:txBody></xdr:sp>)"
        R"(</mc:Fallback></mc:AlternateContent><xdr:clientData/></xdr:oneCellAnchor></xdr:wsDr>)";
    const std::string chartEx =
        R"(<cx:chartSpace xmlns:cx="cx" xmlns:a="a"><cx:chart><cx:title><cx:tx><cx:txData><cx:v>Cash flow</cx:v>)"
        R"(</cx:txData></cx:tx></cx:title></cx:chart></cx:chartSpace>)";
    const std::string bytes =
        fixtures::Package(sheet, "", "",
                          {{"xl/worksheets/_rels/sheet1.xml.rels", Rels("drawing", "../drawings/d1.xml")},
                           {"xl/drawings/d1.xml", drawing},
                           {"xl/drawings/_rels/d1.xml.rels", Rels("chartEx", "../charts/chartEx1.xml")},
                           {"xl/charts/chartEx1.xml", chartEx}});
    const std::string page = sheets::RenderHtml(fixtures::Load(bytes), {});
    // 320 x 200 px from the anchor's extent, not the frame's empty one.
    EXPECT_NE(page.find(R"(role="img" aria-label="Cash flow" width="320" height="200")"), std::string::npos);
    EXPECT_NE(page.find("chart not shown"), std::string::npos);
    EXPECT_NE(page.find(">Cash flow</text>"), std::string::npos);
}

TEST(ChartPage, MissingCachesAreTakenFromTheCells) {
    // The chart part names its ranges but caches nothing, as some writers leave it.
    auto rels = [](const std::string& type, const std::string& target) { return Rels(type, target); };
    const std::string sheet = fixtures::SheetXml(
        R"(<row r="1"><c r="A1" t="inlineStr"><is><t>Spring</t></is></c><c r="B1"><v>3</v></c></row>)"
        R"(<row r="2"><c r="A2" t="inlineStr"><is><t>Autumn</t></is></c><c r="B2"><v>7</v></c></row>)"
        R"(<row r="3"><c r="B3" t="inlineStr"><is><t>Harvest</t></is></c></row>)",
        "", R"(<drawing r:id="rId1"/>)");
    const std::string drawing =
        R"(<xdr:wsDr xmlns:xdr="x" xmlns:a="a" xmlns:c="c" xmlns:r="r"><xdr:twoCellAnchor>)"
        R"(<xdr:from><xdr:col>3</xdr:col><xdr:colOff>0</xdr:colOff><xdr:row>1</xdr:row><xdr:rowOff>0</xdr:rowOff></xdr:from>)"
        R"(<xdr:to><xdr:col>9</xdr:col><xdr:colOff>0</xdr:colOff><xdr:row>15</xdr:row><xdr:rowOff>0</xdr:rowOff></xdr:to>)"
        R"(<xdr:graphicFrame><xdr:nvGraphicFramePr><xdr:cNvPr id="2" name="Chart 1"/></xdr:nvGraphicFramePr>)"
        R"(<xdr:xfrm><a:off x="0" y="0"/><a:ext cx="0" cy="0"/></xdr:xfrm><a:graphic><a:graphicData>)"
        R"(<c:chart r:id="rId1"/></a:graphicData></a:graphic></xdr:graphicFrame><xdr:clientData/></xdr:twoCellAnchor></xdr:wsDr>)";
    const std::string chart =
        R"(<c:chartSpace xmlns:c="c"><c:chart><c:plotArea><c:barChart><c:barDir val="col"/><c:ser><c:idx val="0"/>)"
        R"(<c:tx><c:strRef><c:f>Sheet1!$B$3</c:f></c:strRef></c:tx>)"
        R"(<c:cat><c:strRef><c:f>Sheet1!$A$1:$A$2</c:f></c:strRef></c:cat>)"
        R"(<c:val><c:numRef><c:f>'Sheet1'!$B$1:$B$2</c:f></c:numRef></c:val></c:ser>)"
        R"(<c:axId val="1"/><c:axId val="2"/></c:barChart></c:plotArea></c:chart></c:chartSpace>)";
    const std::string bytes =
        fixtures::Package(sheet, "", "",
                          {{"xl/worksheets/_rels/sheet1.xml.rels", rels("drawing", "../drawings/d1.xml")},
                           {"xl/drawings/d1.xml", drawing},
                           {"xl/drawings/_rels/d1.xml.rels", rels("chart", "../charts/c1.xml")},
                           {"xl/charts/c1.xml", chart}});
    const sheets::Workbook wb = fixtures::Load(bytes);
    ASSERT_EQ(wb.sheets[0].charts.size(), 1u);
    const auto& c = *wb.sheets[0].charts[0];
    EXPECT_EQ(c.from.col, 3u);
    EXPECT_EQ(c.to.row, 15u);
    const auto& s = c.groups.at(0).series.at(0);
    EXPECT_EQ(s.name, "Harvest");
    ASSERT_EQ(s.values.size(), 2u);
    EXPECT_EQ(s.values[1], 7);
    ASSERT_EQ(s.categories.size(), 2u);
    EXPECT_EQ(s.categories[0], "Spring");
    const std::string page = sheets::RenderHtml(wb, {});
    EXPECT_NE(page.find(">Harvest</text>"), std::string::npos);
    EXPECT_NE(page.find(">Autumn</text>"), std::string::npos);
}

}  // namespace
