// Placeholder until the format-code engine lands: every code shows as General.
#include "sheets/numfmt/NumberFormat.h"

#include <cstdio>

namespace sheets {
namespace {
class GeneralOnly final : public NumberFormat {
public:
    Formatted Format(double v, bool) const override {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.10g", v);
        return {buf};
    }
    Formatted FormatText(std::string_view t) const override { return {std::string(t)}; }
    bool IsDate() const override { return false; }
};
}  // namespace

std::shared_ptr<const NumberFormat> NumberFormat::Compile(std::string_view) {
    return std::make_shared<GeneralOnly>();
}
std::string_view BuiltinFormatCode(uint32_t) { return "General"; }

}  // namespace sheets
