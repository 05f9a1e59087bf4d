// Chart parts are untrusted: whatever they hold, reading and drawing them
// ends, stays bounded, and yields a chart or a placeholder, never a crash.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "sheets/chart/ChartSvg.h"
#include "sheets/model/Chart.h"
#include "sheets/xlsx/ChartPart.h"
#include "sheets/xlsx/Drawing.h"
#include "sheets/xlsx/Package.h"
#include "sheets/xlsx/XlsxFixtures.h"

namespace {

using sheets::xlsx::ReadChartXml;

std::string Svg(const sheets::Chart& c, int w = 480, int h = 288) {
    std::string out;
    sheets::chart::AppendChartSvg(out, c, w, h, false);
    return out;
}

std::string Part(const std::string& plot, const std::string& chartExtra = "") {
    return R"(<c:chartSpace xmlns:c="c" xmlns:a="a"><c:chart>)" + chartExtra + "<c:plotArea>" + plot +
           "</c:plotArea></c:chart></c:chartSpace>";
}

std::string Series(const std::string& name, const std::string& values, const std::string& cats = "") {
    return "<c:ser><c:tx><c:v>" + name + "</c:v></c:tx>" + cats + "<c:val><c:numRef><c:numCache>" + values +
           "</c:numCache></c:numRef></c:val></c:ser>";
}

std::string Points(std::initializer_list<std::pair<int, const char*>> pts, int count) {
    std::string s = "<c:ptCount val=\"" + std::to_string(count) + "\"/>";
    for (auto [i, v] : pts) s += "<c:pt idx=\"" + std::to_string(i) + "\"><c:v>" + v + "</c:v></c:pt>";
    return s;
}

bool Placeholder(const std::string& svg) { return svg.find("chart not shown") != std::string::npos; }

TEST(ChartBadInput, DamagedOrForeignPartsBecomePlaceholders) {
    const char* parts[] = {"",
                           "not xml at all",
                           "<c:chartSpace xmlns:c=\"c\"><c:chart>",
                           "<other/>",
                           "<c:chartSpace xmlns:c=\"c\"/>",
                           "<!DOCTYPE x [<!ENTITY a \"aaaa\">]><c:chartSpace xmlns:c=\"c\">&a;</c:chartSpace>"};
    for (const char* p : parts) {
        const auto c = ReadChartXml(p, {});
        EXPECT_FALSE(c.unsupported.empty()) << p;
        const std::string svg = Svg(c);
        EXPECT_TRUE(Placeholder(svg)) << p;
        EXPECT_NE(svg.find(R"(role="img" aria-label="Chart")"), std::string::npos);
    }
}

TEST(ChartBadInput, KindsNotDrawnKeepTheirTitleInAPlaceholder) {
    const auto c =
        ReadChartXml(Part("<c:stockChart>" + Series("Open", Points({{0, "1"}}, 1)) + "</c:stockChart>",
                          "<c:title><c:tx><c:rich><a:p><a:r><a:t>Prices</a:t></a:r></a:p></c:rich></c:tx></c:title>"),
                     {});
    EXPECT_EQ(c.unsupported, "stock");
    const std::string svg = Svg(c);
    EXPECT_TRUE(Placeholder(svg));
    EXPECT_NE(svg.find(R"(aria-label="Prices")"), std::string::npos);
    EXPECT_NE(svg.find(">Prices</text>"), std::string::npos);
}

TEST(ChartBadInput, MissingCachesAndMismatchedCountsStillDraw) {
    const std::string plot =
        "<c:barChart><c:ser><c:val><c:numRef><c:f>Nowhere!$A$1:$A$3</c:f></c:numRef></c:val></c:ser>" +
        // Counts that disagree with the points, categories longer than values.
        Series("B", Points({{0, "1"}, {7, "4"}, {2, "x"}}, 3),
               "<c:cat><c:strRef><c:strCache>" +
                   std::string(R"(<c:ptCount val="9"/><c:pt idx="8"><c:v>last</c:v></c:pt>)") +
                   "</c:strCache></c:strRef></c:cat>") +
        "<c:axId val=\"1\"/><c:axId val=\"2\"/></c:barChart>";
    const auto c = ReadChartXml(Part(plot), {});
    ASSERT_EQ(c.groups.size(), 1u);
    ASSERT_EQ(c.groups[0].series.size(), 2u);
    EXPECT_TRUE(c.groups[0].series[0].values.empty());
    EXPECT_EQ(c.groups[0].series[1].values.size(), 8u);
    EXPECT_TRUE(std::isnan(c.groups[0].series[1].values[2]));
    const std::string svg = Svg(c);
    EXPECT_FALSE(Placeholder(svg));
    EXPECT_NE(svg.find(">last</text>"), std::string::npos);
}

TEST(ChartBadInput, NonNumbersAndHugeValuesAreNoPoints) {
    const std::string plot = "<c:lineChart>" +
                             Series("A", Points({{0, "NaN"}, {1, "1e308"}, {2, "-inf"}, {3, "5"}, {4, "1e-320"}}, 5)) +
                             "</c:lineChart>";
    const auto c = ReadChartXml(Part(plot), {});
    const auto& v = c.groups.at(0).series.at(0).values;
    ASSERT_EQ(v.size(), 5u);
    EXPECT_TRUE(std::isnan(v[0]));
    EXPECT_TRUE(std::isnan(v[1]));
    EXPECT_TRUE(std::isnan(v[2]));
    EXPECT_EQ(v[3], 5);
    const std::string svg = Svg(c);
    EXPECT_EQ(svg.find("nan"), std::string::npos);
    EXPECT_EQ(svg.find("inf"), std::string::npos);
}

TEST(ChartBadInput, ThousandsOfSeriesAreCappedAndSaidSo) {
    std::string plot = "<c:lineChart>";
    for (int i = 0; i < 3000; ++i) plot += Series("S" + std::to_string(i), Points({{0, "1"}, {1, "2"}}, 2));
    plot += "</c:lineChart>";
    const auto c = ReadChartXml(Part(plot), {});
    EXPECT_EQ(c.groups.at(0).series.size(), sheets::kChartMaxSeries);
    EXPECT_NE(c.note.find("series"), std::string::npos);
    const std::string svg = Svg(c);
    EXPECT_NE(svg.find("only the first 256 series are shown"), std::string::npos);
    EXPECT_LT(svg.size(), 2u << 20);
}

TEST(ChartBadInput, PointCountsAndIndicesAreBounded) {
    // A count of a trillion, an index past the cap, many real points.
    std::string pts = R"(<c:ptCount val="1000000000000"/><c:pt idx="99999999"><c:v>1</c:v></c:pt>)";
    for (int i = 0; i < 5000; ++i)
        pts += "<c:pt idx=\"" + std::to_string(i) + "\"><c:v>" + std::to_string(i % 17) + "</c:v></c:pt>";
    std::string plot = "<c:barChart>";
    for (int s = 0; s < 20; ++s) plot += Series("S", pts);
    plot += "</c:barChart>";
    const auto c = ReadChartXml(Part(plot), {});
    for (const auto& s : c.groups.at(0).series) EXPECT_LE(s.values.size(), sheets::kChartMaxPoints);
    EXPECT_NE(c.note.find("points"), std::string::npos);
    // Twenty series of 4096 points are more than one part may hold: what
    // was read is drawn, and the drawing says that more was left out.
    EXPECT_NE(c.note.find("too large"), std::string::npos);
    const std::string svg = Svg(c);
    EXPECT_NE(svg.find("the rest of it is not shown"), std::string::npos);
    EXPECT_LT(svg.size(), 8u << 20);
    // More points than one drawing shows make a placeholder that says so.
    sheets::Chart many;
    many.groups.resize(1);
    many.groups[0].series.resize(20);
    for (auto& s : many.groups[0].series) s.values.assign(sheets::kChartMaxPoints, 1.0);
    const std::string big = Svg(many);
    EXPECT_TRUE(Placeholder(big));
    EXPECT_NE(big.find("more than 65536 points"), std::string::npos);
}

TEST(ChartBadInput, AbsurdSizesAndSettingsAreClamped) {
    const std::string plot =
        R"(<c:barChart><c:gapWidth val="999999999"/><c:overlap val="-5000"/>)" +
        Series("A", Points({{0, "1"}, {1, "2"}}, 2)) +
        R"(</c:barChart><c:valAx><c:axId val="0"/><c:scaling><c:logBase val="1"/><c:max val="-1e400"/>)"
        R"(</c:scaling><c:majorUnit val="1e-300"/></c:valAx>)";
    const auto c = ReadChartXml(Part(plot), {});
    EXPECT_LE(c.groups.at(0).gapWidth, 500);
    EXPECT_GE(c.groups.at(0).overlap, -100);
    const std::string huge = Svg(c, 2000000000, -5);
    EXPECT_NE(huge.find(R"(width="8000" height="8")"), std::string::npos);
    EXPECT_LT(huge.size(), 1u << 20);
    // A unit that would draw millions of gridlines draws a bounded number.
    const std::string svg = Svg(c);
    EXPECT_LT(svg.size(), 1u << 20);
}

TEST(ChartBadInput, TextIsEscapedAndCleaned) {
    const std::string plot =
        "<c:pieChart>" +
        Series("&lt;script&gt;alert(1)&lt;/script&gt;\x01", Points({{0, "1"}, {1, "2"}}, 2),
               "<c:cat><c:strLit><c:ptCount val=\"2\"/><c:pt idx=\"0\"><c:v>a&amp;b\"c</c:v></c:pt>"
               "<c:pt idx=\"1\"><c:v>\xC3\x28 bad</c:v></c:pt></c:strLit></c:cat>") +
        "</c:pieChart>";
    const auto c = ReadChartXml(Part(plot, "<c:legend><c:legendPos val=\"r\"/></c:legend>"), {});
    const std::string svg = Svg(c);
    EXPECT_EQ(svg.find("<script"), std::string::npos);
    EXPECT_NE(svg.find("&lt;script&gt;alert(1)&lt;/script&gt; "), std::string::npos);
    EXPECT_NE(svg.find("a&amp;b&quot;c"), std::string::npos);
    EXPECT_NE(svg.find("\xEF\xBF\xBD( bad"), std::string::npos);
}

TEST(ChartBadInput, DeepNestingAndHugePartsStayBounded) {
    std::string deep;
    for (int i = 0; i < 200000; ++i) deep += "<a>";
    const auto c = ReadChartXml(Part(deep), {});
    EXPECT_FALSE(Placeholder(Svg(c)) && c.unsupported.empty());
    // A part of more elements than a chart needs is read in part.
    std::string many = "<c:lineChart>";
    many += Series("A", [] {
        std::string p = R"(<c:ptCount val="3"/>)";
        for (int i = 0; i < 300000; ++i) p += "<x/>";
        return p;
    }());
    many += "</c:lineChart>";
    const auto d = ReadChartXml(Part(many), {});
    EXPECT_NE(d.note.find("too large"), std::string::npos);
    EXPECT_LT(Svg(d).size(), 1u << 20);
}

TEST(ChartBadInput, WideDateAxesAndManySpokesDrawABoundedPicture) {
    // Two dates a few centuries apart: a tick a day would be a hundred thousand.
    const std::string dates =
        "<c:lineChart>" +
        Series("A", Points({{0, "1"}, {1, "2"}}, 2),
               "<c:cat><c:numRef><c:numCache><c:formatCode>yyyy-mm-dd</c:formatCode>" +
                   Points({{0, "1"}, {1, "99990"}}, 2) + "</c:numCache></c:numRef></c:cat>") +
        R"(<c:axId val="1"/><c:axId val="2"/></c:lineChart><c:dateAx><c:axId val="1"/><c:majorGridlines/></c:dateAx>)";
    const std::string svg = Svg(ReadChartXml(Part(dates), {}));
    EXPECT_NE(svg.find(">1900-01-01</text>"), std::string::npos);
    EXPECT_LT(svg.size(), 256u << 10);
    // A radar of thousands of spokes.
    std::string pts = R"(<c:ptCount val="4000"/>)";
    for (int i = 0; i < 4000; ++i)
        pts += "<c:pt idx=\"" + std::to_string(i) + "\"><c:v>" + std::to_string(i % 9) + "</c:v></c:pt>";
    const std::string radar = Svg(ReadChartXml(Part("<c:radarChart>" + Series("R", pts) + "</c:radarChart>"), {}));
    EXPECT_FALSE(Placeholder(radar));
    EXPECT_LT(radar.size(), 1u << 20);
}

TEST(ChartBadInput, ChartsCountAgainstTheWorkbooksMemoryLimit) {
    // Many anchors may name one part; past the budget they are placeholders.
    std::string anchors;
    for (int i = 0; i < 50; ++i)
        anchors += R"(<xdr:oneCellAnchor><xdr:from><xdr:col>0</xdr:col><xdr:row>0</xdr:row></xdr:from>)"
                   R"(<xdr:ext cx="952500" cy="952500"/><xdr:graphicFrame><a:graphic><a:graphicData>)"
                   R"(<c:chart r:id="rId1"/></a:graphicData></a:graphic></xdr:graphicFrame></xdr:oneCellAnchor>)";
    const std::string bytes = fixtures::Zip(
        {{"xl/drawings/d.xml",
          R"(<xdr:wsDr xmlns:xdr="x" xmlns:a="a" xmlns:c="c" xmlns:r="r">)" + anchors + "</xdr:wsDr>"},
         {"xl/drawings/_rels/d.xml.rels",
          R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
          R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/chart" )"
          R"(Target="../charts/c.xml"/></Relationships>)"},
         {"xl/charts/c.xml", Part("<c:barChart>" + Series("A", Points({{0, "1"}, {1, "2"}}, 2)) + "</c:barChart>")}});
    sheets::xlsx::Package pkg(bytes);
    sheets::Sheet sheet;
    uint64_t budget = 20 * sizeof(sheets::Chart);
    sheets::xlsx::ParseDrawing(pkg, "xl/drawings/d.xml", sheet, budget, {});
    ASSERT_EQ(sheet.charts.size(), 50u);
    EXPECT_TRUE(sheet.charts.front()->unsupported.empty());
    EXPECT_EQ(sheet.charts.back()->unsupported, "too large");
    EXPECT_NE(Svg(*sheet.charts.back()).find("exceed the memory limit"), std::string::npos);
}

}  // namespace
