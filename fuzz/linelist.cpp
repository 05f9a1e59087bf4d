// Project files, recent lists and option texts come from anywhere: any bytes
// must decode into lines of valid UTF-8 without harm.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/Text.h"
#include "project/LineList.h"
#include "text/Utf8.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    project::TLineList list;
    list.LoadFromBytes(bytes);
    for (const auto& line : list.Lines())
        if (!text::IsValidUtf8(line) || line.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) std::abort();
    project::TLineList again;
    again.SetText(list.Text());
    if (again.Lines() != list.Lines()) std::abort();
    (void)list.Value("Source");
    list.SetValue("Source", "x");
    list.SetValue("Target", "");
    int32_t n;
    bool b;
    (void)platform::TryParseInt32(bytes, n);
    (void)platform::TryParseBool(bytes, b);
    (void)platform::FoldCase(bytes);
    return 0;
}
