// Conditional formats of 2010 and later, kept in the worksheet's <extLst>:
// the details of data bars, and rules that have no earlier form.
#include <gtest/gtest.h>

#include <chrono>

#include "XlsxFixtures.h"
#include "sheets/html/HtmlWriter.h"

using namespace sheets;

namespace {

const CondRule& OnlyRule(const Sheet& s, size_t format) {
    EXPECT_GT(s.condFormats.size(), format);
    EXPECT_EQ(s.condFormats[format].rules.size(), 1u);
    return s.condFormats[format].rules[0];
}

// A rule of the main list that names its details by id.
std::string LinkedBar(const std::string& sqref, const std::string& id, int priority) {
    return "<conditionalFormatting sqref=\"" + sqref + "\"><cfRule type=\"dataBar\" priority=\"" +
           std::to_string(priority) +
           "\"><dataBar><cfvo type=\"min\"/><cfvo type=\"max\"/><color rgb=\"FF638EC6\"/></dataBar>"
           "<extLst><ext uri=\"{B025F937-C7B1-47D3-B67F-A62EFF666E3E}\"><x14:id>" +
           id + "</x14:id></ext></extLst></cfRule></conditionalFormatting>";
}

std::string Extensions(const std::string& formats) {
    return "<extLst><ext xmlns:x14=\"http://schemas.microsoft.com/office/spreadsheetml/2009/9/main\" "
           "uri=\"{78C0D931-6437-407d-A8EE-F0AAD7539E65}\"><x14:conditionalFormattings>" +
           formats + "</x14:conditionalFormattings></ext></extLst>";
}

std::string X14Format(const std::string& rules, const std::string& sqref) {
    return "<x14:conditionalFormatting xmlns:xm=\"http://schemas.microsoft.com/office/excel/2006/main\">" + rules +
           "<xm:sqref>" + sqref + "</xm:sqref></x14:conditionalFormatting>";
}

Workbook LoadSheet(const std::string& after) {
    return fixtures::Load(
        fixtures::Package(fixtures::SheetXml("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>", "", after)));
}

}  // namespace

TEST(XlsxCondFormatsX14, DataBarDetailsFromTheWriter) {
    const Workbook wb = fixtures::Load(fixtures::Xlsxwriter([](lxw_workbook* book) {
        lxw_worksheet* ws = workbook_add_worksheet(book, nullptr);
        for (int row = 0; row < 4; ++row) worksheet_write_number(ws, row, 0, row - 1, nullptr);
        lxw_conditional_format plain = {};
        plain.type = LXW_CONDITIONAL_DATA_BAR;
        plain.data_bar_2010 = LXW_TRUE;
        worksheet_conditional_format_range(ws, 0, 0, 3, 0, &plain);
        lxw_conditional_format styled = {};
        styled.type = LXW_CONDITIONAL_DATA_BAR;
        styled.bar_solid = LXW_TRUE;
        styled.bar_color = 0x63BE7B;
        styled.bar_negative_color = 0x00B050;
        styled.bar_border_color = 0x000080;
        styled.bar_negative_border_color_same = LXW_TRUE;
        styled.bar_axis_position = LXW_CONDITIONAL_BAR_AXIS_MIDPOINT;
        styled.bar_axis_color = 0xFF0000;
        styled.bar_direction = LXW_CONDITIONAL_BAR_DIRECTION_RIGHT_TO_LEFT;
        styled.bar_only = LXW_TRUE;
        worksheet_conditional_format_range(ws, 0, 1, 3, 1, &styled);
        lxw_conditional_format bare = {};
        bare.type = LXW_CONDITIONAL_DATA_BAR;
        bare.data_bar_2010 = LXW_TRUE;
        bare.bar_no_border = LXW_TRUE;
        bare.bar_negative_color_same = LXW_TRUE;
        bare.bar_axis_position = LXW_CONDITIONAL_BAR_AXIS_NONE;
        worksheet_conditional_format_range(ws, 0, 2, 3, 2, &bare);
    }));
    const Sheet& s = wb.sheets[0];
    ASSERT_EQ(s.condFormats.size(), 3u);  // the details join their rules: no formats of their own

    const CondRule& plain = OnlyRule(s, 0);
    EXPECT_EQ(plain.kind, CfKind::DataBar);
    EXPECT_TRUE(plain.barExtended);
    ASSERT_EQ(plain.points.size(), 2u);
    EXPECT_EQ(plain.points[0].kind, CfPoint::Kind::AutoMin);
    EXPECT_EQ(plain.points[1].kind, CfPoint::Kind::AutoMax);
    EXPECT_EQ(plain.barMinLength, 0);
    EXPECT_EQ(plain.barMaxLength, 100);
    EXPECT_TRUE(plain.barGradient);
    EXPECT_EQ(plain.barBorder, Color::Rgb(0x638EC6));
    EXPECT_EQ(plain.barNegative, Color::Rgb(0xFF0000));
    EXPECT_EQ(plain.barNegativeBorder, Color::Rgb(0xFF0000));
    EXPECT_EQ(plain.barAxis, BarAxis::Automatic);
    EXPECT_FALSE(plain.barRightToLeft);
    EXPECT_EQ(plain.priority, 1u);

    const CondRule& styled = OnlyRule(s, 1);
    EXPECT_FALSE(styled.barGradient);
    EXPECT_EQ(styled.colors.at(0), Color::Rgb(0x63BE7B));
    EXPECT_EQ(styled.barNegative, Color::Rgb(0x00B050));
    EXPECT_EQ(styled.barBorder, Color::Rgb(0x000080));
    EXPECT_FALSE(styled.barNegativeBorder.set);  // as the positive bars'
    EXPECT_EQ(styled.barAxis, BarAxis::Middle);
    EXPECT_EQ(styled.barAxisColor, Color::Rgb(0xFF0000));
    EXPECT_TRUE(styled.barRightToLeft);
    EXPECT_FALSE(styled.showValue);

    const CondRule& bare = OnlyRule(s, 2);
    EXPECT_FALSE(bare.barBorder.set);
    EXPECT_FALSE(bare.barNegative.set);
    EXPECT_FALSE(bare.barNegativeBorder.set);
    EXPECT_EQ(bare.barAxis, BarAxis::None);
}

TEST(XlsxCondFormatsX14, RulesOnlyInTheExtensionList) {
    const std::string rules =
        X14Format(
            "<x14:cfRule type=\"iconSet\" priority=\"3\" id=\"{1}\"><x14:iconSet iconSet=\"3Stars\" "
            "custom=\"1\" showValue=\"0\"><x14:cfvo type=\"percent\"><xm:f>0</xm:f></x14:cfvo>"
            "<x14:cfvo type=\"percent\"><xm:f>33</xm:f></x14:cfvo><x14:cfvo type=\"formula\" gte=\"0\">"
            "<xm:f>$A$1*2</xm:f></x14:cfvo><x14:cfIcon iconSet=\"3Flags\" iconId=\"2\"/>"
            "<x14:cfIcon iconSet=\"NoIcons\" iconId=\"0\"/><x14:cfIcon iconSet=\"5Boxes\" iconId=\"4\"/>"
            "</x14:iconSet></x14:cfRule>",
            "A1:A9") +
        X14Format(
            "<x14:cfRule type=\"cellIs\" priority=\"1\" operator=\"between\" stopIfTrue=\"1\" id=\"{2}\">"
            "<xm:f>Other!$A$1</xm:f><xm:f>10</xm:f><x14:dxf><font><b/><color rgb=\"FF9C0006\"/></font>"
            "<fill><patternFill><bgColor rgb=\"FFFFC7CE\"/></patternFill></fill>"
            "<border><left style=\"thin\"><color rgb=\"FF0000FF\"/></left></border></x14:dxf>"
            "</x14:cfRule>"
            "<x14:cfRule type=\"containsText\" priority=\"2\" operator=\"containsText\" id=\"{3}\">"
            "<xm:f>NOT(ISERROR(SEARCH(Other!$B$1,B1)))</xm:f><xm:f>Other!$B$1</xm:f></x14:cfRule>",
            "B1:B5 D2") +
        X14Format(
            "<x14:cfRule type=\"dataBar\" priority=\"4\" id=\"{4}\"><x14:dataBar>"
            "<x14:cfvo type=\"num\"><xm:f>0</xm:f></x14:cfvo><x14:cfvo type=\"max\"/>"
            "<x14:fillColor rgb=\"FF112233\"/></x14:dataBar></x14:cfRule>",
            "C1:C3");
    const Workbook wb = LoadSheet(Extensions(rules));
    const Sheet& s = wb.sheets[0];
    ASSERT_EQ(s.condFormats.size(), 3u);

    const CondRule& icons = OnlyRule(s, 0);
    EXPECT_EQ(icons.kind, CfKind::IconSet);
    EXPECT_EQ(icons.iconSet, IconSetKind::Stars3);
    EXPECT_EQ(icons.priority, 3u);
    EXPECT_FALSE(icons.showValue);
    ASSERT_EQ(icons.points.size(), 3u);
    EXPECT_EQ(icons.points[1].value, 33);
    EXPECT_EQ(icons.points[2].kind, CfPoint::Kind::Formula);
    EXPECT_EQ(icons.points[2].formula, "$A$1*2");
    EXPECT_FALSE(icons.points[2].gte);
    const std::vector<CfIcon> picked = {
        {IconSetKind::Flags3, 2}, {IconSetKind::TrafficLights3, -1}, {IconSetKind::Boxes5, 4}};
    EXPECT_EQ(icons.icons, picked);

    ASSERT_EQ(s.condFormats[1].ranges.size(), 2u);
    EXPECT_EQ(s.condFormats[1].ranges[1].row1, 1u);
    EXPECT_EQ(s.condFormats[1].ranges[1].col1, 3u);
    ASSERT_EQ(s.condFormats[1].rules.size(), 2u);
    const CondRule& cell = s.condFormats[1].rules[0];
    EXPECT_EQ(cell.kind, CfKind::CellIs);
    EXPECT_EQ(cell.op, CfOperator::Between);
    EXPECT_TRUE(cell.stopIfTrue);
    EXPECT_EQ(cell.formulas, (std::vector<std::string>{"Other!$A$1", "10"}));
    EXPECT_EQ(cell.diff, -1);
    ASSERT_TRUE(cell.ownDiff);
    EXPECT_EQ(cell.ownDiff->bold, 1);
    EXPECT_EQ(cell.ownDiff->fontColor, Color::Rgb(0x9C0006));
    EXPECT_EQ(cell.ownDiff->fill, Color::Rgb(0xFFC7CE));
    EXPECT_EQ(cell.ownDiff->left.style, BorderStyle::Thin);
    EXPECT_EQ(cell.ownDiff->left.color, Color::Rgb(0x0000FF));
    // Its text is another sheet's cell: only its formula says what it matches.
    const CondRule& text = s.condFormats[1].rules[1];
    EXPECT_EQ(text.kind, CfKind::Expression);
    EXPECT_EQ(text.formulas.at(0), "NOT(ISERROR(SEARCH(Other!$B$1,B1)))");
    EXPECT_FALSE(text.ownDiff);

    const CondRule& bar = OnlyRule(s, 2);
    EXPECT_EQ(bar.kind, CfKind::DataBar);
    EXPECT_EQ(bar.colors.at(0), Color::Rgb(0x112233));
    EXPECT_EQ(bar.points.at(0).kind, CfPoint::Kind::Number);
    EXPECT_EQ(bar.points.at(1).kind, CfPoint::Kind::Max);
    EXPECT_EQ(bar.barMinLength, 10);  // the schema's defaults
    EXPECT_EQ(bar.barMaxLength, 90);
}

// Ids that lead nowhere, twice or to a rule of another kind, and rules
// the engine could not draw: each is dropped alone, the sheet still read.
TEST(XlsxCondFormatsX14, BrokenLinksAndUnknownRules) {
    const std::string main = LinkedBar("A1:A3", "{A}", 1) + LinkedBar("B1:B3", "{A}", 2) +
                             "<conditionalFormatting sqref=\"C1\"><cfRule type=\"cellIs\" priority=\"3\" "
                             "operator=\"equal\"><formula>1</formula><extLst><ext><x14:id>{C}</x14:id></ext>"
                             "</extLst></cfRule></conditionalFormatting>";
    const std::string ext = X14Format(
        "<x14:cfRule type=\"dataBar\" id=\"{A}\"><x14:dataBar axisPosition=\"middle\"/></x14:cfRule>"
        "<x14:cfRule type=\"dataBar\" id=\"{C}\"><x14:dataBar axisPosition=\"middle\"/></x14:cfRule>"
        "<x14:cfRule type=\"iconSet\" priority=\"5\"><x14:iconSet iconSet=\"3Stars\" custom=\"1\">"
        "<x14:cfvo type=\"percent\"><xm:f>0</xm:f></x14:cfvo><x14:cfIcon iconSet=\"9Moons\" iconId=\"1\"/>"
        "</x14:iconSet></x14:cfRule>"
        "<x14:cfRule type=\"iconSet\" priority=\"6\"><x14:iconSet iconSet=\"3Stars\" custom=\"1\">"
        "<x14:cfvo type=\"percent\"><xm:f>0</xm:f></x14:cfvo><x14:cfIcon iconSet=\"3Stars\" iconId=\"1\"/>"
        "<x14:cfIcon iconSet=\"3Stars\" iconId=\"2\"/></x14:iconSet></x14:cfRule>"
        "<x14:cfRule type=\"iconSet\" priority=\"7\"><x14:iconSet iconSet=\"3Stars\">"
        "<x14:cfvo type=\"percent\"><xm:f>A1</xm:f></x14:cfvo><x14:cfvo type=\"bogus\"/></x14:iconSet></x14:cfRule>"
        "<x14:cfRule type=\"beginsWith\" priority=\"8\"/>",
        "E1");
    const Workbook wb = LoadSheet(main + Extensions(ext));
    const Sheet& s = wb.sheets[0];
    ASSERT_EQ(s.condFormats.size(), 3u);  // none added: every unlinked rule above is unusable
    // Both rules naming {A} have their details; the text rule's id was another kind's.
    EXPECT_EQ(OnlyRule(s, 0).barAxis, BarAxis::Middle);
    EXPECT_EQ(OnlyRule(s, 1).barAxis, BarAxis::Middle);
    EXPECT_EQ(OnlyRule(s, 2).kind, CfKind::CellIs);
    EXPECT_FALSE(OnlyRule(s, 2).barExtended);
}

TEST(XlsxCondFormatsX14, ThousandsOfRulesStayBounded) {
    // More rules than a sheet keeps: those past the limit are dropped whole.
    std::string xml;
    for (int i = 0; i < 66000; ++i) xml += "<x14:cfRule type=\"expression\"><xm:f>A1</xm:f></x14:cfRule>";
    const std::string ext = X14Format(xml, "A1:B2");
    const auto start = std::chrono::steady_clock::now();
    const Workbook wb = LoadSheet(Extensions(ext));
    HtmlOptions o;
    EXPECT_FALSE(RenderHtml(wb, o).empty());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
    size_t rules = 0;
    for (const CondFormat& f : wb.sheets[0].condFormats) {
        rules += f.rules.size();
        for (const CondRule& r : f.rules) EXPECT_EQ(r.formulas.size(), 1u);  // nothing spilled onto another rule
    }
    EXPECT_EQ(rules, size_t(1) << 16);
}
