#pragma once
// The values conditional formats compare: a cell's cached value or what a
// rule's formula gives.
#include <cstdint>
#include <string>
#include <string_view>

namespace sheets::cond {

struct Value {
    enum class Type : uint8_t { Blank, Number, Text, Bool, Error } type = Type::Blank;
    double number = 0;  // Number; Bool as 0 or 1
    std::string text;  // Text; Error: its code such as "#DIV/0!"

    static Value Num(double v) { return Value{Type::Number, v, {}}; }
    static Value Str(std::string s) { return Value{Type::Text, 0, std::move(s)}; }
    static Value Boolean(bool b) { return Value{Type::Bool, b ? 1.0 : 0.0, {}}; }
    static Value Err(std::string code) { return Value{Type::Error, 0, std::move(code)}; }
    bool IsError() const { return type == Type::Error; }
};

// What evaluation may still spend: every formula step and every cell a rule
// looks at costs one. Nothing is evaluated once it is spent.
struct Budget {
    uint64_t left = 0;
    bool Spend(uint64_t n = 1) {
        if (left < n) {
            left = 0;
            return false;
        }
        left -= n;
        return true;
    }
};

// A number as a formula turns it into text: up to 15 significant digits.
std::string NumberText(double v);
// The value as text (numbers as NumberText, TRUE/FALSE, blank as empty).
std::string ValueText(const Value& v);
// Text that reads as a number (spaces around, a sign, a percent sign).
bool TextNumber(std::string_view s, double& out);
// The spreadsheet's order: numbers < text < booleans, text without case;
// a blank compares as 0, "" or FALSE to what it meets. -1, 0 or 1.
int Compare(const Value& a, const Value& b);

}  // namespace sheets::cond
