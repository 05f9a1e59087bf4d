// Conditional formats and their differential formats as the reader finds them.
#include <gtest/gtest.h>

#include "XlsxFixtures.h"

using namespace sheets;

namespace {

const char* kStyles = R"(<?xml version="1.0"?>
<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
<fonts count="1"><font><sz val="11"/><name val="Calibri"/></font></fonts>
<fills count="1"><fill><patternFill patternType="none"/></fill></fills>
<borders count="1"><border/></borders>
<cellXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellXfs>
<dxfs count="3">
<dxf><font><b/><i val="0"/><strike/><color rgb="FF9C0006"/></font><fill><patternFill><bgColor rgb="FFFFC7CE"/></patternFill></fill></dxf>
<dxf><fill><patternFill patternType="solid"><fgColor theme="4"/></patternFill></fill><border><left style="thin"><color rgb="FF0000FF"/></left><bottom style="double"/></border></dxf>
<dxf><font><u/></font></dxf>
</dxfs>
</styleSheet>)";

const char* kRules = R"(
<conditionalFormatting sqref="A1:A4 C1"><cfRule type="cellIs" dxfId="0" priority="2" stopIfTrue="1" operator="between"><formula>2</formula><formula>"x""y"</formula></cfRule>
<cfRule type="expression" dxfId="1" priority="1"><formula>MOD(ROW(),2)=0</formula></cfRule></conditionalFormatting>
<conditionalFormatting sqref="B1:B9"><cfRule type="top10" dxfId="2" priority="3" rank="5" percent="1" bottom="1"/>
<cfRule type="aboveAverage" dxfId="2" priority="4" aboveAverage="0" equalAverage="1" stdDev="2"/>
<cfRule type="containsText" dxfId="2" priority="5" operator="containsText" text="ab&lt;c"><formula>NOT(ISERROR(SEARCH("ab&lt;c",B1)))</formula></cfRule>
<cfRule type="timePeriod" dxfId="2" priority="6" timePeriod="lastMonth"/>
<cfRule type="timePeriod" dxfId="2" priority="7" timePeriod="someday"/>
<cfRule type="colorScale" priority="8"><colorScale><cfvo type="min"/><cfvo type="percentile" val="50"/><cfvo type="formula" val="$A$1*2"/><color rgb="FFF8696B"/><color theme="5"/><color rgb="FF63BE7B"/></colorScale></cfRule>
<cfRule type="dataBar" priority="9"><dataBar minLength="0" maxLength="100" showValue="0"><cfvo type="min"/><cfvo type="num" val="10"/><color rgb="FF638EC6"/></dataBar></cfRule>
<cfRule type="iconSet" priority="10"><iconSet iconSet="5Quarters" reverse="1"><cfvo type="percent" val="0"/><cfvo type="percent" val="20"/><cfvo type="percent" val="40" gte="0"/><cfvo type="percent" val="60"/><cfvo type="percent" val="80"/></iconSet></cfRule>
<cfRule type="iconSet" priority="11"><iconSet iconSet="9Bogus"/></cfRule>
<cfRule type="somethingNew" priority="12"/>
</conditionalFormatting>
<conditionalFormatting sqref="ZZZZ1 A0"><cfRule type="containsBlanks" priority="13"/></conditionalFormatting>)";

}  // namespace

TEST(XlsxCondFormats, RulesAndDifferentialFormats) {
    const Workbook wb = fixtures::Load(
        fixtures::Package(fixtures::SheetXml("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>", "", kRules), "", kStyles));
    ASSERT_EQ(wb.styles.diffs.size(), 3u);
    const DiffFormat& d0 = wb.styles.diffs[0];
    EXPECT_EQ(d0.bold, 1);
    EXPECT_EQ(d0.italic, 0);
    EXPECT_EQ(d0.strike, 1);
    EXPECT_EQ(d0.underline, -1);
    EXPECT_EQ(d0.fontColor, Color::Rgb(0x9C0006));
    EXPECT_EQ(d0.fill, Color::Rgb(0xFFC7CE));
    const DiffFormat& d1 = wb.styles.diffs[1];
    EXPECT_TRUE(d1.fill.set);  // a theme colour, resolved
    EXPECT_FALSE(d1.fontColor.set);
    EXPECT_EQ(d1.left.style, BorderStyle::Thin);
    EXPECT_EQ(d1.left.color, Color::Rgb(0x0000FF));
    EXPECT_EQ(d1.bottom.style, BorderStyle::Double);
    EXPECT_EQ(d1.top.style, BorderStyle::None);
    EXPECT_EQ(wb.styles.diffs[2].underline, 1);

    const Sheet& s = wb.sheets[0];
    ASSERT_EQ(s.condFormats.size(), 3u);
    const CondFormat& f0 = s.condFormats[0];
    ASSERT_EQ(f0.ranges.size(), 2u);
    EXPECT_EQ(f0.ranges[0].row2, 3u);
    EXPECT_EQ(f0.ranges[1].col1, 2u);
    ASSERT_EQ(f0.rules.size(), 2u);
    const CondRule& between = f0.rules[0];
    EXPECT_EQ(between.kind, CfKind::CellIs);
    EXPECT_EQ(between.op, CfOperator::Between);
    EXPECT_EQ(between.priority, 2u);
    EXPECT_TRUE(between.stopIfTrue);
    EXPECT_EQ(between.formulas, (std::vector<std::string>{"2", "\"x\"\"y\""}));
    EXPECT_EQ(f0.rules[1].kind, CfKind::Expression);
    EXPECT_EQ(f0.rules[1].formulas, std::vector<std::string>{"MOD(ROW(),2)=0"});

    const auto& r = s.condFormats[1].rules;
    ASSERT_EQ(r.size(), 10u);
    EXPECT_EQ(r[0].kind, CfKind::Top10);
    EXPECT_EQ(r[0].rank, 5);
    EXPECT_TRUE(r[0].percent && r[0].bottom);
    EXPECT_EQ(r[1].kind, CfKind::AboveAverage);
    EXPECT_TRUE(r[1].below && r[1].equalAverage);
    EXPECT_EQ(r[1].stdDev, 2);
    EXPECT_EQ(r[2].kind, CfKind::ContainsText);
    EXPECT_EQ(r[2].text, "ab<c");
    EXPECT_EQ(r[3].kind, CfKind::TimePeriod);
    EXPECT_EQ(r[3].period, CfPeriod::LastMonth);
    EXPECT_EQ(r[4].kind, CfKind::Unknown);  // a period it does not know: never applied
    EXPECT_EQ(r[5].kind, CfKind::ColorScale);
    ASSERT_EQ(r[5].points.size(), 3u);
    EXPECT_EQ(r[5].points[1].kind, CfPoint::Kind::Percentile);
    EXPECT_EQ(r[5].points[1].value, 50);
    EXPECT_EQ(r[5].points[2].kind, CfPoint::Kind::Formula);
    EXPECT_EQ(r[5].points[2].formula, "$A$1*2");
    ASSERT_EQ(r[5].colors.size(), 3u);
    EXPECT_TRUE(r[5].colors[1].set);
    EXPECT_EQ(r[6].kind, CfKind::DataBar);
    EXPECT_EQ(r[6].barMinLength, 0);
    EXPECT_EQ(r[6].barMaxLength, 100);
    EXPECT_FALSE(r[6].showValue);
    EXPECT_EQ(r[6].points[1].value, 10);
    EXPECT_EQ(r[7].kind, CfKind::IconSet);
    EXPECT_EQ(r[7].iconSet, IconSetKind::Quarters5);
    EXPECT_TRUE(r[7].reverse);
    EXPECT_FALSE(r[7].points[2].gte);
    EXPECT_EQ(r[8].kind, CfKind::Unknown);
    EXPECT_EQ(r[9].kind, CfKind::Unknown);
    EXPECT_TRUE(s.condFormats[2].ranges.empty());  // nothing readable in the range list
}
