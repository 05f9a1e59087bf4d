// Table styles on cells: which element a cell takes its look from, banding
// with stripe sizes, first and last column, header and total rows, and what
// wins where several set the same thing.
#include <gtest/gtest.h>

#include "CondSupport.h"
#include "sheets/cond/TableLooks.h"
#include "sheets/xlsx/BuiltinTableStyles.h"

using namespace sheets;
using namespace sheets::cond;

namespace {

// One fill colour per element, so that a cell's fill names the element that won.
constexpr uint32_t kWhole = 0x000001, kHeader = 0x000002, kTotal = 0x000003, kFirstCol = 0x000004, kLastCol = 0x000005,
                   kRow1 = 0x000006, kRow2 = 0x000007, kCol1 = 0x000008, kCol2 = 0x000009, kFirstHeader = 0x00000A,
                   kLastTotal = 0x00000B;

struct Fixture {
    Workbook wb = htmltest::OneSheet();
    TableStyle style{"Mine", {}};

    void Element(TableArea area, uint32_t fill, uint32_t size = 1) {
        DiffFormat d;
        d.fill = Color::Rgb(fill);
        style.elements.push_back(TableStyleElement{area, int32_t(wb.styles.diffs.size()), size});
        wb.styles.diffs.push_back(d);
    }
    Table& AddTable(Range r) {
        if (wb.styles.tableStyles.empty()) wb.styles.tableStyles.push_back(style);
        Table t;
        t.range = r;
        t.style = "Mine";
        wb.sheets[0].tables.push_back(t);
        return wb.sheets[0].tables.back();
    }
    // The fill the tables give each cell of rows [r1, r2] and columns [c1, c2], row by row; 0 outside.
    std::vector<std::vector<uint32_t>> Fills(uint32_t r1, uint32_t r2, uint32_t c1, uint32_t c2) const {
        const TableLooks looks(wb, wb.sheets[0]);
        std::vector<std::vector<uint32_t>> out;
        for (uint32_t r = r1; r <= r2; ++r) {
            out.emplace_back();
            for (uint32_t c = c1; c <= c2; ++c) {
                DiffFormat d;
                out.back().push_back(looks.At(r, c, 0, d) && d.fill.set ? d.fill.rgb : 0);
            }
        }
        return out;
    }
};

using Grid = std::vector<std::vector<uint32_t>>;

}  // namespace

TEST(TableLooks, AreasTakeTheirElementsInTheStatedOrder) {
    struct Case {
        const char* what;
        uint32_t header, total;
        bool rows, cols, first, last;
        Grid want;  // rows 0..4, columns 0..3 of a table over A1:D5
    };
    const Case cases[] = {
        {"no options: whole table under the header",
         1,
         0,
         false,
         false,
         false,
         false,
         {{kHeader, kHeader, kHeader, kHeader},
          {kWhole, kWhole, kWhole, kWhole},
          {kWhole, kWhole, kWhole, kWhole},
          {kWhole, kWhole, kWhole, kWhole},
          {kWhole, kWhole, kWhole, kWhole}}},
        {"row stripes start below the header and skip the total row",
         1,
         1,
         true,
         false,
         false,
         false,
         {{kHeader, kHeader, kHeader, kHeader},
          {kRow1, kRow1, kRow1, kRow1},
          {kRow2, kRow2, kRow2, kRow2},
          {kRow1, kRow1, kRow1, kRow1},
          {kTotal, kTotal, kTotal, kTotal}}},
        {"row stripes win over column stripes",
         0,
         0,
         true,
         true,
         false,
         false,
         {{kRow1, kRow1, kRow1, kRow1},
          {kRow2, kRow2, kRow2, kRow2},
          {kRow1, kRow1, kRow1, kRow1},
          {kRow2, kRow2, kRow2, kRow2},
          {kRow1, kRow1, kRow1, kRow1}}},
        {"column stripes alone, no header",
         0,
         0,
         false,
         true,
         false,
         false,
         {{kCol1, kCol2, kCol1, kCol2},
          {kCol1, kCol2, kCol1, kCol2},
          {kCol1, kCol2, kCol1, kCol2},
          {kCol1, kCol2, kCol1, kCol2},
          {kCol1, kCol2, kCol1, kCol2}}},
        {"first and last columns over stripes; header and total rows and their corner cells over those",
         1,
         1,
         true,
         false,
         true,
         true,
         {{kFirstHeader, kHeader, kHeader, kHeader},
          {kFirstCol, kRow1, kRow1, kLastCol},
          {kFirstCol, kRow2, kRow2, kLastCol},
          {kFirstCol, kRow1, kRow1, kLastCol},
          {kTotal, kTotal, kTotal, kLastTotal}}},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.Element(TableArea::WholeTable, kWhole);
        f.Element(TableArea::HeaderRow, kHeader);
        f.Element(TableArea::TotalRow, kTotal);
        f.Element(TableArea::FirstColumn, kFirstCol);
        f.Element(TableArea::LastColumn, kLastCol);
        f.Element(TableArea::FirstRowStripe, kRow1);
        f.Element(TableArea::SecondRowStripe, kRow2);
        f.Element(TableArea::FirstColumnStripe, kCol1);
        f.Element(TableArea::SecondColumnStripe, kCol2);
        f.Element(TableArea::FirstHeaderCell, kFirstHeader);
        f.Element(TableArea::LastTotalCell, kLastTotal);
        Table& t = f.AddTable(Range{0, 0, 4, 3});
        t.headerRows = c.header;
        t.totalRows = c.total;
        t.rowStripes = c.rows;
        t.columnStripes = c.cols;
        t.firstColumn = c.first;
        t.lastColumn = c.last;
        EXPECT_EQ(f.Fills(0, 4, 0, 3), c.want) << c.what;
    }
}

TEST(TableLooks, StripeSizesMakeBandsOfSeveralRowsOrColumns) {
    Fixture f;
    f.Element(TableArea::FirstRowStripe, kRow1, 2);
    f.Element(TableArea::SecondRowStripe, kRow2, 3);
    Table& t = f.AddTable(Range{0, 0, 8, 0});
    t.headerRows = 1;
    const Grid rows = f.Fills(0, 9, 0, 0);
    EXPECT_EQ(rows, (Grid{{0}, {kRow1}, {kRow1}, {kRow2}, {kRow2}, {kRow2}, {kRow1}, {kRow1}, {kRow2}, {0}}));

    Fixture g;
    g.Element(TableArea::FirstColumnStripe, kCol1, 1);
    g.Element(TableArea::SecondColumnStripe, kCol2, 2);
    Table& u = g.AddTable(Range{0, 1, 1, 6});
    u.headerRows = 0;
    u.rowStripes = false;
    u.columnStripes = true;
    EXPECT_EQ(g.Fills(0, 0, 0, 7), (Grid{{0, kCol1, kCol2, kCol2, kCol1, kCol2, kCol2, 0}}));
}

TEST(TableLooks, BordersOnTheAreaEdgesAndLinesBetweenItsCells) {
    Fixture f;
    DiffFormat whole;
    whole.top = whole.bottom = whole.left = whole.right = BorderSide{BorderStyle::Medium, Color::Rgb(0x111111)};
    whole.horizontal = whole.vertical = BorderSide{BorderStyle::Thin, Color::Rgb(0x222222)};
    f.wb.styles.diffs.push_back(whole);
    f.style.elements.push_back(TableStyleElement{TableArea::WholeTable, 0, 1});
    f.AddTable(Range{0, 0, 2, 2}).headerRows = 0;
    const TableLooks looks(f.wb, f.wb.sheets[0]);
    DiffFormat corner, middle;
    ASSERT_TRUE(looks.At(0, 0, 0, corner));
    ASSERT_TRUE(looks.At(1, 1, 0, middle));
    EXPECT_EQ(corner.top.style, BorderStyle::Medium);
    EXPECT_EQ(corner.left.style, BorderStyle::Medium);
    EXPECT_EQ(corner.right.style, BorderStyle::Thin);
    EXPECT_EQ(corner.bottom.style, BorderStyle::Thin);
    for (const BorderSide* s : {&middle.left, &middle.right, &middle.top, &middle.bottom})
        EXPECT_EQ(s->style, BorderStyle::Thin);
}

TEST(TableLooks, TheCellsOwnFillFontColourAndBordersWin) {
    Fixture f;
    DiffFormat d;
    d.fill = Color::Rgb(0x123456);
    d.fontColor = Color::Rgb(0xFFFFFF);
    d.bold = 1;
    d.bottom = BorderSide{BorderStyle::Thin, Color::Rgb(0)};
    f.wb.styles.diffs.push_back(d);
    f.style.elements.push_back(TableStyleElement{TableArea::WholeTable, 0, 1});
    f.AddTable(Range{0, 0, 0, 2}).headerRows = 0;
    Styles& st = f.wb.styles;
    // Format 1: a yellow fill and a red font with a left border; format 2: the default font again.
    st.fills.push_back(Fill{Fill::Pattern::Solid, Color::Rgb(0xFFFF00), {}, Hatch::None});
    Font red = st.fonts[0];
    red.color = Color::Rgb(0xFF0000);
    st.fonts.push_back(red);
    st.borders.push_back(Border{BorderSide{BorderStyle::Thick, {}}, {}, {}, BorderSide{BorderStyle::Dotted, {}}});
    CellFormat own;
    own.fill = 1;
    own.font = 1;
    own.border = 1;
    st.formats.push_back(own);
    // Format 2: a font in the automatic colour where the normal one names black: no choice of the cell's.
    st.fonts[0].color = Color::Rgb(0);
    st.fonts.push_back(Font{});
    CellFormat automatic;
    automatic.font = 2;
    st.formats.push_back(automatic);
    const TableLooks looks(f.wb, f.wb.sheets[0]);
    DiffFormat plain, styled, unset;
    ASSERT_TRUE(looks.At(0, 0, 0, plain));
    ASSERT_TRUE(looks.At(0, 1, 1, styled));
    ASSERT_TRUE(looks.At(0, 2, 2, unset));
    EXPECT_EQ(unset.fontColor, Color::Rgb(0xFFFFFF));
    EXPECT_EQ(plain.fill, Color::Rgb(0x123456));
    EXPECT_EQ(plain.fontColor, Color::Rgb(0xFFFFFF));
    EXPECT_FALSE(styled.fill.set);
    EXPECT_FALSE(styled.fontColor.set);
    EXPECT_EQ(styled.bold, 1);  // emphasis the cell does not set itself still comes from the table
    EXPECT_EQ(styled.bottom.style, BorderStyle::None);
}

TEST(TableLooks, ConditionalFormatsWinOverTheTable) {
    CellLook look;
    look.diff.fill = Color::Rgb(0xFF0000);
    DiffFormat table;
    table.fill = Color::Rgb(0x00FF00);
    table.bold = 1;
    PutUnder(table, look);
    EXPECT_EQ(look.diff.fill, Color::Rgb(0xFF0000));
    EXPECT_EQ(look.diff.bold, 1);
}

TEST(TableLooks, BadTablesAndStylesAreLeftPlainOrFallBack) {
    // A style element naming a format the workbook lacks, a style nobody
    // knows (the default is used), overlapping tables (the first keeps its
    // cells), a range reaching past the sheet, and one over the whole sheet.
    Fixture f;
    f.Element(TableArea::WholeTable, kWhole);
    f.style.elements.push_back(TableStyleElement{TableArea::HeaderRow, 999, 1});
    f.AddTable(Range{0, 0, 1, 1});
    Table& overlapping = f.AddTable(Range{1, 1, 3, 3});
    overlapping.headerRows = 0;
    Table unknown;
    unknown.range = Range{5, 0, 6, 0};
    unknown.style = "NoSuchStyle";
    unknown.headerRows = 0;
    f.wb.sheets[0].tables.push_back(unknown);
    f.wb.styles.defaultTableStyle = "Mine";
    Table past;
    past.range = Range{1048570, 16380, 1048580, 16390};
    past.style = "Mine";
    f.wb.sheets[0].tables.push_back(past);
    EXPECT_EQ(f.Fills(0, 3, 0, 3), (Grid{{kWhole, kWhole, 0, 0}, {kWhole, kWhole, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}));
    EXPECT_EQ(f.Fills(5, 6, 0, 0), (Grid{{kWhole}, {kWhole}}));
    const TableLooks looks(f.wb, f.wb.sheets[0]);
    DiffFormat d;
    EXPECT_TRUE(looks.At(1048575, 16383, 0, d));
    // Only tables small enough have their empty cells drawn.
    EXPECT_EQ(looks.Drawn().size(), 3u);

    Fixture huge;
    huge.Element(TableArea::WholeTable, kWhole);
    huge.AddTable(Range{0, 0, 1048575, 16383});
    const TableLooks all(huge.wb, huge.wb.sheets[0]);
    EXPECT_TRUE(all.Drawn().empty());
    EXPECT_TRUE(all.At(1000000, 16000, 0, d));
}

TEST(TableLooks, ThousandsOfTablesCostLittle) {
    Fixture f;
    f.Element(TableArea::WholeTable, kWhole);
    for (uint32_t i = 0; i < 10000; ++i) f.AddTable(Range{i * 2, 0, i * 2, 3}).headerRows = 0;
    const TableLooks looks(f.wb, f.wb.sheets[0]);
    DiffFormat d;
    uint32_t hits = 0;
    for (uint32_t r = 0; r < 20000; ++r) hits += looks.At(r, 1, 0, d);
    EXPECT_EQ(hits, TableLooks::kMaxTables);
}

TEST(BuiltinTableStyles, TheFamiliesFollowThePublishedDefinitions) {
    // Spot checks against the published definitions, in the Office theme of
    // packages without one.
    xlsx::ColorResolver colors;
    struct Case {
        const char* name;
        TableArea area;
        uint32_t fill;  // 0: none
        int8_t bold;
    };
    const Case cases[] = {
        {"TableStyleMedium2", TableArea::HeaderRow, 0x4F81BD, 1},  // accent 1
        {"TableStyleMedium2", TableArea::FirstRowStripe, 0xDCE6F2, -1},  // accent 1, 80 % lighter
        {"TableStyleLight1", TableArea::FirstRowStripe, 0xD9D9D9, -1},  // background, 15 % darker
        {"TableStyleLight9", TableArea::HeaderRow, 0x4F81BD, 1},
        {"TableStyleMedium9", TableArea::WholeTable, 0xDCE6F2, -1},
        {"TableStyleDark1", TableArea::HeaderRow, 0x000000, 1},
        {"TableStyleDark11", TableArea::HeaderRow, 0xF79646, -1},  // accent 6, not bold
        {"TableStyleMedium28", TableArea::FirstColumnStripe, 0xFCD5B5, -1},  // accent 6, 60 % lighter
    };
    for (const Case& c : cases) {
        std::vector<DiffFormat> diffs;
        TableStyle s;
        ASSERT_TRUE(xlsx::BuiltinTableStyle(c.name, colors, diffs, s)) << c.name;
        const TableStyleElement* e = nullptr;
        for (const TableStyleElement& x : s.elements)
            if (x.area == c.area) e = &x;
        ASSERT_NE(e, nullptr) << c.name;
        const DiffFormat& d = diffs[size_t(e->diff)];
        EXPECT_EQ(d.fill.set ? d.fill.rgb : 0, c.fill) << c.name;
        EXPECT_EQ(d.bold, c.bold) << c.name;
    }
    std::vector<DiffFormat> diffs;
    TableStyle s;
    for (const char* bad :
         {"TableStyleMedium29", "TableStyleLight0", "TableStyleLight01", "TableStyleDark12", "PivotStyleLight16", ""})
        EXPECT_FALSE(xlsx::BuiltinTableStyle(bad, colors, diffs, s)) << bad;
    EXPECT_TRUE(diffs.empty());
}
