// A large plain sheet's rows are written in chunks on two threads: the
// markup and the style sheet's numbering must come out as one thread writes
// them, however many chunks meet something new (a class, a rule, a link, a
// row format) that only the writer in turn may add.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "sheets/html/SheetRows.h"

using namespace sheets;
using namespace sheets::html;

namespace {

constexpr uint32_t kRows = 40000;

uint32_t AddFormat(Workbook& wb, std::string code, uint32_t font = 0, uint32_t fill = 0) {
    CellFormat f;
    f.numFmt = std::move(code);
    f.font = font;
    f.fill = fill;
    wb.styles.formats.push_back(f);
    return static_cast<uint32_t>(wb.styles.formats.size() - 1);
}

uint32_t AddFont(Workbook& wb, std::string name, double size, bool bold) {
    Font f;
    f.name = std::move(name);
    f.size = size;
    f.bold = bold;
    wb.styles.fonts.push_back(f);
    return static_cast<uint32_t>(wb.styles.fonts.size() - 1);
}

// Rows of text and numbers in a few formats, and from some row on, things
// the rows before did not need.
Workbook LargeSheet(bool lateNews) {
    Workbook wb;
    wb.sheets.emplace_back();
    Sheet& s = wb.sheets.back();
    s.name = "Data";
    const uint32_t bold = AddFormat(wb, "General", AddFont(wb, "Cambria", 12, true));
    const uint32_t money = AddFormat(wb, "#,##0.00;[Red]-#,##0.00");
    const uint32_t date = AddFormat(wb, "yyyy-mm-dd");
    Fill yellow;
    yellow.pattern = Fill::Pattern::Solid;
    yellow.fg = Color::Rgb(0xFFFF00);
    wb.styles.fills.push_back(yellow);
    const uint32_t filled = AddFormat(wb, "General", 0, 1);
    // Formats first used late, each a class of its own, so that chunks
    // written side by side meet new ones at the same time.
    std::vector<uint32_t> late;
    for (uint32_t i = 0; i < 40; ++i)
        late.push_back(AddFormat(wb, "0.000%", AddFont(wb, "Arial", 8.0 + i / 4.0, false)));
    wb.strings.push_back(RichString{"plain", {}});
    wb.strings.push_back(RichString{"rich text", {TextRun{0, 4, 1}}});
    s.cols.push_back(ColumnInfo{3, 3, 4.0});  // too narrow for long numbers
    for (uint32_t r = 0; r < kRows; ++r) {
        Row row;
        row.index = r;
        Cell text;
        text.type = CellType::String;
        text.string = 0;
        text.format = r % 7 == 0 ? bold : 0;
        row.cells.push_back(text);
        Cell amount;
        amount.col = 1;
        amount.type = CellType::Number;
        amount.number = (r % 2 ? -1.0 : 1.0) * r * 1.25;  // negatives turn red from row 1
        amount.format = money;
        row.cells.push_back(amount);
        Cell day = amount;
        day.col = 2;
        day.number = 40000 + r % 3000;
        day.format = date;
        row.cells.push_back(day);
        if (lateNews && r >= 10000) {
            Cell wide = amount;
            wide.col = 3;
            wide.number = r == 10000 ? 123456789.0 : 7;  // the first too wide for its column
            wide.format = r < 30000 ? late[(r - 10000) / 250 % late.size()] : 0;
            row.cells.push_back(wide);
        }
        if (lateNews && r == 21000) row.cells[0].string = 1;  // a rich run's class
        if (lateNews && r == 31000) {  // fillers where the row lacks cells
            row.format = static_cast<int32_t>(filled);
            row.cells.resize(2);
        }
        s.rows.push_back(std::move(row));
    }
    if (lateNews) {
        Hyperlink link;
        link.range = Range{27000, 0, 27000, 0};
        link.target = "https://example.com/";
        s.links.push_back(link);
    }
    return wb;
}

// The rows and the style sheet's rules, written on one thread or side by side.
std::string Write(const Workbook& wb, bool sideBySide) {
    Document doc(wb);
    SheetState state(doc, 0);
    std::vector<uint32_t> kept;
    for (const Row& row : wb.sheets[0].rows) kept.push_back(row.index);
    const Axis rows(kept);
    Axis cols({0, 1, 2, 3});
    cols.Index();
    const Sheet& sheet = wb.sheets[0];
    for (uint32_t i = 0; i < sheet.links.size(); ++i)
        state.links.emplace(CellKey(sheet.links[i].range.row1, sheet.links[i].range.col1), i);
    state.hrefs.resize(sheet.links.size());
    state.hrefDone.assign(sheet.links.size(), 0);
    std::string out;
    if (sideBySide) {
        WriteRows(state, rows, cols, out);
    } else {
        RowWriter writer(state, rows, cols, out, false);
        for (uint32_t u = 0; u < rows.Units().size(); ++u) writer.WriteRow(u);
    }
    doc.styles.AppendRules(out);
    return out;
}

}  // namespace

TEST(ParallelRows, SameBytesAsOneThread) {
    for (bool lateNews : {false, true}) {
        const Workbook wb = LargeSheet(lateNews);
        const std::string one = Write(wb, false), two = Write(wb, true);
        EXPECT_EQ(one.size(), two.size()) << lateNews;
        EXPECT_TRUE(one == two) << "late news " << lateNews << ", first difference at "
                                << std::mismatch(one.begin(), one.end(), two.begin(), two.end()).first - one.begin();
        if (lateNews) {
            // What the late rows brought is there, numbered as one thread numbers it.
            EXPECT_NE(two.find("https://example.com/"), std::string::npos);
            EXPECT_NE(two.find("data-h="), std::string::npos);
            EXPECT_NE(two.find("<span class=\"s"), std::string::npos);
            EXPECT_NE(two.find("background:#ffff00"), std::string::npos);
        }
    }
}

TEST(ParallelRows, IndicesPastTheTablesStayHarmless) {
    Workbook wb = LargeSheet(false);
    // A string index past the table shows nothing; a format index past the
    // styles shows the default: neither may throw or race.
    wb.sheets[0].rows[30000].cells[0].string = 99;
    wb.sheets[0].rows[30001].cells[1].format = 999;
    EXPECT_TRUE(Write(wb, false) == Write(wb, true));
}
