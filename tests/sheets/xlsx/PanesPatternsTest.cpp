// Frozen panes and pattern fills as the reader finds them.
#include <gtest/gtest.h>

#include "XlsxFixtures.h"

using namespace sheets;

TEST(XlsxPanes, FrozenPanesButNotSplits) {
    const auto load = [](const std::string& views) {
        return fixtures::Load(fixtures::Package(fixtures::SheetXml("", "<sheetViews>" + views + "</sheetViews>")));
    };
    Workbook wb = load(
        R"(<sheetView workbookViewId="0"><pane xSplit="2" ySplit="1" topLeftCell="C2" state="frozen"/></sheetView>)");
    EXPECT_EQ(wb.sheets[0].frozenRows, 1u);
    EXPECT_EQ(wb.sheets[0].frozenCols, 2u);
    wb = load(R"(<sheetView workbookViewId="0"><pane xSplit="2000" ySplit="1500" state="split"/></sheetView>)");
    EXPECT_EQ(wb.sheets[0].frozenRows, 0u);
    wb = load(
        R"(<sheetView workbookViewId="0"/><sheetView workbookViewId="1"><pane ySplit="3" state="frozen"/></sheetView>)");
    EXPECT_EQ(wb.sheets[0].frozenRows, 0u);  // another window's view
    wb = load(R"(<sheetView workbookViewId="0"><pane ySplit="1e300" state="frozen"/></sheetView>)");
    EXPECT_EQ(wb.sheets[0].frozenRows, 1048576u);
}

TEST(XlsxPatterns, HatchesByName) {
    const std::string styles = R"(<?xml version="1.0"?>
<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
<fonts count="1"><font><sz val="11"/><name val="Calibri"/></font></fonts>
<fills count="4"><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill>
<fill><patternFill patternType="lightTrellis"><fgColor rgb="FFFF0000"/><bgColor rgb="FF00FF00"/></patternFill></fill>
<fill><patternFill patternType="solid"><fgColor rgb="FFFF0000"/></patternFill></fill></fills>
<borders count="1"><border/></borders>
<cellXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellXfs>
</styleSheet>)";
    const Workbook wb = fixtures::Load(fixtures::Package(fixtures::SheetXml(""), "", styles));
    ASSERT_EQ(wb.styles.fills.size(), 4u);
    EXPECT_EQ(wb.styles.fills[1].hatch, Hatch::Gray125);
    EXPECT_EQ(wb.styles.fills[2].hatch, Hatch::LightTrellis);
    EXPECT_EQ(wb.styles.fills[2].bg, Color::Rgb(0x00FF00));
    EXPECT_EQ(wb.styles.fills[3].hatch, Hatch::None);
}
