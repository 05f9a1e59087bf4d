// The texts of a large sheet's cells come from a second thread: whatever
// rows the writer asks for, and in whatever state it stops, each cell must
// get exactly what the writer's own thread would have shown.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sheets/html/CellText.h"
#include "sheets/html/ShownAhead.h"

using namespace sheets;
using sheets::html::CellTexts;
using sheets::html::Shown;
using sheets::html::ShownAhead;

namespace {

// Rows of irregular widths (some empty) mixing numbers under several
// formats, strings, booleans and blanks, so that a text taken from the wrong
// row or cell shows.
Workbook BookWithRows(uint32_t rows) {
    Workbook wb;
    for (const char* code : {"General", "0.00", "#,##0", "yyyy-mm-dd", "0%", "@"}) {
        CellFormat f;
        f.numFmt = code;
        wb.styles.formats.push_back(f);
    }
    wb.strings.emplace_back().text = "text";
    Sheet& sheet = wb.sheets.emplace_back();
    for (uint32_t r = 0; r < rows; ++r) {
        Row& row = sheet.rows.emplace_back();
        row.index = r * 2 + r % 3;
        for (uint32_t c = 0; c < (r * 7) % 23; ++c) {
            Cell& cell = row.cells.emplace_back();
            cell.col = c;
            cell.format = (r + c) % 6;
            switch ((r + c) % 5) {
            case 0: cell.type = CellType::String, cell.string = 0; break;
            case 1: cell.type = CellType::Bool, cell.boolean = true; break;
            case 2: cell.type = CellType::Blank; break;
            default: cell.type = CellType::Number, cell.number = r * 1000.25 + c;
            }
        }
    }
    return wb;
}

std::string Text(const Shown& s) { return s.rich ? "rich:" + s.rich->text : s.text + "/" + std::to_string(s.color); }

std::vector<const Row*> RowsOf(const Sheet& sheet) {
    std::vector<const Row*> rows;
    for (const Row& r : sheet.rows) rows.push_back(&r);
    return rows;
}

}  // namespace

TEST(ShownAhead, EveryCellShowsWhatTheWritersThreadWouldShowWhicheverRowsAreAsked) {
    const Workbook wb = BookWithRows(6000);
    const CellTexts texts(wb);
    const std::vector<const Row*> rows = RowsOf(wb.sheets[0]);
    for (const uint32_t every : {1u, 3u, 700u}) {  // all rows, some, a few far apart
        ShownAhead ahead(texts, rows, 0);
        Shown got, want;
        for (size_t k = 0; k < rows.size(); k += every) {
            // Within a row the writer may ask in any order, and twice.
            for (size_t c = rows[k]->cells.size(); c-- > 0;) {
                ahead.Take(*rows[k], c, got);
                texts.Show(rows[k]->cells[c], want);
                ASSERT_EQ(Text(got), Text(want)) << "row " << k << " cell " << c << " every " << every;
                ahead.Take(*rows[k], c, got);
                ASSERT_EQ(Text(got), Text(want));
            }
        }
    }
}

TEST(ShownAhead, ARowAskedForOutOfOrderOrNotInTheListIsStillShownRight) {
    const Workbook wb = BookWithRows(3000);
    const CellTexts texts(wb);
    const std::vector<const Row*> rows = RowsOf(wb.sheets[0]);
    ShownAhead ahead(texts, rows, 0);
    Shown got, want;
    Row stray = *rows[2000];  // a copy: same index, not one of the rows
    for (const Row* row : std::vector<const Row*>{rows[2500], rows[10], &stray, rows[2999]}) {
        for (size_t c = 0; c < row->cells.size(); ++c) {
            ahead.Take(*row, c, got);
            texts.Show(row->cells[c], want);
            EXPECT_EQ(Text(got), Text(want));
        }
    }
}

TEST(ShownAhead, AWriterThatStopsEarlyOrNeverStartsEndsTheWorker) {
    const Workbook wb = BookWithRows(20000);
    const CellTexts texts(wb);
    const std::vector<const Row*> rows = RowsOf(wb.sheets[0]);
    { ShownAhead untouched(texts, rows, 0); }  // the worker blocks on full hands, then is told to stop
    {
        ShownAhead early(texts, rows, 0);
        Shown got;
        early.Take(*rows[1], 0, got);
    }
    // A sheet below the threshold never gets a thread, and still shows its cells.
    ShownAhead small(texts, rows, ShownAhead::kMinCells * 1000);
    Shown got, want;
    small.Take(*rows[5], 1, got);
    texts.Show(rows[5]->cells[1], want);
    EXPECT_EQ(Text(got), Text(want));
}
