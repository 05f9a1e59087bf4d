#include "sheets/container/StreamInflate.h"

#include <isa-l/igzip_lib.h>

namespace sheets {

StreamInflater::StreamInflater() : state_(std::make_unique<inflate_state>()), out_(new char[kOutBytes]) {
    isal_inflate_init(state_.get());
    state_->crc_flag = ISAL_DEFLATE;
}

StreamInflater::~StreamInflater() = default;

bool StreamInflater::Ended() const { return state_->block_state == ISAL_BLOCK_FINISH; }

bool StreamInflater::Feed(const uint8_t* data, size_t size, const std::function<bool(const char*, size_t)>& sink) {
    inflate_state& z = *state_;
    while (size > 0 || z.avail_in > 0) {
        if (z.avail_in == 0) {
            const uint32_t n = size > UINT32_MAX ? UINT32_MAX : uint32_t(size);
            z.next_in = const_cast<uint8_t*>(data);
            z.avail_in = n;
            data += n;
            size -= n;
        }
        // Until this input is used up and the inflater has nothing more to
        // give from it (it holds output back when the buffer fills).
        for (;;) {
            if (Ended()) return true;
            z.next_out = reinterpret_cast<uint8_t*>(out_.get());
            z.avail_out = kOutBytes;
            const uint32_t before = z.avail_in;
            if (isal_inflate(&z) < 0) return false;
            const size_t produced = kOutBytes - z.avail_out;
            if (produced && !sink(out_.get(), produced)) return true;
            if (produced == kOutBytes) continue;
            if (z.avail_in == 0) break;
            // Input the inflater neither takes nor turns into output would
            // be offered again forever.
            if (produced == 0 && z.avail_in == before && !Ended()) return false;
        }
    }
    return true;
}

}  // namespace sheets
