#include "automation/Variant.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "automation/AsciiText.h"

namespace automation {

bool Variant::ToBool(bool& out) const {
    switch (type_) {
    case Type::Bool:
    case Type::Int: out = int_ != 0; return true;
    case Type::Double: out = double_ != 0; return true;
    case Type::String:
        if (SameName(string_, "true")) {
            out = true;
            return true;
        }
        if (SameName(string_, "false")) {
            out = false;
            return true;
        }
        if (double d; ToDouble(d)) {
            out = d != 0;
            return true;
        }
        return false;
    default: return false;
    }
}

bool Variant::ToDouble(double& out) const {
    switch (type_) {
    case Type::Bool: out = int_ ? -1.0 : 0.0; return true;  // Automation's true is -1
    case Type::Int: out = int_; return true;
    case Type::Double: out = double_; return true;
    case Type::String: {
        size_t b = string_.find_first_not_of(' ');
        size_t e = string_.find_last_not_of(' ');
        if (b == std::string::npos) return false;
        const char* first = string_.data() + b;
        const char* last = string_.data() + e + 1;
        double d = 0;
        auto r = std::from_chars(first, last, d);
        if (r.ec != std::errc() || r.ptr != last || !std::isfinite(d)) return false;
        out = d;
        return true;
    }
    default: return false;
    }
}

bool Variant::ToInt(int32_t& out) const {
    if (type_ == Type::Int) {
        out = int_;
        return true;
    }
    if (type_ == Type::Bool) {
        out = int_ ? -1 : 0;
        return true;
    }
    double d = 0;
    if (!ToDouble(d)) return false;
    d = std::nearbyint(d);
    if (d < std::numeric_limits<int32_t>::min() || d > std::numeric_limits<int32_t>::max()) return false;
    out = static_cast<int32_t>(d);
    return true;
}

bool Variant::ToText(std::string& out) const {
    switch (type_) {
    case Type::String: out = string_; return true;
    case Type::Bool: out = int_ ? "True" : "False"; return true;
    case Type::Int: out = std::to_string(int_); return true;
    case Type::Double: {
        char buf[64];
        auto r = std::to_chars(buf, buf + sizeof buf, double_);
        out.assign(buf, r.ptr);
        return true;
    }
    case Type::Empty: out.clear(); return true;
    default: return false;
    }
}

}  // namespace automation
