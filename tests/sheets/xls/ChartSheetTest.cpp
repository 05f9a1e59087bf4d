// Chart sheets: their place in the page, the chart's size and title, the
// sheet's background, from chart substreams made record by record.
#include <gtest/gtest.h>

#include <filesystem>

#include "XlsTestStream.h"
#include "sheets/html/HtmlWriter.h"
#include "sheets/model/Chart.h"
#include "sheets/xls/XlsReader.h"
#include "support/Golden.h"

using namespace sheets;
using namespace xlstest;

namespace {

std::string Begin() { return Rec(0x1033, ""); }
std::string End() { return Rec(0x1034, ""); }
// The chart's place and size in points (16.16 fixed point).
std::string ChartRec(double w, double h) {
    return Rec(0x1002, U32(0) + U32(0) + U32(uint32_t(int32_t(w * 65536))) + U32(uint32_t(int32_t(h * 65536))));
}
// A label: Text, then its records between Begin and End; `link` is what it belongs to (1 the chart's title).
std::string Label(const std::string& text, uint16_t link, const std::string& inner = "") {
    return Rec(0x1025, std::string(32, '\0')) + Begin() + Rec(0x104F, std::string(20, '\0')) + inner +
           Rec(0x100D, U16(0) + U8(uint8_t(text.size())) + U8(0) + text) + Rec(0x1027, U16(link) + U32(0)) + End();
}
// A series with a name of its own, which is no title.
std::string Series(const std::string& name) {
    return Rec(0x1003, std::string(12, '\0')) + Begin() + Rec(0x1051, std::string(8, '\0')) +
           Rec(0x100D, U16(0) + U8(uint8_t(name.size())) + U8(0) + name) + End();
}
std::string ChartBody(const std::string& inner) {
    return Rec(0x0809, U16(0x0600) + U16(0x0020) + std::string(12, '\0')) + ChartRec(500, 300) + Begin() + inner +
           End();
}

// A 1 by 1 bitmap under the old core header.
const std::string kDib = U32(12) + U16(1) + U16(1) + U16(1) + U16(24) + std::string("abc\0", 4);
std::string Bitmap() { return Rec(0x00E9, U16(9) + U16(1) + U32(uint32_t(kDib.size())) + kDib); }

// A worksheet with a number, then a chart sheet of these records.
Workbook Read(const std::string& chartRecords) {
    return ReadXls(Cfb(
        Stream(BasicGlobals(), {{"Data", Rec(0x0203, CellAt(0, 0, 15) + F64(7))}, {"Sales chart", chartRecords, 2}})));
}

const Chart& ChartOf(const Workbook& wb) {
    EXPECT_EQ(wb.sheets.at(1).kind, SheetKind::Chart);
    EXPECT_EQ(wb.sheets[1].charts.size(), 1u);
    return *wb.sheets.at(1).charts.at(0);
}

}  // namespace

TEST(XlsChartSheet, TheSheetShowsItsTitleSizeAndBackground) {
    const std::string chart = ChartRec(500, 300) + Bitmap() + Begin() + Series("Series one") + Label("Data label", 4) +
                              Label("Yearly sales", 1) + Label("Second title", 1) + End();
    const Workbook wb = Read(chart);
    ASSERT_EQ(wb.sheets.size(), 2u);
    EXPECT_EQ(wb.sheets[0].rows.size(), 1u);
    const Chart& c = ChartOf(wb);
    EXPECT_EQ(c.title.Plain(), "Yearly sales");
    EXPECT_EQ(c.widthEmu, 500 * 12700);
    EXPECT_EQ(c.heightEmu, 300 * 12700);
    EXPECT_FALSE(c.unsupported.empty());
    EXPECT_EQ(wb.sheets[1].background.contentType, "image/bmp");

    HtmlOptions o;
    o.title = "chart sheet";
    const std::string page = RenderHtml(wb, o);
    EXPECT_NE(page.find("Sales chart"), std::string::npos);
    EXPECT_NE(page.find("chart not shown"), std::string::npos);
    ExpectGoldenFile(std::filesystem::path(__FILE__).parent_path() / "golden" / "chart_sheet.htm", page);
}

TEST(XlsChartSheet, DamagedChartRecordsStillGiveThePlaceholder) {
    // No title, and sizes that are none: the placeholder of the usual size.
    Workbook wb = Read(Rec(0x1002, U32(0) + U32(0) + U32(0) + U32(0xFFFF0000)));
    EXPECT_FALSE(ChartOf(wb).title.present);
    EXPECT_EQ(ChartOf(wb).widthEmu, 0);
    wb = Read(ChartRec(7000, 10) + Label("T", 1));
    EXPECT_EQ(ChartOf(wb).widthEmu, 0);  // wider than any page
    EXPECT_EQ(ChartOf(wb).title.Plain(), "T");
    // Records cut short: a string longer than its record, a link without its field.
    wb = Read(ChartRec(100, 100) + Rec(0x1025, "") + Begin() + Rec(0x100D, U16(0) + U8(200) + U8(0) + "abc") +
              Rec(0x1027, U8(1)) + End());
    EXPECT_FALSE(ChartOf(wb).title.present);
    EXPECT_EQ(ChartOf(wb).widthEmu, 100 * 12700);
    // Unbalanced Begin and End records, an embedded substream never closed.
    wb = Read(End() + End() + Label("After", 1) + Begin() + Begin());
    EXPECT_EQ(ChartOf(wb).title.Plain(), "After");
    wb = Read(ChartBody("") + Label("Inner", 1));
    EXPECT_EQ(wb.sheets.size(), 2u);
    EXPECT_FALSE(ChartOf(wb).title.present);
    // A chart substream of no records.
    EXPECT_FALSE(ChartOf(Read("")).title.present);
}
