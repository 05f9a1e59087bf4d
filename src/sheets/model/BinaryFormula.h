#pragma once
// Formulas as the two binary formats store them: tokens in reverse Polish
// order. Conditional formats keep their rules' formulas as text (as .xlsx
// stores them), so that one evaluator serves every reader; this turns the
// tokens back into that text.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sheets {

// The token layouts: .xls (16-bit rows, 256 columns) and .xlsb (32-bit rows).
enum class TokenLayout : uint8_t { Biff8, Biff12 };

// The cell that references stored as offsets count from, and the sheets
// that references to other sheets name: an entry of the workbook's table of
// them is the sheet's name, or empty for another workbook's (such a
// reference is never resolved).
struct FormulaBase {
    uint32_t row = 0, col = 0;
    const std::vector<std::string>* sheets = nullptr;
};

// The text of a formula's tokens, without '='; a reference to another sheet
// reads 'Sheet name'!A1. Nothing for a token the text cannot stand for
// (names, other workbooks, arrays, unions), a stream that does
// not add up to one formula, or one past the bounds below: such a rule is
// never applied rather than guessed at. Functions outside the small set a
// rule's evaluator knows keep their place under a name it refuses.
std::optional<std::string> FormulaText(std::string_view tokens, TokenLayout layout, FormulaBase base);

// Tokens and characters a formula may come to.
inline constexpr size_t kMaxFormulaTokens = 2048, kMaxFormulaText = 8192;

}  // namespace sheets
