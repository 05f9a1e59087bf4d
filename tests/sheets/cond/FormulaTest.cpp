// The rule formula evaluator on the forms rules use, and what it refuses.
#include <gtest/gtest.h>

#include "CondSupport.h"
#include "sheets/cond/Formula.h"

using namespace sheets;
using namespace sheets::cond;

namespace {

// A1=5 B1=3, A2=10, A3="Apple pie", A4 absent, A5=TRUE, A6=#DIV/0!, A7="  ".
Workbook Book() {
    Workbook wb = condtest::Column({5, 10});
    Sheet& s = wb.sheets[0];
    htmltest::PutNumber(s, 0, 1, 3);
    htmltest::PutText(wb, s, 2, 0, "Apple pie");
    Cell b;
    b.type = CellType::Bool;
    b.boolean = true;
    htmltest::RowAt(s, 4).cells.push_back(b);
    htmltest::PutText(wb, s, 5, 0, "#DIV/0!", 0, CellType::Error);
    htmltest::PutText(wb, s, 6, 0, "  ");
    return wb;
}

std::string Show(const std::optional<Value>& v) {
    if (!v) return "<budget>";
    switch (v->type) {
    case Value::Type::Blank: return "blank";
    case Value::Type::Number: return NumberText(v->number);
    case Value::Type::Text: return "\"" + v->text + "\"";
    case Value::Type::Bool: return v->number != 0 ? "TRUE" : "FALSE";
    case Value::Type::Error: return v->text;
    }
    return "?";
}

}  // namespace

TEST(CondFormula, EvaluatesWhatRulesUse) {
    const Workbook wb = Book();
    const CellSource cells(wb, wb.sheets[0]);
    struct Case {
        const char* formula;
        uint32_t row, col;  // the cell evaluated; the anchor is A1
        const char* want;
    } cases[] = {
        {"A1>4", 0, 0, "TRUE"},
        {"A1>4", 1, 0, "TRUE"},  // relative: looks at A2
        {"$A$1*2", 1, 0, "10"},
        {"A1+B1*2^2", 0, 0, "17"},
        {"-2^2", 0, 0, "4"},  // negation binds before the power, as in the spreadsheet
        {"50%", 0, 0, "0.5"},
        {"(A1-B1)/0", 0, 0, "#DIV/0!"},
        {"A3&\"!\"", 0, 0, "\"Apple pie!\""},
        {"A3=\"APPLE PIE\"", 0, 0, "TRUE"},  // text compares without case
        {"A3>A1", 0, 0, "TRUE"},  // text sorts after numbers
        {"A4=0", 0, 0, "TRUE"},
        {"A4=\"\"", 0, 0, "TRUE"},
        {"AND(A1>1,B1<5)", 0, 0, "TRUE"},
        {"OR(A1>10,B1>10)", 0, 0, "FALSE"},
        {"NOT(A1=5)", 0, 0, "FALSE"},
        {"MOD(ROW(),2)=0", 1, 0, "TRUE"},
        {"MOD(-7,3)", 0, 0, "2"},
        {"COLUMN()", 0, 1, "2"},
        {"ROW(A3)", 0, 0, "3"},
        {"ISBLANK(A4)", 0, 0, "TRUE"},
        {"ISNUMBER(A1)", 0, 0, "TRUE"},
        {"ISTEXT(A3)", 0, 0, "TRUE"},
        {"ISERROR(A6)", 0, 0, "TRUE"},
        {"A6+1", 0, 0, "#DIV/0!"},
        {"LEN(A3)", 0, 0, "9"},
        {"LEFT(A3,5)", 0, 0, "\"Apple\""},
        {"RIGHT(A3,3)", 0, 0, "\"pie\""},
        {"SEARCH(\"PIE\",A3)", 0, 0, "7"},
        {"SEARCH(\"x\",A3)", 0, 0, "#VALUE!"},
        {"ISERROR(SEARCH(\"p?e\",A3))", 0, 0, "FALSE"},
        {"COUNTIF($A$1:$A$7,A1)", 0, 0, "1"},
        {"COUNTIF(A:A,\">=5\")", 0, 0, "2"},
        {"COUNTIF($A$1:$A$7,\"app*\")", 0, 0, "1"},
        {"TODAY()", 0, 0, "45000"},
        {"LEN(TRIM(A7))=0", 0, 0, "TRUE"},
        {"IF(A1>B1,\"big\",\"small\")", 0, 0, "\"big\""},
        {"SUM(A1:B2)", 0, 0, "18"},
        {"AVERAGE($A$1:$A$2)", 0, 0, "7.5"},
        {"_xlfn.ISODD(A1)", 0, 0, "TRUE"},
        {"WEEKDAY(45000)", 0, 0, "4"},  // Wednesday 15 March 2023
        {"WEEKDAY(45000,2)", 0, 0, "3"},
        {"A1>=5", 0, 0, "TRUE"},
        {"A1<>5", 0, 0, "FALSE"},
        {"=A1=5", 0, 0, "TRUE"},
    };
    for (const Case& c : cases) {
        auto f = Formula::Parse(c.formula);
        ASSERT_TRUE(f) << c.formula;
        Budget budget{100000};
        EvalContext ctx{cells, 0, 0, c.row, c.col, 45000, budget};
        EXPECT_EQ(Show(f->Eval(ctx)), c.want) << c.formula;
    }
}

TEST(CondFormula, RelativeReferencesOffTheSheetAreRefErrors) {
    const Workbook wb = Book();
    const CellSource cells(wb, wb.sheets[0]);
    auto f = Formula::Parse("A1+1");
    ASSERT_TRUE(f);
    Budget budget{100};
    EvalContext ctx{cells, 5, 0, 0, 0, 0, budget};  // anchored at A6, looking at A1: five rows above A1
    EXPECT_EQ(Show(f->Eval(ctx)), "#REF!");
}

TEST(CondFormula, RefusesWhatItDoesNotKnow) {
    const char* refused[] = {
        "",
        "VLOOKUP(A1,B:C,2)",
        "'Sheet 2!A1",
        "MyName>3",
        "A1>",
        "(A1",
        "\"open",
        "A1:",
        "1E999",
        "A1 B1",
        "SUM(",
        "ROW(,)",
        "#BOGUS!",
        "XFE1",
        "A0",
        "A1048577",
        "NOT()",
        "MOD(1)",
        "{1,2}",
        "A1;B1",
        "Sheet2!SUM(A1)",
        "Sheet2!TRUE",
    };
    for (const char* f : refused) EXPECT_FALSE(Formula::Parse(f)) << f;
}

TEST(CondFormula, DeepAndHugeFormulasAreBounded) {
    std::string deep(10000, '(');
    deep += "1" + std::string(10000, ')');
    EXPECT_FALSE(Formula::Parse(deep));
    std::string wide = "1";
    for (int i = 0; i < 5000; ++i) wide += "+1";
    EXPECT_FALSE(Formula::Parse(wide));
    std::string minus(5000, '-');
    EXPECT_FALSE(Formula::Parse(minus + "1"));

    // A whole-column COUNTIF per cell of a large range runs out of budget instead of time.
    Workbook wb = condtest::Column(std::vector<double>(20000, 1));
    const CellSource cells(wb, wb.sheets[0]);
    auto f = Formula::Parse("COUNTIF(A:A,A1)>1");
    ASSERT_TRUE(f);
    Budget budget{1000};
    EvalContext ctx{cells, 0, 0, 0, 0, 0, budget};
    EXPECT_FALSE(f->Eval(ctx));
    EXPECT_EQ(budget.left, 0u);
}

// References to other sheets: looked up by name, in any case, quoted or
// not; a sheet the workbook lacks is a #REF! error, never the rule's own.
TEST(CondFormula, OtherSheets) {
    Workbook wb = Book();
    wb.sheets.emplace_back().name = "Data 2024";
    htmltest::PutNumber(wb.sheets[1], 0, 0, 7);
    htmltest::PutNumber(wb.sheets[1], 1, 0, 9);
    htmltest::PutText(wb, wb.sheets[1], 2, 1, "x");
    wb.sheets.emplace_back().name = "It's";
    htmltest::PutNumber(wb.sheets[2], 0, 0, 1);
    const CellSource cells(wb, wb.sheets[0]);
    struct Case {
        const char* formula;
        uint32_t row;  // the cell evaluated in column A; the anchor is A1
        const char* want;
    } cases[] = {
        {"'Data 2024'!A1", 0, "7"},
        {"'data 2024'!A1", 1, "9"},  // relative: moves with the cell
        {"'Data 2024'!$A$1+A1", 1, "17"},
        {"'It''s'!A1", 0, "1"},
        {"COUNTIF('Data 2024'!A1:B9,\">8\")", 0, "1"},
        {"COUNTIF('Data 2024'!B:B,\"x\")", 0, "1"},
        {"SUM('Data 2024'!A1:A2)", 0, "16"},
        {"Sheet!A1", 0, "#REF!"},  // no such sheet
        {"COUNTIF(Gone!A1:A3,1)", 0, "#REF!"},
    };
    for (const Case& c : cases) {
        auto f = Formula::Parse(c.formula);
        ASSERT_TRUE(f) << c.formula;
        Budget budget{100000};
        EvalContext ctx{cells, 0, 0, c.row, 0, 0, budget};
        EXPECT_EQ(Show(f->Eval(ctx)), c.want) << c.formula;
    }
    std::string many;
    for (int i = 0; i < 20; ++i) many += "S" + std::to_string(i) + "!A1+";
    EXPECT_FALSE(Formula::Parse(many + "1"));  // more sheets than a rule names
}
