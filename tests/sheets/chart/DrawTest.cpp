// What the drawing shows of a chart: the texts, colours and shapes a reader
// can check in the SVG, for behaviour that the golden drawings do not pin.
#include <gtest/gtest.h>

#include <initializer_list>
#include <regex>
#include <string>
#include <vector>

#include "sheets/chart/ChartSvg.h"
#include "sheets/chart/Draw.h"
#include "sheets/model/Chart.h"
#include "sheets/xlsx/ChartPart.h"

namespace {

std::string Draw(const std::string& plot, const std::string& chartExtra = "") {
    const std::string xml = R"(<c:chartSpace xmlns:c="c" xmlns:a="a"><c:chart>)" + chartExtra + "<c:plotArea>" + plot +
                            "</c:plotArea></c:chart></c:chartSpace>";
    std::string svg;
    sheets::chart::AppendChartSvg(svg, sheets::xlsx::ReadChartXml(xml, {}), 480, 288, false);
    return svg;
}

std::string Values(std::initializer_list<const char*> values) {
    std::string s = "<c:val><c:numRef><c:numCache><c:ptCount val=\"" + std::to_string(values.size()) + "\"/>";
    int i = 0;
    for (const char* v : values) s += "<c:pt idx=\"" + std::to_string(i++) + "\"><c:v>" + v + "</c:v></c:pt>";
    return s + "</c:numCache></c:numRef></c:val>";
}

size_t Count(const std::string& hay, const std::string& needle) {
    size_t n = 0;
    for (size_t p = hay.find(needle); p != std::string::npos; p = hay.find(needle, p + 1)) ++n;
    return n;
}

// The y of a text element showing exactly `text`.
double TextY(const std::string& svg, const std::string& text) {
    std::smatch m;
    const std::regex re("<text x=\"[-0-9.]+\" y=\"([-0-9.]+)\"[^>]*>" + text + "</text>");
    return std::regex_search(svg, m, re) ? std::stod(m[1]) : -1;
}

TEST(ChartDraw, VariedColoursGiveEachPointAnAccent) {
    const std::string svg = Draw(R"(<c:barChart><c:varyColors val="1"/><c:ser><c:idx val="0"/>)" +
                                     Values({"1", "2", "3"}) + R"(</c:ser></c:barChart>)",
                                 R"(<c:legend><c:legendPos val="r"/></c:legend>)");
    for (const char* accent : {"#4f81bd", "#c0504d", "#9bbb59"}) EXPECT_GE(Count(svg, accent), 2u) << accent;
    // The legend lists the points, and the series' name goes to the description.
    EXPECT_NE(svg.find(">1</text>"), std::string::npos);
}

TEST(ChartDraw, NegativeBarsInvertedShowWhite) {
    const std::string svg = Draw(R"(<c:barChart><c:ser><c:idx val="0"/><c:invertIfNegative val="1"/>)" +
                                 Values({"3", "-2"}) + "</c:ser></c:barChart>");
    EXPECT_NE(svg.find(R"(fill="#ffffff" stroke="#4f81bd")"), std::string::npos);
    EXPECT_NE(svg.find(R"(fill="#4f81bd")"), std::string::npos);
}

TEST(ChartDraw, WholeNumbersInGeneralReadAsTheNumberFormatsShowThem) {
    // Labels of whole numbers take a shorter way than other values; both
    // must write the same text.
    const sheets::Chart chart;
    std::string out;
    sheets::chart::Ctx ctx(chart, false, out);
    const auto general = sheets::NumberFormat::Compile("General");
    for (double v : {0.0, -0.0, 1.0, -1.0, 7.0, 10.0, 100.0, -250.0, 1e6, 123456789.0, 9999999999.0, -9999999999.0,
                     1e10, 12345678901.0, 1e15, 2.5, -0.5, 1e-5})
        for (const std::string code : {"", "General"})
            EXPECT_EQ(ctx.Format(v, code), general->Format(v, false).text) << v << " " << code;
}

TEST(ChartDraw, AxisLabelsFollowScaleAndFormat) {
    const std::string log =
        Draw(R"(<c:lineChart><c:ser><c:idx val="0"/>)" + Values({"3", "4500"}) +
             R"(</c:ser><c:axId val="1"/><c:axId val="2"/></c:lineChart>)"
             R"(<c:valAx><c:axId val="2"/><c:scaling><c:logBase val="10"/></c:scaling><c:axPos val="l"/></c:valAx>)");
    for (const char* t : {">1</text>", ">10</text>", ">100</text>", ">1000</text>", ">10000</text>"})
        EXPECT_NE(log.find(t), std::string::npos) << t;
    const std::string percent =
        Draw(R"(<c:barChart><c:grouping val="percentStacked"/><c:ser><c:idx val="0"/>)" + Values({"1", "3"}) +
             R"(</c:ser><c:ser><c:idx val="1"/>)" + Values({"3", "1"}) + "</c:ser></c:barChart>");
    EXPECT_NE(percent.find(">100%</text>"), std::string::npos);
    EXPECT_NE(percent.find(">20%</text>"), std::string::npos);
    // A reversed value axis puts its largest value at the top... of the bottom.
    const std::string reversed = Draw(
        R"(<c:barChart><c:ser><c:idx val="0"/>)" + Values({"1", "9"}) +
        R"(</c:ser><c:axId val="1"/><c:axId val="2"/></c:barChart>)"
        R"(<c:valAx><c:axId val="2"/><c:scaling><c:orientation val="maxMin"/></c:scaling><c:axPos val="l"/></c:valAx>)");
    EXPECT_GT(TextY(reversed, "10"), TextY(reversed, "0"));
    // A deleted axis shows no labels.
    const std::string deleted = Draw(R"(<c:barChart><c:ser><c:idx val="0"/>)" + Values({"1", "9"}) +
                                     R"(</c:ser><c:axId val="1"/><c:axId val="2"/></c:barChart>)"
                                     R"(<c:valAx><c:axId val="2"/><c:delete val="1"/><c:axPos val="l"/></c:valAx>)");
    EXPECT_EQ(deleted.find(">10</text>"), std::string::npos);
}

// Category labels that fit stay on one line; wider ones with spaces wrap
// under their slot, and long ones without room to wrap turn on their side.
TEST(ChartDraw, CategoryLabelsFitWrapOrTurn) {
    auto chart = [](const std::vector<std::string>& labels) {
        const std::string count = "<c:ptCount val=\"" + std::to_string(labels.size()) + "\"/>";
        std::string cat = "<c:cat><c:strLit>" + count, val = "<c:val><c:numLit>" + count;
        for (size_t i = 0; i < labels.size(); ++i) {
            const std::string pt = "<c:pt idx=\"" + std::to_string(i) + "\"><c:v>";
            cat += pt + labels[i] + "</c:v></c:pt>";
            val += pt + "1</c:v></c:pt>";
        }
        return Draw("<c:barChart><c:ser><c:idx val=\"0\"/>" + cat + "</c:strLit></c:cat>" + val +
                    "</c:numLit></c:val></c:ser></c:barChart>");
    };
    const std::string fit = chart({"North", "South", "East"});
    for (const char* t : {">North</text>", ">South</text>", ">East</text>"}) EXPECT_NE(fit.find(t), std::string::npos);
    EXPECT_EQ(fit.find("rotate("), std::string::npos);

    // Wide labels of short words: wrapped, word under word, as far as three lines.
    const std::string wrapped = chart({"North of the coast", "South of the hills", "East of the river",
                                       "West of the lakes", "Up in the mountains", "Down by the sea"});
    EXPECT_EQ(wrapped.find(">North of the coast</text>"), std::string::npos);
    EXPECT_EQ(wrapped.find("rotate("), std::string::npos);
    EXPECT_GT(TextY(wrapped, "the coast"), TextY(wrapped, "North of"));
    // The plot gives up height for the extra lines.
    EXPECT_LT(TextY(wrapped, "North of"), TextY(fit, "North"));

    // Many long words that no slot can hold: turned.
    std::vector<std::string> long_;
    for (int k = 0; k < 12; ++k) long_.push_back("Subcontractorship" + std::to_string(k));
    EXPECT_NE(chart(long_).find("rotate(-45"), std::string::npos);
}

TEST(ChartDraw, BlankPointsBreakLinesUnlessShownAsZero) {
    const std::string series = R"(<c:lineChart><c:ser><c:idx val="0"/><c:marker><c:symbol val="none"/></c:marker>)" +
                               Values({"1", "NaN", "3", "4"}) + "</c:ser></c:lineChart>";
    const std::string gap = Draw(series);
    const std::string zero = Draw(series, R"(<c:dispBlanksAs val="zero"/>)");
    // One piece of line (points 3 and 4) with a gap; one line through all four with zero.
    EXPECT_EQ(Count(gap, R"(stroke="#4f81bd" stroke-width="3")"), 1u);
    EXPECT_EQ(Count(zero, R"(stroke="#4f81bd" stroke-width="3")"), 1u);
    EXPECT_EQ(Count(gap.substr(gap.find(R"(<path d="M)", gap.find("#4f81bd") - 200)), "L"), Count(zero, "L") - 2);
}

TEST(ChartDraw, TitlesAsThePartSaysOrAsTheSpreadsheetMakesThem) {
    const std::string one = R"(<c:pieChart><c:ser><c:idx val="0"/><c:tx><c:v>Share</c:v></c:tx>)" + Values({"1", "2"}) +
                            "</c:ser></c:pieChart>";
    EXPECT_NE(Draw(one).find(R"(aria-label="Share")"), std::string::npos);
    EXPECT_NE(Draw(one, R"(<c:autoTitleDeleted val="1"/>)").find(R"(aria-label="Chart")"), std::string::npos);
    EXPECT_NE(Draw(one + one).find(R"(aria-label="Chart")"), std::string::npos);
    EXPECT_NE(Draw(one + one, "<c:title/>").find(R"(aria-label="Chart Title")"), std::string::npos);
}

TEST(ChartDraw, TitleRunsThatLookAlikeAreOneText) {
    const std::string plot = "<c:pieChart><c:ser><c:idx val=\"0\"/>" + Values({"1", "2"}) + "</c:ser></c:pieChart>";
    const std::string alike =
        Draw(plot, R"(<c:title><c:tx><c:rich><a:p><a:r><a:t>Sales</a:t></a:r>)"
                   R"(<a:r><a:t>(</a:t></a:r><a:r><a:t>2024)</a:t></a:r></a:p></c:rich></c:tx></c:title>)");
    EXPECT_NE(alike.find(">Sales(2024)</text>"), std::string::npos) << alike;
    EXPECT_EQ(Count(alike, "<tspan"), 0u);
    const std::string mixed =
        Draw(plot, R"(<c:title><c:tx><c:rich><a:p><a:r><a:t>Sales</a:t></a:r>)"
                   R"(<a:r><a:rPr b="0"/><a:t> 2024</a:t></a:r></a:p></c:rich></c:tx></c:title>)");
    EXPECT_EQ(Count(mixed, "<tspan"), 2u) << mixed;
}

TEST(ChartDraw, ChartAreaLookAndLegendPlace) {
    const std::string look =
        R"(<c:barChart><c:ser><c:idx val="0"/><c:tx><c:v>Only</c:v></c:tx>)" + Values({"1"}) + "</c:ser></c:barChart>";
    const std::string framed = Draw(look);
    EXPECT_NE(framed.find(R"(fill="#ffffff" stroke="#868686")"), std::string::npos);
    // Top and bottom legends sit above and below everything else.
    const std::string top = Draw(look, R"(<c:autoTitleDeleted val="1"/><c:legend><c:legendPos val="t"/></c:legend>)");
    const std::string bottom =
        Draw(look, R"(<c:autoTitleDeleted val="1"/><c:legend><c:legendPos val="b"/></c:legend>)");
    EXPECT_LT(TextY(top, "Only"), 40);
    EXPECT_GT(TextY(bottom, "Only"), 250);
}

}  // namespace
