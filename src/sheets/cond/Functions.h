#pragma once
// The functions rule formulas may call.
#include <cstdint>
#include <string_view>

namespace sheets::cond {

enum class Fn : uint8_t {
    And,
    Or,
    Not,
    If,
    Mod,
    Abs,
    Int,
    Row,
    Column,
    IsBlank,
    IsNumber,
    IsText,
    IsError,
    IsEven,
    IsOdd,
    Len,
    Left,
    Right,
    Search,
    Trim,
    Upper,
    Lower,
    CountIf,
    Sum,
    Average,
    Min,
    Max,
    Today,
    Weekday,
    Count_  // the number of functions
};

struct FnInfo {
    std::string_view name;
    uint8_t minArgs, maxArgs;
    bool dependsOnCell;  // ROW and COLUMN without arguments, TODAY
};

// Nothing when the name (in any case) is not a known function.
const FnInfo* FindFunction(std::string_view name, uint8_t& index);
const FnInfo& FunctionInfo(uint8_t index);

}  // namespace sheets::cond
