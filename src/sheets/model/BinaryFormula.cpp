#include "sheets/model/BinaryFormula.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <type_traits>
#include <vector>

#include "sheets/model/BinaryCodes.h"
#include "text/Utf16.h"

namespace sheets {
namespace {

// How tightly an operand holds together in the text: an operand that binds
// less tightly than its operator gets parentheses, so that the text reads
// back in the tokens' order even where they carry no parenthesis token.
enum Tightness : uint8_t { kCompare = 1, kConcat, kAdd, kMul, kPow, kNeg, kPercent, kAtom };

struct Item {
    std::string text;
    uint8_t tight = kAtom;
};

struct BinaryOp {
    const char* text;
    uint8_t tight;
};

// Tokens 0x03 (add) to 0x0E (not equal).
constexpr BinaryOp kBinary[] = {{"+", kAdd},     {"-", kAdd},      {"*", kMul},     {"/", kMul},
                                {"^", kPow},     {"&", kConcat},   {"<", kCompare}, {"<=", kCompare},
                                {"=", kCompare}, {">=", kCompare}, {">", kCompare}, {"<>", kCompare}};

// Built-in functions by their number in both formats; `args` is the count a
// fixed-argument token implies, -1 for those stored with their count.
struct Function {
    uint16_t id;
    const char* name;
    int8_t args;
};

constexpr Function kFunctions[] = {
    {0, "COUNT", -1},    {1, "IF", -1},         {2, "ISNA", 1},     {3, "ISERROR", 1},    {4, "SUM", -1},
    {5, "AVERAGE", -1},  {6, "MIN", -1},        {7, "MAX", -1},     {8, "ROW", -1},       {9, "COLUMN", -1},
    {10, "NA", 0},       {20, "SQRT", 1},       {24, "ABS", 1},     {25, "INT", 1},       {26, "SIGN", 1},
    {27, "ROUND", 2},    {31, "MID", 3},        {32, "LEN", 1},     {33, "VALUE", 1},     {36, "AND", -1},
    {37, "OR", -1},      {38, "NOT", 1},        {39, "MOD", 2},     {48, "TEXT", 2},      {65, "DATE", 3},
    {67, "DAY", 1},      {68, "MONTH", 1},      {69, "YEAR", 1},    {70, "WEEKDAY", -1},  {74, "NOW", 0},
    {82, "SEARCH", -1},  {112, "LOWER", 1},     {113, "UPPER", 1},  {115, "LEFT", -1},    {116, "RIGHT", -1},
    {118, "TRIM", 1},    {126, "ISERR", 1},     {127, "ISTEXT", 1}, {128, "ISNUMBER", 1}, {129, "ISBLANK", 1},
    {169, "COUNTA", -1}, {198, "ISLOGICAL", 1}, {221, "TODAY", 0},  {346, "COUNTIF", 2},  {347, "COUNTBLANK", 1},
};

const Function* FindFunction(uint16_t id) {
    for (const Function& f : kFunctions)
        if (f.id == id) return &f;
    return nullptr;
}

struct Dimensions {
    uint32_t rows, cols;  // of a sheet: relative offsets wrap around them
    bool wide;  // 32-bit rows, 16-bit string lengths
};

Dimensions DimensionsOf(TokenLayout layout) {
    return layout == TokenLayout::Biff8 ? Dimensions{65536, 256, false} : Dimensions{1048576, 16384, true};
}

std::string ColumnName(uint32_t col) {
    std::string s;
    for (uint32_t c = col + 1; c > 0; c = (c - 1) / 26) s.insert(s.begin(), char('A' + (c - 1) % 26));
    return s;
}

class Decompiler {
public:
    Decompiler(std::string_view tokens, TokenLayout layout, FormulaBase base)
        : d_(tokens), dim_(DimensionsOf(layout)), base_(base) {}

    std::optional<std::string> Run() {
        for (size_t count = 0; at_ < d_.size(); ++count) {
            if (count >= kMaxFormulaTokens || !Token()) return std::nullopt;
            if (!stack_.empty() && stack_.back().text.size() > kMaxFormulaText) return std::nullopt;
        }
        if (stack_.size() != 1 || stack_[0].text.empty()) return std::nullopt;
        return std::move(stack_[0].text);
    }

private:
    bool Token();
    bool Classed(uint8_t base);
    bool Attribute();
    bool String();
    bool Number();
    bool Call(uint16_t id, size_t args);
    bool Reference(bool offsets);
    bool Area(bool offsets);
    bool SheetPrefix(std::string& out);
    bool Qualify(const std::string& sheet);
    bool Binary(const BinaryOp& op);
    bool Prefix(const char* sign);
    bool Wrap(const char* open, uint8_t tight, const char* close);

    bool Take(size_t n, std::string_view& out) {
        if (d_.size() - at_ < n) return false;
        out = d_.substr(at_, n);
        at_ += n;
        return true;
    }
    bool Skip(size_t n) {
        std::string_view unused;
        return Take(n, unused);
    }
    template <typename T>
    bool Read(T& v) {
        std::string_view b;
        if (!Take(sizeof(T), b)) return false;
        uint64_t x = 0;
        for (size_t i = sizeof(T); i-- > 0;) x = x << 8 | uint8_t(b[i]);
        if constexpr (std::is_same_v<T, double>) std::memcpy(&v, &x, 8);
        else v = T(x);
        return true;
    }
    bool Push(std::string text, uint8_t tight = kAtom) {
        stack_.push_back(Item{std::move(text), tight});
        return true;
    }
    bool Pop(Item& out) {
        if (stack_.empty()) return false;
        out = std::move(stack_.back());
        stack_.pop_back();
        return true;
    }
    // A row and column field: the row 16 or 32 bits, the column 16 bits with
    // its two relative flags on top.
    bool Cell(bool offsets, uint32_t rowField, uint16_t colField, std::string& out) const;

    std::string_view d_;
    size_t at_ = 0;
    Dimensions dim_;
    FormulaBase base_;
    std::vector<Item> stack_;
};

bool Decompiler::Token() {
    uint8_t t = 0;
    if (!Read(t)) return false;
    if (t >= 0x03 && t <= 0x0E) return Binary(kBinary[t - 0x03]);
    switch (t) {
    case 0x12: return !stack_.empty();  // unary plus: the value unchanged
    case 0x13: return Prefix("-");
    case 0x14: return Wrap("", kPercent, "%");
    case 0x15: return Wrap("(", 0, ")");
    case 0x16: return Push("");  // a missing argument
    case 0x17: return String();
    case 0x19: return Attribute();
    case 0x1C: {
        uint8_t code = 0;
        if (!Read(code) || ErrorCodeText(code).empty()) return false;
        return Push(std::string(ErrorCodeText(code)));
    }
    case 0x1D: {
        uint8_t b = 0;
        return Read(b) && Push(b ? "TRUE" : "FALSE");
    }
    case 0x1E: {
        uint16_t v = 0;
        return Read(v) && Push(std::to_string(v));
    }
    case 0x1F: return Number();
    default: break;
    }
    // Operand tokens come in three classes (reference, value, array) that
    // only say how the value is used.
    if (t >= 0x20 && t < 0x80) return Classed(t & 0x1F);
    return false;  // intersections, unions, ranges, shared formulas, tables, lists
}

bool Decompiler::Classed(uint8_t base) {
    switch (base) {
    case 0x01: {  // a function with a fixed count of arguments
        uint16_t id = 0;
        if (!Read(id)) return false;
        const Function* f = FindFunction(id);
        return f && f->args >= 0 && Call(id, size_t(f->args));
    }
    case 0x02: {  // a function with its count
        uint8_t args = 0;
        uint16_t id = 0;
        if (!Read(args) || !Read(id) || (id & 0x8000)) return false;  // commands are no functions
        return Call(id, args & 0x7F);
    }
    case 0x04: return Reference(false);
    case 0x05: return Area(false);
    case 0x0A: return Skip(dim_.wide ? 6 : 4) && Push("#REF!");
    case 0x0B: return Skip(dim_.wide ? 12 : 8) && Push("#REF!");
    case 0x0C: return Reference(true);
    case 0x0D: return Area(true);
    // References to other sheets: where the rule's formula stores them, their
    // relative parts are offsets from the rule's cell.
    case 0x1A: {
        std::string sheet;
        return SheetPrefix(sheet) && Reference(true) && Qualify(sheet);
    }
    case 0x1B: {
        std::string sheet;
        return SheetPrefix(sheet) && Area(true) && Qualify(sheet);
    }
    // A deleted reference to another sheet shows the same error.
    case 0x1C: return Skip(dim_.wide ? 8 : 6) && Push("#REF!");
    case 0x1D: return Skip(dim_.wide ? 14 : 10) && Push("#REF!");
    default: return false;  // arrays, names, references to other sheets, sub-expressions
    }
}

bool Decompiler::Attribute() {
    uint8_t kind = 0;
    uint16_t data = 0;
    if (!Read(kind) || !Read(data)) return false;
    if (kind & 0x04) return Skip((size_t(data) + 1) * 2);  // CHOOSE's jump table
    if (kind & 0x10) return Wrap("SUM(", kAtom, ")");  // SUM of one argument
    // Volatile marks, IF's and CHOOSE's jumps, spaces and line breaks.
    return (kind & ~0x6Bu) == 0;
}

bool Decompiler::String() {
    std::u16string units;
    if (dim_.wide) {
        uint16_t count = 0;
        if (!Read(count)) return false;
        for (uint16_t i = 0; i < count; ++i) {
            uint16_t u = 0;
            if (!Read(u)) return false;
            units += char16_t(u);
        }
    } else {
        uint8_t count = 0, flags = 0;
        if (!Read(count) || !Read(flags)) return false;
        for (uint8_t i = 0; i < count; ++i) {
            uint16_t u = 0;
            uint8_t narrow = 0;
            if ((flags & 1) ? !Read(u) : !Read(narrow)) return false;
            units += char16_t((flags & 1) ? u : narrow);
        }
    }
    std::string out = "\"";
    for (char c : text::Utf16ToUtf8(units)) {
        out += c;
        if (c == '"') out += '"';
    }
    return Push(out + "\"");
}

bool Decompiler::Number() {
    double v = 0;
    if (!Read(v) || !std::isfinite(v)) return false;
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    if (r.ec != std::errc()) return false;
    return Push(std::string(buf, r.ptr), v < 0 ? kNeg : kAtom);
}

bool Decompiler::Call(uint16_t id, size_t args) {
    if (args > stack_.size()) return false;
    const Function* f = FindFunction(id);
    std::string text = f ? f->name : "_FN" + std::to_string(id);
    text += '(';
    for (size_t i = stack_.size() - args; i < stack_.size(); ++i) {
        if (i > stack_.size() - args) text += ',';
        text += stack_[i].text;
    }
    stack_.resize(stack_.size() - args);
    return Push(text + ")");
}

bool Decompiler::Cell(bool offsets, uint32_t row, uint16_t colField, std::string& out) const {
    const bool colRel = colField & 0x4000, rowRel = colField & 0x8000;
    uint32_t col = colField & 0x3FFF;
    // Offsets wrap around the sheet, as the spreadsheet counts them.
    if (offsets && rowRel) row = uint32_t((uint64_t(base_.row) + row) % dim_.rows);
    if (offsets && colRel) col = uint32_t((uint64_t(base_.col) + col) % dim_.cols);
    if (row >= dim_.rows || col >= dim_.cols) return false;
    out = (colRel ? "" : "$") + ColumnName(col) + (rowRel ? "" : "$") + std::to_string(row + 1);
    return true;
}

bool Decompiler::Reference(bool offsets) {
    uint32_t row = 0;
    uint16_t row16 = 0, col = 0;
    if (dim_.wide ? !Read(row) : !Read(row16)) return false;
    if (!dim_.wide) row = row16;
    std::string text;
    return Read(col) && Cell(offsets, row, col, text) && Push(std::move(text));
}

bool Decompiler::Area(bool offsets) {
    uint32_t r1 = 0, r2 = 0;
    uint16_t a = 0, b = 0, c1 = 0, c2 = 0;
    if (dim_.wide) {
        if (!Read(r1) || !Read(r2)) return false;
    } else {
        if (!Read(a) || !Read(b)) return false;
        r1 = a;
        r2 = b;
    }
    std::string first, last;
    if (!Read(c1) || !Read(c2) || !Cell(offsets, r1, c1, first) || !Cell(offsets, r2, c2, last)) return false;
    return Push(first + ":" + last);
}

// The sheet an index into the workbook's table names, as a formula writes it.
bool Decompiler::SheetPrefix(std::string& out) {
    uint16_t index = 0;
    if (!Read(index) || !base_.sheets || index >= base_.sheets->size()) return false;
    const std::string& name = (*base_.sheets)[index];
    if (name.empty() || name.size() > 255) return false;
    out = "'";
    for (char c : name) {
        out += c;
        if (c == '\'') out += '\'';
    }
    out += "'!";
    return true;
}

bool Decompiler::Qualify(const std::string& sheet) {
    Item x;
    if (!Pop(x)) return false;
    return Push(sheet + x.text);
}

bool Decompiler::Binary(const BinaryOp& op) {
    Item right, left;
    if (!Pop(right) || !Pop(left)) return false;
    // Operators of one level group from the left.
    if (left.tight < op.tight) left.text = "(" + left.text + ")";
    if (right.tight <= op.tight) right.text = "(" + right.text + ")";
    return Push(left.text + op.text + right.text, op.tight);
}

bool Decompiler::Prefix(const char* sign) {
    Item x;
    if (!Pop(x)) return false;
    if (x.tight < kNeg) x.text = "(" + x.text + ")";
    return Push(sign + x.text, kNeg);
}

// Wraps the top operand: in parentheses (tight 0 keeps it as it is inside),
// as the argument of a one-argument SUM, or under a postfix percent sign.
bool Decompiler::Wrap(const char* open, uint8_t tight, const char* close) {
    Item x;
    if (!Pop(x)) return false;
    if (tight == kPercent && x.tight < kPercent) x.text = "(" + x.text + ")";
    return Push(open + x.text + close, tight == kPercent ? kPercent : kAtom);
}

}  // namespace

std::optional<std::string> FormulaText(std::string_view tokens, TokenLayout layout, FormulaBase base) {
    if (tokens.empty()) return std::nullopt;
    return Decompiler(tokens, layout, base).Run();
}

}  // namespace sheets
