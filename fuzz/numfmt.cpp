// Format codes come straight from workbooks: compile arbitrary codes and
// format a spread of values with them.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>

#include "sheets/numfmt/NumberFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    double extra = 0;
    if (size >= sizeof(double)) {  // the first bytes choose one more value
        std::memcpy(&extra, data, sizeof extra);
        data += sizeof extra;
        size -= sizeof extra;
    }
    std::string_view code(reinterpret_cast<const char*>(data), size);
    auto f = sheets::NumberFormat::Compile(code);
    static const double kValues[] = {0.0,
                                     -0.0,
                                     1.0,
                                     -1.0,
                                     0.5,
                                     -1234.5678,
                                     1e-300,
                                     1e300,
                                     -1e300,
                                     60.0,
                                     2958465.999999,
                                     2958466.0,
                                     123456789012.0,
                                     std::numeric_limits<double>::max(),
                                     std::numeric_limits<double>::denorm_min(),
                                     std::numeric_limits<double>::infinity(),
                                     std::nan("")};
    // The page cuts the text where the fill goes: that place must lie inside it.
    const auto check = [](const sheets::Formatted& r) {
        if (!r.fill.empty() && r.fillAt > r.text.size()) __builtin_trap();
    };
    for (double v : kValues) {
        check(f->Format(v, false));
        check(f->Format(v, true));
    }
    check(f->Format(extra, false));
    check(f->Format(extra, true));
    check(f->FormatText(code));
    f->IsDate();
    return 0;
}
