// Feeds arbitrary bytes, cut into pieces of sizes the input chooses, to the
// streaming inflater: it must end, fail or ask for more, never read or write
// out of bounds, and never give out more than it was asked to hold.
#include <cstddef>
#include <cstdint>

#include "sheets/container/StreamInflate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    // The first byte chooses the piece size: 1 to 256 bytes.
    const size_t piece = size_t(data[0]) + 1;
    ++data;
    --size;
    sheets::StreamInflater z;
    size_t out = 0;
    for (size_t at = 0; at < size; at += piece) {
        const size_t n = size - at < piece ? size - at : piece;
        const bool ok = z.Feed(data + at, n, [&](const char*, size_t got) {
            if (got > sheets::StreamInflater::kOutBytes) __builtin_trap();
            out += got;
            return out < (size_t(64) << 20);
        });
        if (!ok || z.Ended() || out >= (size_t(64) << 20)) break;
    }
    return 0;
}
