#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace automation {

class IDispatchObject;
using ObjectRef = std::shared_ptr<IDispatchObject>;

// Status codes of the Automation layer (negative means failure).
using HResult = int32_t;
inline constexpr HResult S_OK_ = 0;
inline constexpr HResult kE_FAIL = static_cast<HResult>(0x80004005);
inline constexpr HResult kE_INVALIDARG = static_cast<HResult>(0x80070057);
inline constexpr HResult kE_OUTOFMEMORY = static_cast<HResult>(0x8007000E);
inline constexpr HResult kE_NOINTERFACE = static_cast<HResult>(0x80004002);
inline constexpr HResult kDISP_E_MEMBERNOTFOUND = static_cast<HResult>(0x80020003);
inline constexpr HResult kDISP_E_PARAMNOTFOUND = static_cast<HResult>(0x80020004);
inline constexpr HResult kDISP_E_TYPEMISMATCH = static_cast<HResult>(0x80020005);
inline constexpr HResult kDISP_E_UNKNOWNNAME = static_cast<HResult>(0x80020006);
inline constexpr HResult kDISP_E_EXCEPTION = static_cast<HResult>(0x80020009);
inline constexpr HResult kDISP_E_BADINDEX = static_cast<HResult>(0x8002000B);
inline constexpr HResult kDISP_E_BADPARAMCOUNT = static_cast<HResult>(0x8002000E);
inline constexpr HResult kCO_E_CLASSSTRING = static_cast<HResult>(0x800401F3);
inline constexpr HResult kREGDB_E_CLASSNOTREG = static_cast<HResult>(0x80040154);
inline constexpr bool Failed(HResult hr) { return hr < 0; }

// A tagged value as Automation passes it. An "omitted" optional argument is
// an Error value carrying DISP_E_PARAMNOTFOUND.
class Variant {
public:
    enum class Type : uint8_t { Empty, Null, Bool, Int, Double, String, Object, Error };

    Variant() = default;
    Variant(bool v) : type_(Type::Bool), int_(v ? 1 : 0) {}
    Variant(int32_t v) : type_(Type::Int), int_(v) {}
    Variant(double v) : type_(Type::Double), double_(v) {}
    Variant(const char* v) : type_(Type::String), string_(v) {}
    Variant(std::string v) : type_(Type::String), string_(std::move(v)) {}
    Variant(ObjectRef v) : type_(v ? Type::Object : Type::Empty), object_(std::move(v)) {}

    static Variant Null() {
        Variant v;
        v.type_ = Type::Null;
        return v;
    }
    static Variant ErrorCode(HResult code) {
        Variant v;
        v.type_ = Type::Error;
        v.int_ = code;
        return v;
    }
    static Variant Omitted() { return ErrorCode(kDISP_E_PARAMNOTFOUND); }

    Type type() const { return type_; }
    bool IsEmpty() const { return type_ == Type::Empty; }
    bool IsOmitted() const { return type_ == Type::Error && int_ == kDISP_E_PARAMNOTFOUND; }
    bool IsObject() const { return type_ == Type::Object && object_; }
    const ObjectRef& Object() const { return object_; }
    HResult ErrorValue() const { return type_ == Type::Error ? int_ : S_OK_; }

    // Conversions as Automation coerces; false when the value does not convert.
    bool ToBool(bool& out) const;
    bool ToInt(int32_t& out) const;  // rounds doubles, parses whole-number text
    bool ToDouble(double& out) const;  // text in the "C" notation
    bool ToText(std::string& out) const;

    void Clear() { *this = Variant(); }

private:
    Type type_ = Type::Empty;
    int32_t int_ = 0;
    double double_ = 0;
    std::string string_;
    ObjectRef object_;
};

}  // namespace automation
