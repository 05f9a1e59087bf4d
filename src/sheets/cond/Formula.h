#pragma once
// The formulas of conditional-format rules: a small, bounded evaluator for
// what such rules use in practice (comparisons and arithmetic on references
// relative to the rule's anchor cell, and a few functions). Anything else is
// refused when parsed, so a rule is never guessed at.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sheets/cond/CellSource.h"
#include "sheets/cond/Value.h"

namespace sheets::cond {

// A reference as written: relative parts move with the cell being evaluated.
struct RefPart {
    int64_t row = 0, col = 0;
    bool rowAbs = false, colAbs = false;
};

struct Node {
    enum class Op : uint8_t {
        Num,
        Str,
        Bool,
        Err,
        Ref,
        Area,
        Neg,
        Percent,
        Add,
        Sub,
        Mul,
        Div,
        Pow,
        Concat,
        Eq,
        Ne,
        Lt,
        Le,
        Gt,
        Ge,
        Call
    } op = Op::Num;
    uint8_t fn = 0;  // Call: index into the function table
    Value value;  // Num, Str, Bool, Err
    RefPart a, b;  // Ref (a), Area (a to b)
    uint16_t sheet = 0;  // Ref, Area: 0 the rule's own sheet, else 1 + an index into the formula's sheets
    std::vector<uint32_t> args;  // operands, in order
};

// Where a formula is evaluated.
struct EvalContext {
    const CellSource& cells;
    uint32_t anchorRow = 0, anchorCol = 0;  // the top-left cell of the rule's range
    uint32_t row = 0, col = 0;  // the cell the rule looks at
    double today = 0;  // the conversion date as a serial number
    Budget& budget;
};

class Formula {
public:
    // Nodes and nesting a formula may hold.
    static constexpr size_t kMaxNodes = 512, kMaxDepth = 48;

    // Parses a formula without its leading '='; nothing when it is malformed,
    // too large or uses what the evaluator does not know.
    static std::optional<Formula> Parse(std::string_view text);

    // The value at ctx's cell; nothing when the budget ran out.
    std::optional<Value> Eval(EvalContext& ctx) const;

    // Formulas without references and functions depending on the cell.
    bool Constant() const { return constant_; }

private:
    friend class Parser;
    friend class Evaluator;
    std::vector<Node> nodes_;
    std::vector<std::string> sheets_;  // the other sheets its references name
    uint32_t root_ = 0;
    bool constant_ = true;
};

// Sheets a formula's references may name.
inline constexpr size_t kMaxFormulaSheets = 16;

// Truth of a rule's formula result: a non-zero number or TRUE.
bool Truthy(const Value& v);

}  // namespace sheets::cond
