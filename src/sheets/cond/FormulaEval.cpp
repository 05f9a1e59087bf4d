#include <algorithm>
#include <cmath>

#include "sheets/cond/Formula.h"
#include "sheets/cond/Functions.h"
#include "text/Ascii.h"
#include "text/Utf8.h"

namespace sheets::cond {
namespace {

bool ToNumber(const Value& v, double& out, Value& err) {
    switch (v.type) {
    case Value::Type::Blank: out = 0; return true;
    case Value::Type::Number:
    case Value::Type::Bool: out = v.number; return true;
    case Value::Type::Text:
        if (TextNumber(v.text, out)) return true;
        err = Value::Err("#VALUE!");
        return false;
    case Value::Type::Error: err = v; return false;
    }
    return false;
}

Value Finite(double v) { return std::isfinite(v) ? Value::Num(v) : Value::Err("#NUM!"); }

// Wildcard match as criteria use it: '*' any run, '?' one character, '~' escapes.
bool Wild(std::string_view p, std::string_view s) {
    size_t pi = 0, si = 0, star = std::string_view::npos, mark = 0;
    while (si < s.size()) {
        if (pi < p.size() && p[pi] == '~' && pi + 1 < p.size() && p[pi + 1] == s[si]) {
            pi += 2;
            ++si;
        } else if (pi < p.size() && (p[pi] == '?' || (p[pi] == s[si] && p[pi] != '*' && p[pi] != '~'))) {
            ++pi;
            ++si;
        } else if (pi < p.size() && p[pi] == '*') {
            star = pi++;
            mark = si;
        } else if (star != std::string_view::npos) {
            pi = star + 1;
            si = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*') ++pi;
    return pi == p.size();
}

}  // namespace

class Evaluator {
public:
    Evaluator(const Formula& f, EvalContext& ctx) : f_(f), ctx_(ctx) {}

    std::optional<Value> Eval(uint32_t n);

private:
    struct Area {
        Range range;
        bool valid = true;
    };
    bool Resolve(const RefPart& p, int64_t& row, int64_t& col) const;
    Area AreaOf(const Node& n) const;
    // The cells a reference looks at; null for a sheet the workbook lacks.
    const CellSource* SourceOf(const Node& n) const {
        return n.sheet == 0 ? &ctx_.cells : ctx_.cells.Other(f_.sheets_[n.sheet - 1]);
    }
    std::optional<Value> Arith(const Node& n);
    std::optional<Value> Call(const Node& n);
    std::optional<Value> Logical(const Node& n, bool all);
    std::optional<Value> Aggregate(const Node& n, Fn fn);
    std::optional<Value> CountIf(const Node& n);
    std::optional<Value> TextFn(const Node& n, Fn fn);
    // Each value of an argument: the cells of an area, or the argument's own value.
    template <class F>
    bool Each(uint32_t arg, bool& fromArea, F&& f);

    const Formula& f_;
    EvalContext& ctx_;
};

bool Evaluator::Resolve(const RefPart& p, int64_t& row, int64_t& col) const {
    row = p.rowAbs ? p.row : p.row + int64_t(ctx_.row) - int64_t(ctx_.anchorRow);
    col = p.colAbs ? p.col : p.col + int64_t(ctx_.col) - int64_t(ctx_.anchorCol);
    return row >= 0 && row <= kLastRow && col >= 0 && col <= kLastCol;
}

Evaluator::Area Evaluator::AreaOf(const Node& n) const {
    Area a;
    int64_t r1, c1, r2, c2;
    RefPart p1 = n.a, p2 = n.op == Node::Op::Area ? n.b : n.a;
    const bool columns = p1.row < 0;
    if (columns) p1.row = p2.row = 0;
    a.valid = Resolve(p1, r1, c1) && Resolve(p2, r2, c2);
    if (columns) {
        r1 = 0;
        r2 = kLastRow;
    }
    if (a.valid)
        a.range = Range{uint32_t(std::min(r1, r2)), uint32_t(std::min(c1, c2)), uint32_t(std::max(r1, r2)),
                        uint32_t(std::max(c1, c2))};
    return a;
}

template <class F>
bool Evaluator::Each(uint32_t arg, bool& fromArea, F&& f) {
    const Node& n = f_.nodes_[arg];
    fromArea = n.op == Node::Op::Area || n.op == Node::Op::Ref;
    if (fromArea) {
        const Area a = AreaOf(n);
        const CellSource* cells = SourceOf(n);
        if (!a.valid || !cells) return f(Value::Err("#REF!")), true;
        return cells->ForEach(a.range, ctx_.budget, [&](uint32_t, const Cell& c) { f(cells->Of(c)); });
    }
    auto v = Eval(arg);
    if (!v) return false;
    f(*v);
    return true;
}

std::optional<Value> Evaluator::Eval(uint32_t index) {
    if (!ctx_.budget.Spend()) return std::nullopt;
    const Node& n = f_.nodes_[index];
    switch (n.op) {
    case Node::Op::Num:
    case Node::Op::Str:
    case Node::Op::Bool:
    case Node::Op::Err: return n.value;
    case Node::Op::Ref: {
        int64_t r, c;
        const CellSource* cells = SourceOf(n);
        if (!Resolve(n.a, r, c) || n.a.row < 0 || !cells) return Value::Err("#REF!");
        return cells->At(uint32_t(r), uint32_t(c));
    }
    case Node::Op::Area: return Value::Err("#VALUE!");  // an area where one value is wanted
    case Node::Op::Call: return Call(n);
    case Node::Op::Concat: {
        auto a = Eval(n.args[0]), b = Eval(n.args[1]);
        if (!a || !b) return std::nullopt;
        if (a->IsError()) return a;
        if (b->IsError()) return b;
        return Value::Str(ValueText(*a) + ValueText(*b));
    }
    case Node::Op::Eq:
    case Node::Op::Ne:
    case Node::Op::Lt:
    case Node::Op::Le:
    case Node::Op::Gt:
    case Node::Op::Ge: {
        auto a = Eval(n.args[0]), b = Eval(n.args[1]);
        if (!a || !b) return std::nullopt;
        if (a->IsError()) return a;
        if (b->IsError()) return b;
        const int c = Compare(*a, *b);
        const bool r = n.op == Node::Op::Eq   ? c == 0
                       : n.op == Node::Op::Ne ? c != 0
                       : n.op == Node::Op::Lt ? c < 0
                       : n.op == Node::Op::Le ? c <= 0
                       : n.op == Node::Op::Gt ? c > 0
                                              : c >= 0;
        return Value::Boolean(r);
    }
    default: return Arith(n);
    }
}

std::optional<Value> Evaluator::Arith(const Node& n) {
    double x = 0, y = 0;
    Value err;
    auto a = Eval(n.args[0]);
    if (!a) return std::nullopt;
    if (!ToNumber(*a, x, err)) return err;
    if (n.op == Node::Op::Neg) return Value::Num(-x);
    if (n.op == Node::Op::Percent) return Value::Num(x / 100);
    auto b = Eval(n.args[1]);
    if (!b) return std::nullopt;
    if (!ToNumber(*b, y, err)) return err;
    switch (n.op) {
    case Node::Op::Add: return Finite(x + y);
    case Node::Op::Sub: return Finite(x - y);
    case Node::Op::Mul: return Finite(x * y);
    case Node::Op::Div: return y == 0 ? Value::Err("#DIV/0!") : Finite(x / y);
    case Node::Op::Pow: return Finite(std::pow(x, y));
    default: return Value::Err("#VALUE!");
    }
}

std::optional<Value> Evaluator::Logical(const Node& n, bool all) {
    bool result = all, any = false;
    std::optional<Value> error;
    for (uint32_t arg : n.args) {
        bool fromArea = false;
        const bool done = Each(arg, fromArea, [&](const Value& v) {
            if (v.IsError()) {
                if (!error) error = v;
                return;
            }
            double d = 0;
            Value err;
            // Text in an area is passed over; text given directly must read as a number.
            if (v.type == Value::Type::Blank || (fromArea && v.type == Value::Type::Text)) return;
            if (!ToNumber(v, d, err)) {
                if (!error) error = Value::Err("#VALUE!");
                return;
            }
            any = true;
            result = all ? result && d != 0 : result || d != 0;
        });
        if (!done) return std::nullopt;
    }
    if (error) return error;
    if (!any) return Value::Err("#VALUE!");
    return Value::Boolean(result);
}

std::optional<Value> Evaluator::Aggregate(const Node& n, Fn fn) {
    double sum = 0, lo = HUGE_VAL, hi = -HUGE_VAL;
    uint64_t count = 0;
    std::optional<Value> error;
    for (uint32_t arg : n.args) {
        bool fromArea = false;
        const bool done = Each(arg, fromArea, [&](const Value& v) {
            double d = 0;
            Value err;
            if (v.IsError()) {
                if (!error) error = v;
                return;
            }
            if (fromArea && v.type != Value::Type::Number) return;
            if (!ToNumber(v, d, err)) {
                if (!error) error = err;
                return;
            }
            sum += d;
            lo = std::min(lo, d);
            hi = std::max(hi, d);
            ++count;
        });
        if (!done) return std::nullopt;
    }
    if (error) return error;
    switch (fn) {
    case Fn::Sum: return Finite(sum);
    case Fn::Average: return count ? Finite(sum / double(count)) : Value::Err("#DIV/0!");
    case Fn::Min: return Value::Num(count ? lo : 0);
    default: return Value::Num(count ? hi : 0);
    }
}

std::optional<Value> Evaluator::CountIf(const Node& n) {
    const Node& range = f_.nodes_[n.args[0]];
    if (range.op != Node::Op::Area && range.op != Node::Op::Ref) return Value::Err("#VALUE!");
    auto crit = Eval(n.args[1]);
    if (!crit) return std::nullopt;
    // The criterion: a value, or text with a leading comparison.
    Node::Op op = Node::Op::Eq;
    Value want = *crit;
    if (want.type == Value::Type::Text) {
        std::string_view t = want.text;
        static constexpr std::pair<std::string_view, Node::Op> kOps[] = {{"<>", Node::Op::Ne}, {"<=", Node::Op::Le},
                                                                         {">=", Node::Op::Ge}, {"=", Node::Op::Eq},
                                                                         {"<", Node::Op::Lt},  {">", Node::Op::Gt}};
        for (auto [text, o] : kOps)
            if (t.substr(0, text.size()) == text) {
                op = o;
                t.remove_prefix(text.size());
                break;
            }
        double d;
        want = TextNumber(t, d) ? Value::Num(d) : Value::Str(std::string(t));
    }
    const bool wild = want.type == Value::Type::Text && (op == Node::Op::Eq || op == Node::Op::Ne);
    const std::string pattern = wild ? text::AsciiLowerCase(want.text) : std::string();
    const Area a = AreaOf(range);
    const CellSource* cells = SourceOf(range);
    if (!a.valid || !cells) return Value::Err("#REF!");
    double count = 0;
    const auto test = [&](const Value& v) {
        if (wild) {
            const bool hit = v.type == Value::Type::Text && Wild(pattern, text::AsciiLowerCase(v.text));
            return op == Node::Op::Eq ? hit : !hit;
        }
        if (v.type == Value::Type::Blank || v.type != want.type) return op == Node::Op::Ne;
        const int c = Compare(v, want);
        return op == Node::Op::Eq   ? c == 0
               : op == Node::Op::Ne ? c != 0
               : op == Node::Op::Lt ? c < 0
               : op == Node::Op::Le ? c <= 0
               : op == Node::Op::Gt ? c > 0
                                    : c >= 0;
    };
    if (!cells->ForEach(a.range, ctx_.budget, [&](uint32_t, const Cell& c) { count += test(cells->Of(c)); }))
        return std::nullopt;
    return Value::Num(count);
}

std::optional<Value> Evaluator::TextFn(const Node& n, Fn fn) {
    auto a = Eval(n.args[0]);
    if (!a) return std::nullopt;
    if (a->IsError()) return a;
    std::string text = ValueText(*a);
    double count = 1;
    if (n.args.size() > 1 && fn != Fn::Search) {
        auto b = Eval(n.args[1]);
        Value err;
        if (!b) return std::nullopt;
        if (!ToNumber(*b, count, err)) return err;
        if (count < 0) return Value::Err("#VALUE!");
    }
    // Lengths count characters, not bytes.
    const auto chars = [](std::string_view s) { return text::CharCount(s); };
    const auto bytesOf = [](std::string_view s, size_t nChars) {
        size_t i = 0;
        for (size_t k = 0; i < s.size(); ++i) {
            if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80 && k++ == nChars) break;
        }
        return i;
    };
    switch (fn) {
    case Fn::Len: return Value::Num(double(chars(text)));
    case Fn::Left: return Value::Str(text.substr(0, bytesOf(text, size_t(std::min(count, 1e9)))));
    case Fn::Right: {
        const size_t total = chars(text), keep = size_t(std::min<double>(count, double(total)));
        return Value::Str(text.substr(bytesOf(text, total - keep)));
    }
    case Fn::Trim: {
        std::string out;
        for (char c : text)
            if (c != ' ' || (!out.empty() && out.back() != ' ')) out += c;
        if (!out.empty() && out.back() == ' ') out.pop_back();
        return Value::Str(out);
    }
    case Fn::Upper:
        for (char& c : text)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        return Value::Str(text);
    case Fn::Lower: return Value::Str(text::AsciiLowerCase(text));
    default: break;
    }
    // SEARCH(find, within, [start]): where `find` begins, without case, from 1.
    auto within = Eval(n.args[1]);
    if (!within) return std::nullopt;
    if (within->IsError()) return within;
    double start = 1;
    if (n.args.size() > 2) {
        auto s = Eval(n.args[2]);
        Value err;
        if (!s) return std::nullopt;
        if (!ToNumber(*s, start, err)) return err;
    }
    const std::string hay = text::AsciiLowerCase(ValueText(*within)), needle = text::AsciiLowerCase(text);
    if (start < 1 || start > double(chars(hay)) + 1) return Value::Err("#VALUE!");
    const size_t from = bytesOf(hay, size_t(start) - 1);
    if (!ctx_.budget.Spend(hay.size() / 64 + 1)) return std::nullopt;
    for (size_t p = from; p + needle.size() <= hay.size(); ++p)
        if (Wild(needle + "*", std::string_view(hay).substr(p))) return Value::Num(double(chars(hay.substr(0, p)) + 1));
    return Value::Err("#VALUE!");
}

std::optional<Value> Evaluator::Call(const Node& n) {
    const Fn fn = static_cast<Fn>(n.fn);
    const auto number = [&](size_t i, double& out, Value& err) -> std::optional<bool> {
        auto v = Eval(n.args[i]);
        if (!v) return std::nullopt;
        return ToNumber(*v, out, err);
    };
    double x = 0, y = 0;
    Value err;
    switch (fn) {
    case Fn::And: return Logical(n, true);
    case Fn::Or: return Logical(n, false);
    case Fn::Sum:
    case Fn::Average:
    case Fn::Min:
    case Fn::Max: return Aggregate(n, fn);
    case Fn::CountIf: return CountIf(n);
    case Fn::Today: return Value::Num(std::floor(ctx_.today));
    case Fn::Len:
    case Fn::Left:
    case Fn::Right:
    case Fn::Search:
    case Fn::Trim:
    case Fn::Upper:
    case Fn::Lower: return TextFn(n, fn);
    case Fn::Row:
    case Fn::Column: {
        int64_t r = ctx_.row, c = ctx_.col;
        if (!n.args.empty()) {
            const Node& ref = f_.nodes_[n.args[0]];
            if (ref.op != Node::Op::Ref && ref.op != Node::Op::Area) return Value::Err("#VALUE!");
            const Area a = AreaOf(ref);
            if (!a.valid) return Value::Err("#REF!");
            r = a.range.row1;
            c = a.range.col1;
        }
        return Value::Num(double((fn == Fn::Row ? r : c) + 1));
    }
    case Fn::IsBlank:
    case Fn::IsNumber:
    case Fn::IsText:
    case Fn::IsError: {
        auto v = Eval(n.args[0]);
        if (!v) return std::nullopt;
        const Value::Type t = fn == Fn::IsBlank    ? Value::Type::Blank
                              : fn == Fn::IsNumber ? Value::Type::Number
                              : fn == Fn::IsText   ? Value::Type::Text
                                                   : Value::Type::Error;
        return Value::Boolean(v->type == t);
    }
    case Fn::If: {
        auto c = Eval(n.args[0]);
        if (!c) return std::nullopt;
        if (c->IsError()) return c;
        if (!ToNumber(*c, x, err)) return err;
        if (x != 0) return Eval(n.args[1]);
        return n.args.size() > 2 ? Eval(n.args[2]) : std::optional<Value>(Value::Boolean(false));
    }
    default: break;
    }
    auto ok = number(0, x, err);
    if (!ok) return std::nullopt;
    if (!*ok) return err;
    switch (fn) {
    case Fn::Not: return Value::Boolean(x == 0);
    case Fn::Abs: return Value::Num(std::fabs(x));
    case Fn::Int: return Finite(std::floor(x));
    case Fn::IsEven: return Value::Boolean(std::fmod(std::trunc(x), 2) == 0);
    case Fn::IsOdd: return Value::Boolean(std::fmod(std::trunc(x), 2) != 0);
    case Fn::Mod:
    case Fn::Weekday: {
        y = fn == Fn::Weekday ? 1 : 0;
        if (n.args.size() > 1) {
            auto ok2 = number(1, y, err);
            if (!ok2) return std::nullopt;
            if (!*ok2) return err;
        }
        if (fn == Fn::Mod) return y == 0 ? Value::Err("#DIV/0!") : Finite(x - y * std::floor(x / y));
        if (x < 0) return Value::Err("#NUM!");
        // Serial 1 was a Sunday; type 2 counts from Monday, 3 from Monday as 0.
        const int sunday0 = int(std::fmod(std::floor(x) + 6, 7));
        if (y == 1) return Value::Num(sunday0 + 1);
        if (y == 2) return Value::Num((sunday0 + 6) % 7 + 1);
        if (y == 3) return Value::Num((sunday0 + 6) % 7);
        return Value::Err("#NUM!");
    }
    default: return Value::Err("#VALUE!");
    }
}

std::optional<Value> Formula::Eval(EvalContext& ctx) const {
    if (nodes_.empty()) return std::nullopt;
    return Evaluator(*this, ctx).Eval(root_);
}

}  // namespace sheets::cond
