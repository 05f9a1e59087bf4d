#include "sheets/cond/Functions.h"

#include "text/Ascii.h"

namespace sheets::cond {
namespace {

constexpr FnInfo kFunctions[] = {
    {"AND", 1, 255, false},     {"OR", 1, 255, false},    {"NOT", 1, 1, false},      {"IF", 2, 3, false},
    {"MOD", 2, 2, false},       {"ABS", 1, 1, false},     {"INT", 1, 1, false},      {"ROW", 0, 1, true},
    {"COLUMN", 0, 1, true},     {"ISBLANK", 1, 1, false}, {"ISNUMBER", 1, 1, false}, {"ISTEXT", 1, 1, false},
    {"ISERROR", 1, 1, false},   {"ISEVEN", 1, 1, false},  {"ISODD", 1, 1, false},    {"LEN", 1, 1, false},
    {"LEFT", 1, 2, false},      {"RIGHT", 1, 2, false},   {"SEARCH", 2, 3, false},   {"TRIM", 1, 1, false},
    {"UPPER", 1, 1, false},     {"LOWER", 1, 1, false},   {"COUNTIF", 2, 2, false},  {"SUM", 1, 255, false},
    {"AVERAGE", 1, 255, false}, {"MIN", 1, 255, false},   {"MAX", 1, 255, false},    {"TODAY", 0, 0, false},
    {"WEEKDAY", 1, 2, false},
};
static_assert(sizeof kFunctions / sizeof kFunctions[0] == static_cast<size_t>(Fn::Count_));

}  // namespace

const FnInfo* FindFunction(std::string_view name, uint8_t& index) {
    // Newer functions are stored with a prefix that says so.
    if (name.size() > 6 && (name.substr(0, 6) == "_xlfn." || name.substr(0, 6) == "_XLFN.")) name.remove_prefix(6);
    for (uint8_t i = 0; i < static_cast<uint8_t>(Fn::Count_); ++i) {
        if (text::EqualsAsciiNoCase(kFunctions[i].name, name)) {
            index = i;
            return &kFunctions[i];
        }
    }
    return nullptr;
}

const FnInfo& FunctionInfo(uint8_t index) { return kFunctions[index < static_cast<uint8_t>(Fn::Count_) ? index : 0]; }

}  // namespace sheets::cond
