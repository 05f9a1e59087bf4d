// The compound-file layer: parse, then read every top-level stream, and the
// streams the readers look for by name (found anywhere in the directory when
// the tree is broken).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sheets/Errors.h"
#include "sheets/container/Cfb.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    sheets::CfbHasStream(bytes, "EncryptedPackage");
    try {
        sheets::Cfb cfb(bytes);
        for (const auto& e : cfb.TopLevel())
            if (e.type == sheets::Cfb::EntryType::Stream) cfb.Read(e);
        for (const char* name : {"Workbook", "Book", "EncryptionInfo", "EncryptedPackage"}) cfb.ReadStream(name);
    } catch (const sheets::Error&) {}
    return 0;
}
