// Conditional formats of workbooks saved by Excel, one rule family each,
// pinned as whole pages. After an intended change, run with
// QUINDLE_UPDATE_GOLDEN=1 and review the diff of golden/cond_format*.htm.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../xlsx/XlsxFixtures.h"
#include "sheets/Loader.h"
#include "sheets/html/HtmlWriter.h"
#include "support/Golden.h"

namespace {

const std::filesystem::path kHere = std::filesystem::path(__FILE__).parent_path();

void Check(const std::string& name) {
    const sheets::Workbook wb = sheets::LoadWorkbook((kHere / "fixtures" / "cond" / (name + ".xlsx")).string());
    sheets::HtmlOptions o;
    o.title = name;
    ExpectGoldenFile(kHere / "golden" / (name + ".htm"), sheets::RenderHtml(wb, o));
}

}  // namespace

// Cell-value rules: font colour and fill; two rules by priority (strike over
// underline); a border; a 10 by 10 range split at 50; bold and italic; "stop if true".
TEST(CondGolden, CellValueRules) {
    for (const char* n : {"cond_format01", "cond_format03", "cond_format05", "cond_format07", "cond_format10",
                          "cond_format15", "cond_format16"})
        Check(n);
}

// Icon sets: percent points, reversed, icons only, formula and percentile points, strict thresholds.
TEST(CondGolden, IconSets) {
    for (const char* n : {"cond_format17", "cond_format18", "cond_format20"}) Check(n);
}

namespace {

lxw_conditional_format Bar2010() {
    lxw_conditional_format f = {};
    f.type = LXW_CONDITIONAL_DATA_BAR;
    f.data_bar_2010 = LXW_TRUE;
    return f;
}

}  // namespace

// Data bars as spreadsheets since 2010 draw them: from an axis where values
// change sign, negative bars in their own colours, outlines, solid fills,
// a middle axis, right to left, bars only.
TEST(CondGolden, DataBars2010) {
    const std::string bytes = fixtures::Xlsxwriter([](lxw_workbook* book) {
        lxw_worksheet* ws = workbook_add_worksheet(book, nullptr);
        const double values[] = {-8, -3, 0, 2, 5, 9, 14};
        for (int col = 0; col < 6; ++col) {
            worksheet_set_column(ws, uint16_t(col), uint16_t(col), 14, nullptr);
            for (int row = 0; row < 7; ++row)
                worksheet_write_number(ws, row, uint16_t(col), col == 4 ? values[row] + 10 : values[row], nullptr);
        }
        lxw_conditional_format plain = Bar2010();  // A: as the writer's defaults have it
        worksheet_conditional_format_range(ws, 0, 0, 6, 0, &plain);
        lxw_conditional_format solid = Bar2010();  // B: solid, its own negative colours
        solid.bar_solid = LXW_TRUE;
        solid.bar_color = 0x63BE7B;
        solid.bar_negative_color = 0xC00000;
        solid.bar_border_color = 0x2E7D32;
        solid.bar_negative_border_color = 0x800000;
        worksheet_conditional_format_range(ws, 0, 1, 6, 1, &solid);
        lxw_conditional_format middle = Bar2010();  // C: axis in the middle, coloured
        middle.bar_axis_position = LXW_CONDITIONAL_BAR_AXIS_MIDPOINT;
        middle.bar_axis_color = 0x0070C0;
        middle.bar_no_border = LXW_TRUE;
        worksheet_conditional_format_range(ws, 0, 2, 6, 2, &middle);
        lxw_conditional_format rtl = Bar2010();  // D: right to left, negatives as positives
        rtl.bar_direction = LXW_CONDITIONAL_BAR_DIRECTION_RIGHT_TO_LEFT;
        rtl.bar_negative_color_same = LXW_TRUE;
        rtl.bar_negative_border_color_same = LXW_TRUE;
        worksheet_conditional_format_range(ws, 0, 3, 6, 3, &rtl);
        lxw_conditional_format only = Bar2010();  // E: positive values, bars only
        only.bar_only = LXW_TRUE;
        only.bar_color = 0xFFB628;
        worksheet_conditional_format_range(ws, 0, 4, 6, 4, &only);
        lxw_conditional_format none = Bar2010();  // F: no axis
        none.bar_axis_position = LXW_CONDITIONAL_BAR_AXIS_NONE;
        none.min_rule_type = LXW_CONDITIONAL_RULE_TYPE_NUMBER;
        none.min_value = -10;
        none.max_rule_type = LXW_CONDITIONAL_RULE_TYPE_NUMBER;
        none.max_value = 20;
        worksheet_conditional_format_range(ws, 0, 5, 6, 5, &none);
    });
    const sheets::Workbook wb = fixtures::Load(bytes);
    sheets::HtmlOptions o;
    o.title = "data bars";
    ExpectGoldenFile(kHere / "golden" / "cond_databars2010.htm", sheets::RenderHtml(wb, o));
}
