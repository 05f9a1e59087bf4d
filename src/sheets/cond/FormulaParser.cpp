#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

#include "sheets/cond/Formula.h"
#include "sheets/cond/Functions.h"

namespace sheets::cond {

// Recursive descent over the text, one precedence level per function:
// comparison < & < + - < * / < ^ < unary minus < postfix %.
class Parser {
public:
    explicit Parser(std::string_view s) : s_(s) {}

    std::optional<Formula> Run() {
        const auto root = Compare(0);
        Skip();
        if (!root || failed_ || p_ != s_.size()) return std::nullopt;
        f_.root_ = *root;
        return std::move(f_);
    }

private:
    using R = std::optional<uint32_t>;

    void Skip() {
        while (p_ < s_.size() && (s_[p_] == ' ' || s_[p_] == '\n' || s_[p_] == '\r' || s_[p_] == '\t')) ++p_;
    }
    bool Eat(std::string_view t) {
        Skip();
        if (s_.substr(p_, t.size()) != t) return false;
        p_ += t.size();
        return true;
    }
    R Add(Node n) {
        if (f_.nodes_.size() >= Formula::kMaxNodes) {
            failed_ = true;
            return std::nullopt;
        }
        f_.nodes_.push_back(std::move(n));
        return static_cast<uint32_t>(f_.nodes_.size() - 1);
    }
    R Binary(Node::Op op, R a, R b) {
        if (!a || !b) return std::nullopt;
        Node n;
        n.op = op;
        n.args = {*a, *b};
        return Add(std::move(n));
    }

    R Compare(size_t depth) {
        if (depth > Formula::kMaxDepth) return std::nullopt;
        R left = Concat(depth + 1);
        for (;;) {
            Node::Op op;
            if (Eat("<>")) op = Node::Op::Ne;
            else if (Eat("<=")) op = Node::Op::Le;
            else if (Eat(">=")) op = Node::Op::Ge;
            else if (Eat("=")) op = Node::Op::Eq;
            else if (Eat("<")) op = Node::Op::Lt;
            else if (Eat(">")) op = Node::Op::Gt;
            else return left;
            left = Binary(op, left, Concat(depth + 1));
            if (!left) return left;
        }
    }
    R Concat(size_t depth) {
        R left = Sum(depth);
        while (left && Eat("&")) left = Binary(Node::Op::Concat, left, Sum(depth));
        return left;
    }
    R Sum(size_t depth) {
        R left = Product(depth);
        for (;;) {
            if (!left) return left;
            if (Eat("+")) left = Binary(Node::Op::Add, left, Product(depth));
            else if (Eat("-")) left = Binary(Node::Op::Sub, left, Product(depth));
            else return left;
        }
    }
    R Product(size_t depth) {
        R left = Power(depth);
        for (;;) {
            if (!left) return left;
            if (Eat("*")) left = Binary(Node::Op::Mul, left, Power(depth));
            else if (Eat("/")) left = Binary(Node::Op::Div, left, Power(depth));
            else return left;
        }
    }
    R Power(size_t depth) {
        R left = Unary(depth);
        while (left && Eat("^")) left = Binary(Node::Op::Pow, left, Unary(depth));
        return left;
    }
    R Unary(size_t depth) {
        if (depth > Formula::kMaxDepth) return std::nullopt;
        if (Eat("-")) {
            Node n;
            n.op = Node::Op::Neg;
            R a = Unary(depth + 1);
            if (!a) return a;
            n.args = {*a};
            return Add(std::move(n));
        }
        if (Eat("+")) return Unary(depth + 1);
        R a = Primary(depth);
        while (a && Eat("%")) {
            Node n;
            n.op = Node::Op::Percent;
            n.args = {*a};
            a = Add(std::move(n));
        }
        return a;
    }

    R Primary(size_t depth);
    R NumberLiteral();
    R StringLiteral();
    R ErrorLiteral();
    R Name(size_t depth);
    bool SheetName(uint16_t& sheet);
    R Call(std::string_view name, size_t depth);
    bool ParseRef(std::string_view word, RefPart& out, bool allowColumnOnly);

    std::string_view s_;
    size_t p_ = 0;
    bool failed_ = false;
    Formula f_;
};

Parser::R Parser::Primary(size_t depth) {
    Skip();
    if (p_ >= s_.size()) return std::nullopt;
    const char c = s_[p_];
    if (c == '(') {
        ++p_;
        R inner = Compare(depth + 1);
        if (!inner || !Eat(")")) return std::nullopt;
        return inner;
    }
    if (c == '"') return StringLiteral();
    if (c == '#') return ErrorLiteral();
    if ((c >= '0' && c <= '9') || c == '.') return NumberLiteral();
    return Name(depth);
}

Parser::R Parser::NumberLiteral() {
    size_t e = p_;
    while (e < s_.size() && ((s_[e] >= '0' && s_[e] <= '9') || s_[e] == '.')) ++e;
    if (e < s_.size() && (s_[e] == 'e' || s_[e] == 'E')) {
        size_t x = e + 1;
        if (x < s_.size() && (s_[x] == '+' || s_[x] == '-')) ++x;
        if (x < s_.size() && s_[x] >= '0' && s_[x] <= '9') {
            e = x;
            while (e < s_.size() && s_[e] >= '0' && s_[e] <= '9') ++e;
        }
    }
    const std::string text(s_.substr(p_, e - p_));
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(v)) return std::nullopt;
    p_ = e;
    Node n;
    n.value = Value::Num(v);
    return Add(std::move(n));
}

Parser::R Parser::StringLiteral() {
    std::string text;
    for (++p_; p_ < s_.size(); ++p_) {
        if (s_[p_] != '"') {
            text += s_[p_];
        } else if (p_ + 1 < s_.size() && s_[p_ + 1] == '"') {
            text += '"';
            ++p_;
        } else {
            ++p_;
            Node n;
            n.op = Node::Op::Str;
            n.value = Value::Str(std::move(text));
            return Add(std::move(n));
        }
    }
    return std::nullopt;  // unterminated
}

Parser::R Parser::ErrorLiteral() {
    static constexpr std::string_view kErrors[] = {"#NULL!", "#DIV/0!", "#VALUE!", "#REF!", "#NAME?", "#NUM!", "#N/A"};
    for (std::string_view e : kErrors)
        if (s_.substr(p_, e.size()) == e) {
            p_ += e.size();
            Node n;
            n.op = Node::Op::Err;
            n.value = Value::Err(std::string(e));
            return Add(std::move(n));
        }
    return std::nullopt;
}

bool Parser::ParseRef(std::string_view w, RefPart& out, bool allowColumnOnly) {
    size_t i = 0;
    out.colAbs = i < w.size() && w[i] == '$';
    if (out.colAbs) ++i;
    int64_t col = 0;
    size_t letters = 0;
    for (; i < w.size() && letters < 4; ++i, ++letters) {
        char c = w[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c < 'A' || c > 'Z') break;
        col = col * 26 + (c - 'A' + 1);
    }
    if (letters == 0 || letters > 3 || col > kLastCol + 1) return false;
    out.col = col - 1;
    if (i == w.size() && allowColumnOnly) {
        out.row = -1;  // a whole column
        out.rowAbs = true;
        return true;
    }
    out.rowAbs = i < w.size() && w[i] == '$';
    if (out.rowAbs) ++i;
    int64_t row = 0;
    size_t digits = 0;
    for (; i < w.size() && w[i] >= '0' && w[i] <= '9' && digits < 8; ++i, ++digits) row = row * 10 + (w[i] - '0');
    if (digits == 0 || i != w.size() || row < 1 || row > kLastRow + 1) return false;
    out.row = row - 1;
    return true;
}

// A sheet before a reference ('Sheet name'! or Sheet!): taken, and its
// number among the formula's sheets set, or nothing taken at all.
bool Parser::SheetName(uint16_t& sheet) {
    std::string name;
    size_t p = p_;
    if (s_[p] == '\'') {
        for (++p; p < s_.size(); ++p) {
            if (s_[p] != '\'') name += s_[p];
            else if (p + 1 < s_.size() && s_[p + 1] == '\'') name += s_[++p];
            else break;
        }
        if (p >= s_.size()) return false;  // unterminated
        ++p;
    } else {
        while (p < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[p])) || s_[p] == '_' || s_[p] == '.'))
            name += s_[p++];
    }
    if (p >= s_.size() || s_[p] != '!' || name.empty()) return s_[p_] != '\'';
    auto known = std::find(f_.sheets_.begin(), f_.sheets_.end(), name);
    if (known == f_.sheets_.end()) {
        if (f_.sheets_.size() >= kMaxFormulaSheets) return false;
        known = f_.sheets_.insert(known, std::move(name));
    }
    sheet = uint16_t(known - f_.sheets_.begin() + 1);
    p_ = p + 1;
    return true;
}

Parser::R Parser::Name(size_t depth) {
    uint16_t sheet = 0;
    if (!SheetName(sheet)) return std::nullopt;
    const size_t start = p_;
    while (p_ < s_.size()) {
        const char c = s_[p_];
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '$' || c == '_' ||
              c == '.'))
            break;
        ++p_;
    }
    const std::string_view word = s_.substr(start, p_ - start);
    if (word.empty()) return std::nullopt;
    Skip();
    if (p_ < s_.size() && s_[p_] == '(') {
        ++p_;
        return sheet ? std::nullopt : Call(word, depth);
    }
    const std::string upper = [&] {
        std::string u(word);
        for (char& c : u)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        return u;
    }();
    if (!sheet && (upper == "TRUE" || upper == "FALSE")) {
        Node n;
        n.op = Node::Op::Bool;
        n.value = Value::Boolean(upper == "TRUE");
        return Add(std::move(n));
    }
    Node n;
    n.sheet = sheet;
    const bool area = p_ < s_.size() && s_[p_] == ':';
    if (!ParseRef(word, n.a, area)) return std::nullopt;  // names, other sheets: not known here
    f_.constant_ = f_.constant_ && n.a.rowAbs && n.a.colAbs && n.a.row >= 0;
    if (!area) {
        n.op = Node::Op::Ref;
        return Add(std::move(n));
    }
    ++p_;
    const size_t second = p_;
    while (p_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[p_])) || s_[p_] == '$')) ++p_;
    if (!ParseRef(s_.substr(second, p_ - second), n.b, n.a.row < 0)) return std::nullopt;
    if ((n.a.row < 0) != (n.b.row < 0)) return std::nullopt;
    f_.constant_ = f_.constant_ && n.b.rowAbs && n.b.colAbs;
    n.op = Node::Op::Area;
    return Add(std::move(n));
}

Parser::R Parser::Call(std::string_view name, size_t depth) {
    Node n;
    n.op = Node::Op::Call;
    const FnInfo* info = FindFunction(name, n.fn);
    if (!info) return std::nullopt;
    if (!Eat(")")) {
        do {
            R a = Compare(depth + 1);
            if (!a) return std::nullopt;
            n.args.push_back(*a);
        } while (Eat(","));
        if (!Eat(")")) return std::nullopt;
    }
    if (n.args.size() < info->minArgs || n.args.size() > info->maxArgs) return std::nullopt;
    if (info->dependsOnCell && n.args.empty()) f_.constant_ = false;
    return Add(std::move(n));
}

std::optional<Formula> Formula::Parse(std::string_view text) {
    if (!text.empty() && text.front() == '=') text.remove_prefix(1);
    if (text.empty() || text.size() > 8192) return std::nullopt;
    return Parser(text).Run();
}

bool Truthy(const Value& v) { return (v.type == Value::Type::Number || v.type == Value::Type::Bool) && v.number != 0; }

}  // namespace sheets::cond
