// What the chart part reader takes from a part: kinds and groupings, series
// with their caches, axes, texts, layout and look.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "sheets/model/Chart.h"
#include "sheets/xlsx/ChartPart.h"

namespace {

using sheets::xlsx::ReadChartXml;

std::string Space(const std::string& chart, const std::string& before = "") {
    return R"(<c:chartSpace xmlns:c="c" xmlns:a="a" xmlns:mc="mc">)" + before + "<c:chart>" + chart +
           "</c:chart></c:chartSpace>";
}

TEST(ChartPart, KindsGroupingsAndThreeDVariants) {
    struct Case {
        const char* xml;
        sheets::ChartKind kind;
        sheets::Grouping grouping;
        bool horizontal, threeD;
    };
    const Case cases[] = {
        {R"(<c:barChart><c:barDir val="bar"/><c:grouping val="stacked"/></c:barChart>)", sheets::ChartKind::Bar,
         sheets::Grouping::Stacked, true, false},
        {R"(<c:bar3DChart><c:barDir val="col"/><c:grouping val="percentStacked"/></c:bar3DChart>)",
         sheets::ChartKind::Bar, sheets::Grouping::PercentStacked, false, true},
        {R"(<c:line3DChart><c:grouping val="standard"/></c:line3DChart>)", sheets::ChartKind::Line,
         sheets::Grouping::Standard, false, true},
        {R"(<c:area3DChart><c:grouping val="stacked"/></c:area3DChart>)", sheets::ChartKind::Area,
         sheets::Grouping::Stacked, false, true},
        {R"(<c:pie3DChart/>)", sheets::ChartKind::Pie, sheets::Grouping::Standard, false, true},
        {R"(<c:ofPieChart/>)", sheets::ChartKind::Pie, sheets::Grouping::Standard, false, false},
        {R"(<c:doughnutChart><c:holeSize val="75"/></c:doughnutChart>)", sheets::ChartKind::Doughnut,
         sheets::Grouping::Standard, false, false},
        {R"(<c:bubbleChart/>)", sheets::ChartKind::Bubble, sheets::Grouping::Standard, false, false},
    };
    for (const Case& c : cases) {
        const auto chart = ReadChartXml(Space("<c:plotArea>" + std::string(c.xml) + "</c:plotArea>"), {});
        ASSERT_EQ(chart.groups.size(), 1u) << c.xml;
        const auto& g = chart.groups[0];
        EXPECT_EQ(g.kind, c.kind) << c.xml;
        EXPECT_EQ(g.grouping, c.grouping) << c.xml;
        EXPECT_EQ(g.horizontal, c.horizontal) << c.xml;
        EXPECT_EQ(g.threeD, c.threeD) << c.xml;
    }
    // Pies vary colours by point unless they say otherwise; bars only when they say so.
    EXPECT_TRUE(ReadChartXml(Space("<c:plotArea><c:pieChart/></c:plotArea>"), {}).groups[0].varyColors);
    EXPECT_FALSE(ReadChartXml(Space("<c:plotArea><c:barChart/></c:plotArea>"), {}).groups[0].varyColors);
    // Stacked bars overlap fully without being told.
    EXPECT_EQ(
        ReadChartXml(Space(R"(<c:plotArea><c:barChart><c:grouping val="stacked"/></c:barChart></c:plotArea>)"), {})
            .groups[0]
            .overlap,
        100);
}

TEST(ChartPart, SeriesNamesCategoriesAndPointLooks) {
    const std::string plot =
        R"(<c:plotArea><c:lineChart><c:ser><c:idx val="3"/><c:order val="1"/>)"
        R"(<c:tx><c:strRef><c:strCache><c:ptCount val="1"/><c:pt idx="0"><c:v>Sales_x000D_</c:v></c:pt></c:strCache></c:strRef></c:tx>)"
        R"(<c:marker><c:symbol val="triangle"/><c:size val="9"/></c:marker><c:smooth val="1"/>)"
        R"(<c:dPt><c:idx val="2"/><c:explosion val="25"/><c:spPr><a:solidFill><a:srgbClr val="00FF00"/></a:solidFill></c:spPr></c:dPt>)"
        R"(<c:dLbls><c:showVal val="1"/><c:showCatName val="1"/><c:dLblPos val="t"/><c:separator>; </c:separator></c:dLbls>)"
        R"(<c:cat><c:multiLvlStrRef><c:multiLvlStrCache><c:ptCount val="3"/>)"
        R"(<c:lvl><c:pt idx="0"><c:v>Jan</c:v></c:pt><c:pt idx="1"><c:v>Feb</c:v></c:pt><c:pt idx="2"><c:v>Jan</c:v></c:pt></c:lvl>)"
        R"(<c:lvl><c:pt idx="0"><c:v>2023</c:v></c:pt><c:pt idx="2"><c:v>2024</c:v></c:pt></c:lvl>)"
        R"(</c:multiLvlStrCache></c:multiLvlStrRef></c:cat>)"
        R"(<c:val><c:numRef><c:numCache><c:formatCode>0.0%</c:formatCode><c:ptCount val="3"/>)"
        R"(<c:pt idx="0"><c:v>0.5</c:v></c:pt><c:pt idx="2"><c:v>1.5</c:v></c:pt></c:numCache></c:numRef></c:val></c:ser>)"
        R"(<c:ser><c:idx val="0"/><c:order val="0"/><c:tx><c:v>First</c:v></c:tx></c:ser>)"
        R"(<c:marker val="1"/></c:lineChart></c:plotArea>)";
    const auto c = ReadChartXml(Space(plot), {});
    const auto& g = c.groups.at(0);
    ASSERT_EQ(g.series.size(), 2u);
    // In the order the part gives, not the order they are written.
    EXPECT_EQ(g.series[0].name, "First");
    const auto& s = g.series[1];
    EXPECT_EQ(s.index, 3u);
    EXPECT_EQ(s.name, "Sales\r");
    EXPECT_EQ(s.marker.symbol, sheets::MarkerSymbol::Triangle);
    EXPECT_EQ(s.marker.size, 9);
    EXPECT_TRUE(s.smooth);
    ASSERT_EQ(s.points.size(), 1u);
    EXPECT_EQ(s.points[0].index, 2u);
    EXPECT_EQ(s.points[0].explosion, 25u);
    EXPECT_EQ(s.points[0].shape.color.rgb, 0x00FF00u);
    EXPECT_TRUE(s.labels.value && s.labels.category && !s.labels.percent);
    EXPECT_EQ(s.labels.pos, sheets::LabelPos::Above);
    EXPECT_EQ(s.labels.separator, "; ");
    EXPECT_EQ(s.categories, (std::vector<std::string>{"Jan", "Feb", "Jan"}));
    EXPECT_EQ(s.outerCategories, (std::vector<std::string>{"2023", "", "2024"}));
    EXPECT_EQ(s.valueFormat, "0.0%");
    ASSERT_EQ(s.values.size(), 3u);
    EXPECT_TRUE(std::isnan(s.values[1]));
    EXPECT_EQ(s.values[2], 1.5);
}

TEST(ChartPart, AxesTitlesLegendAndLayout) {
    const std::string chart =
        R"(<c:title><c:tx><c:rich><a:bodyPr/><a:p><a:pPr><a:defRPr sz="1400" b="0"/></a:pPr>)"
        R"(<a:r><a:rPr b="1"><a:solidFill><a:srgbClr val="FF0000"/></a:solidFill></a:rPr><a:t>Red</a:t></a:r>)"
        R"(<a:r><a:t> and plain</a:t></a:r></a:p></c:rich></c:tx><c:overlay val="1"/></c:title>)"
        R"(<c:autoTitleDeleted val="0"/><c:plotArea><c:layout><c:manualLayout><c:layoutTarget val="inner"/>)"
        R"(<c:xMode val="edge"/><c:yMode val="edge"/><c:x val="0.1"/><c:y val="0.2"/><c:w val="0.6"/><c:h val="0.5"/>)"
        R"(</c:manualLayout></c:layout><c:scatterChart><c:scatterStyle val="smoothMarker"/><c:axId val="7"/><c:axId val="8"/></c:scatterChart>)"
        R"(<c:valAx><c:axId val="7"/><c:scaling><c:logBase val="10"/><c:orientation val="maxMin"/><c:max val="1000"/></c:scaling>)"
        R"(<c:delete val="0"/><c:axPos val="b"/><c:numFmt formatCode="0.00" sourceLinked="0"/><c:majorTickMark val="cross"/>)"
        R"(<c:tickLblPos val="low"/><c:crossAx val="8"/><c:crossesAt val="3"/><c:majorUnit val="10"/></c:valAx>)"
        R"(<c:valAx><c:axId val="8"/><c:scaling/><c:delete val="1"/><c:axPos val="l"/><c:minorGridlines/><c:crossAx val="7"/>)"
        R"(<c:crosses val="max"/><c:crossBetween val="midCat"/></c:valAx></c:plotArea>)"
        R"(<c:legend><c:legendPos val="t"/><c:legendEntry><c:idx val="1"/><c:delete val="1"/></c:legendEntry></c:legend>)"
        R"(<c:dispBlanksAs val="zero"/>)";
    const auto c =
        ReadChartXml(Space(chart, R"(<mc:AlternateContent><mc:Choice><c14:style xmlns:c14="x" val="103"/>)"
                                  R"(</mc:Choice><mc:Fallback><c:style val="3"/></mc:Fallback></mc:AlternateContent>)"),
                     {});
    EXPECT_EQ(c.style, 3);
    ASSERT_EQ(c.title.runs.size(), 2u);
    EXPECT_EQ(c.title.Plain(), "Red and plain");
    EXPECT_EQ(c.title.runs[0].font.bold, 1);
    EXPECT_EQ(c.title.runs[0].font.color.rgb, 0xFF0000u);
    EXPECT_EQ(c.title.runs[1].font.size, 14);
    EXPECT_EQ(c.title.runs[1].font.bold, 0);
    EXPECT_TRUE(c.titleOverlay);
    EXPECT_TRUE(c.plotLayout.set && c.plotLayout.inner);
    EXPECT_DOUBLE_EQ(c.plotLayout.w, 0.6);
    EXPECT_TRUE(c.groups.at(0).scatterSmooth && c.groups[0].scatterMarkers);
    ASSERT_EQ(c.axes.size(), 2u);
    const auto& x = c.axes[0];
    EXPECT_EQ(x.logBase, 10);
    EXPECT_TRUE(x.reversed);
    EXPECT_EQ(x.max, 1000);
    EXPECT_TRUE(std::isnan(x.min));
    EXPECT_EQ(x.numFmt, "0.00");
    EXPECT_FALSE(x.sourceLinked);
    EXPECT_EQ(x.majorTick, sheets::TickMark::Cross);
    EXPECT_EQ(x.tickLabels, sheets::TickLabels::Low);
    EXPECT_EQ(x.crosses, sheets::Crosses::At);
    EXPECT_EQ(x.crossesAt, 3);
    EXPECT_EQ(x.majorUnit, 10);
    const auto& y = c.axes[1];
    EXPECT_TRUE(y.deleted && y.minorGrid && !y.majorGrid && !y.between);
    EXPECT_EQ(y.crosses, sheets::Crosses::Max);
    EXPECT_EQ(c.legend.pos, sheets::LegendPos::Top);
    EXPECT_EQ(c.legend.deletedEntries, (std::vector<uint32_t>{1}));
    EXPECT_FALSE(c.blanksAsGap);
}

TEST(ChartPart, AttributesAreFoundByTheirLocalNameOnly) {
    // A prefixed value is the same value; a name that merely ends alike is not.
    const auto c = ReadChartXml(Space(R"(<c:plotArea><c:barChart><c:gapWidth c:val="40"/><c:overlap xval="50"/>
        </c:barChart></c:plotArea>)"),
                                {});
    ASSERT_EQ(c.groups.size(), 1u);
    EXPECT_EQ(c.groups[0].gapWidth, 40);
    EXPECT_EQ(c.groups[0].overlap, 0);
}

}  // namespace
