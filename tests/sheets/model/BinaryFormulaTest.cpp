// Rule formulas of the binary formats, from their tokens back to text: each
// token kind, references stored as offsets, and streams that must be refused.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "sheets/cond/Formula.h"
#include "sheets/model/BinaryFormula.h"

using sheets::FormulaBase;
using sheets::FormulaText;
using sheets::TokenLayout;

namespace {

std::string B(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes) s += char(b);
    return s;
}
std::string U16(uint16_t v) { return {char(v), char(v >> 8)}; }
std::string U32(uint32_t v) { return U16(uint16_t(v)) + U16(uint16_t(v >> 16)); }
std::string Num(double d) {
    std::string s = "\x1F" + std::string(8, '\0');
    std::memcpy(s.data() + 1, &d, 8);
    return s;
}
std::string Int(uint16_t v) { return "\x1E" + U16(v); }
// A string of 8-bit characters.
std::string Str(const std::string& text) { return B({0x17, int(text.size()), 0}) + text; }
// References: the column field carries the relative flags on top.
constexpr uint16_t kColRel = 0x4000, kRowRel = 0x8000;
std::string Ref8(uint16_t row, uint16_t col) { return "\x44" + U16(row) + U16(col); }
std::string Ref12(uint32_t row, uint16_t col) { return "\x44" + U32(row) + U16(col); }
std::string Area8(uint16_t r1, uint16_t r2, uint16_t c1, uint16_t c2) {
    return "\x25" + U16(r1) + U16(r2) + U16(c1) + U16(c2);
}
std::string FuncVar(uint8_t args, uint16_t id) { return "\x42" + std::string(1, char(args)) + U16(id); }
std::string Func(uint16_t id) { return "\x41" + U16(id); }

std::string Text8(const std::string& tokens, FormulaBase base = {}) {
    auto t = FormulaText(tokens, TokenLayout::Biff8, base);
    return t ? *t : "<none>";
}
std::string Text12(const std::string& tokens, FormulaBase base = {}) {
    auto t = FormulaText(tokens, TokenLayout::Biff12, base);
    return t ? *t : "<none>";
}

}  // namespace

TEST(BinaryFormula, Operands) {
    struct Case {
        std::string tokens, text;
    } cases[] = {
        {Int(42), "42"},
        {Num(2.5), "2.5"},
        {Num(-3), "-3"},
        {Num(1e20), "1e+20"},
        {B({0x1D, 1}), "TRUE"},
        {B({0x1D, 0}), "FALSE"},
        {B({0x1C, 0x07}), "#DIV/0!"},
        {B({0x1C, 0x2A}), "#N/A"},
        {Str("ab"), "\"ab\""},
        {"\x17\x01\x01" + U16(0x00E9), "\"\xC3\xA9\""},  // 16-bit characters
        {Str("a\"b"), "\"a\"\"b\""},  // quotes doubled
        {Ref8(0, 0), "$A$1"},
        {Ref8(4, 2 | kColRel | kRowRel), "C5"},
        {Ref8(4, 2 | kColRel), "C$5"},
        {Ref8(65535, 255 | kRowRel), "$IV65536"},
        {Area8(0, 9, 0, 1), "$A$1:$B$10"},
        {"\x2A" + std::string(4, '\0'), "#REF!"},
    };
    for (const Case& c : cases) EXPECT_EQ(Text8(c.tokens), c.text) << c.text;
}

TEST(BinaryFormula, OperatorsAndParentheses) {
    const std::string a = Ref8(0, kColRel | kRowRel), b = Ref8(0, 1 | kColRel | kRowRel);
    EXPECT_EQ(Text8(a + Int(5) + B({0x0D})), "A1>5");
    EXPECT_EQ(Text8(a + b + B({0x03}) + B({0x15}) + Int(2) + B({0x05})), "(A1+B1)*2");
    // Without a parenthesis token the text still reads back in the tokens' order.
    EXPECT_EQ(Text8(a + b + B({0x03}) + Int(2) + B({0x05})), "(A1+B1)*2");
    EXPECT_EQ(Text8(a + b + Int(2) + B({0x04}) + B({0x04})), "A1-(B1-2)");
    EXPECT_EQ(Text8(a + b + B({0x04}) + Int(2) + B({0x04})), "A1-B1-2");
    EXPECT_EQ(Text8(a + B({0x13}) + Int(2) + B({0x07})), "-A1^2");
    EXPECT_EQ(Text8(a + Int(2) + B({0x07}) + B({0x13})), "-(A1^2)");
    EXPECT_EQ(Text8(a + B({0x14})), "A1%");
    EXPECT_EQ(Text8(a + B({0x12})), "A1");  // unary plus
    EXPECT_EQ(Text8(a + Str("x") + B({0x08}) + Str("xy") + B({0x0E})), "A1&\"x\"<>\"xy\"");
    const char* ops[] = {"+", "-", "*", "/", "^", "&", "<", "<=", "=", ">=", ">", "<>"};
    for (int t = 0x03; t <= 0x0E; ++t) EXPECT_EQ(Text8(Int(1) + Int(2) + B({t})), std::string("1") + ops[t - 3] + "2");
}

TEST(BinaryFormula, Functions) {
    const std::string a = Ref8(0, kColRel | kRowRel);
    EXPECT_EQ(Text8(a + Int(2) + Func(39) + Int(0) + B({0x0B})), "MOD(A1,2)=0");
    EXPECT_EQ(Text8(a + Func(129)), "ISBLANK(A1)");
    EXPECT_EQ(Text8(Func(221)), "TODAY()");
    EXPECT_EQ(Text8(FuncVar(0, 8)), "ROW()");
    EXPECT_EQ(Text8(a + Int(1) + B({0x0D}) + a + Int(9) + B({0x09}) + FuncVar(2, 36)), "AND(A1>1,A1<9)");
    EXPECT_EQ(Text8(Area8(0, 9, 0, 0) + a + Func(346)), "COUNTIF($A$1:$A$10,A1)");
    EXPECT_EQ(Text8(Str("x") + a + FuncVar(2, 82) + Func(3) + Func(38)), "NOT(ISERROR(SEARCH(\"x\",A1)))");
    // IF with its jumps and a space, SUM of one argument as an attribute.
    EXPECT_EQ(Text8(a + B({0x19, 0x02, 4, 0}) + Int(1) + B({0x19, 0x08, 3, 0}) + Int(2) + B({0x19, 0x40, 0, 1}) +
                    FuncVar(3, 1)),
              "IF(A1,1,2)");
    EXPECT_EQ(Text8(Area8(0, 9, 0, 0) + B({0x19, 0x10, 0, 0})), "SUM($A$1:$A$10)");
    // A function the evaluator does not know keeps a name it refuses.
    const std::string other = Text8(a + FuncVar(1, 230));
    EXPECT_EQ(other, "_FN230(A1)");
    EXPECT_FALSE(sheets::cond::Formula::Parse(other));
    // A fixed-argument function whose count is not known cannot be read on.
    EXPECT_EQ(Text8(a + Func(230)), "<none>");
}

TEST(BinaryFormula, OffsetsCountFromTheBase) {
    // Offsets in .xls: 16-bit rows and 8-bit columns, wrapping around the sheet.
    const std::string here = "\x4C" + U16(0) + U16(kColRel | kRowRel);
    EXPECT_EQ(Text8(here, {4, 2}), "C5");
    EXPECT_EQ(Text8("\x4C" + U16(0xFFFF) + U16(0xFF | kColRel | kRowRel), {4, 2}), "B4");
    EXPECT_EQ(Text8("\x4C" + U16(3) + U16(1), {4, 2}), "$B$4");  // absolute parts stay
    EXPECT_EQ(Text8("\x4D" + U16(0) + U16(2) + U16(kColRel | kRowRel) + U16(kColRel | kRowRel), {1, 1}), "B2:B4");
    // .xlsb: 20-bit rows and 14-bit columns.
    EXPECT_EQ(Text12("\x4C" + U32(0xFFFFF) + U16(0x3FFF | kColRel | kRowRel), {10, 3}), "C10");
    EXPECT_EQ(Text12("\x4C" + U32(0xFFFFF) + U16(kColRel | kRowRel), {0, 0}), "A1048576");
}

TEST(BinaryFormula, WideLayout) {
    EXPECT_EQ(Text12(Ref12(1048575, 16383)), "$XFD$1048576");
    EXPECT_EQ(Text12("\x17" + U16(2) + U16('h') + U16('i')), "\"hi\"");
    EXPECT_EQ(Text12("\x25" + U32(0) + U32(1) + U16(kColRel | kRowRel) + U16(1 | kColRel | kRowRel)), "A1:B2");
    EXPECT_EQ(Text12("\x5C" + std::string(8, '\0')), "#REF!");  // a deleted reference to another sheet
}

TEST(BinaryFormula, RefusedStreams) {
    const std::string a = Ref8(0, kColRel | kRowRel);
    const std::string refused[] = {
        "",
        a + a,  // two values left
        B({0x03}),  // an operator without operands
        a.substr(0, 3),  // cut inside a reference
        Str("abcde").substr(0, 5),  // a string longer than its tokens
        Int(1) + B({0x1C, 0x55}),  // an error code no format defines
        Num(0).substr(0, 5),
        "\x23" + U32(1),  // a defined name
        "\x3A" + U16(0) + U16(0) + U16(0),  // a reference to another sheet
        a + a + B({0x10}),  // a union
        a + a + B({0x0F}),
        B({0x01}) + U16(0) + U16(0),  // a shared formula
        "\x20" + std::string(7, '\0'),  // an array
        Ref8(0xFFFF, 0x3FFF),  // a column past the sheet
        a + FuncVar(1, 0x8001),  // a command
        a + B({0x19, 0x80, 0, 0}),  // an attribute of no known kind
        B({0x80}),
    };
    for (const std::string& t : refused) EXPECT_EQ(Text8(t), "<none>") << testing::PrintToString(t);
}

TEST(BinaryFormula, Bounds) {
    // Many tokens: refused past the count, however little each adds.
    std::string many;
    for (size_t i = 0; i < sheets::kMaxFormulaTokens; ++i) many += B({0x15});
    EXPECT_EQ(Text8(Int(1) + many), "<none>");
    std::string fine;
    for (int i = 0; i < 100; ++i) fine += B({0x15});
    EXPECT_EQ(Text8(Int(1) + fine).size(), 201u);
    // Text past the length bound.
    std::string concat = Str(std::string(255, 'x'));
    for (int i = 0; i < 40; ++i) concat += Str(std::string(255, 'x')) + B({0x08});
    EXPECT_EQ(Text8(concat), "<none>");
    // Deep nesting of functions stays bounded too.
    std::string deep = Int(1);
    for (int i = 0; i < 2000; ++i) deep += Func(24);
    EXPECT_EQ(Text8(deep), "<none>");
}

// References to other sheets name them through the workbook's table: its
// entry is the sheet's name, or empty for another workbook's.
TEST(BinaryFormula, OtherSheets) {
    const std::vector<std::string> sheets = {"Data", "", "It's 2024"};
    const FormulaBase at{4, 2, &sheets};
    const uint16_t rel = kColRel | kRowRel;
    struct Case {
        TokenLayout layout;
        std::string tokens;
        FormulaBase base;
        const char* want;
    } cases[] = {
        {TokenLayout::Biff8, "\x3A" + U16(0) + U16(0) + U16(rel), at, "'Data'!C5"},  // offsets from the rule's cell
        {TokenLayout::Biff8, "\x5A" + U16(0) + U16(3) + U16(1), at, "'Data'!$B$4"},
        {TokenLayout::Biff8, "\x3B" + U16(2) + U16(0) + U16(1) + U16(0) + U16(1), at, "'It''s 2024'!$A$1:$B$2"},
        {TokenLayout::Biff8, "\x3A" + U16(0) + U16(0) + U16(rel) + Int(1) + B({0x0B}), at, "'Data'!C5=1"},
        {TokenLayout::Biff12, "\x3A" + U16(0) + U32(0) + U16(rel), at, "'Data'!C5"},
        {TokenLayout::Biff12, "\x3B" + U16(2) + U32(0) + U32(9) + U16(0) + U16(0), at, "'It''s 2024'!$A$1:$A$10"},
        {TokenLayout::Biff8, "\x3A" + U16(1) + U16(0) + U16(rel), at, "<none>"},  // another workbook's
        {TokenLayout::Biff8, "\x3A" + U16(3) + U16(0) + U16(rel), at, "<none>"},  // past the table
        {TokenLayout::Biff8, "\x3A" + U16(0) + U16(0) + U16(rel), {4, 2}, "<none>"},  // no table
        {TokenLayout::Biff8, "\x3A" + U16(0) + U16(0), at, "<none>"},  // cut short
        {TokenLayout::Biff12, "\x3B" + U16(0) + U32(0), at, "<none>"},
    };
    for (const Case& c : cases) {
        auto t = FormulaText(c.tokens, c.layout, c.base);
        EXPECT_EQ(t ? *t : "<none>", c.want) << testing::PrintToString(c.tokens);
    }
}
