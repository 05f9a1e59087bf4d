#pragma once
// Raw deflate data inflated piece by piece, for parts too large to inflate
// whole. ISA-L does the work: on a large sheet it inflates about twice as fast
// as zlib, on the thread that also parses the part.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

struct inflate_state;

namespace sheets {

class StreamInflater {
public:
    StreamInflater();
    ~StreamInflater();
    StreamInflater(const StreamInflater&) = delete;
    StreamInflater& operator=(const StreamInflater&) = delete;

    // The output a sink is given at most at a time.
    static constexpr size_t kOutBytes = 64 * 1024;
    // Inflates the next piece of input, handing the output to `sink` as it
    // comes; the sink answers false to stop. Returns false when the data is
    // not deflate (nothing more can come of it). Input after the end of the
    // data is ignored.
    bool Feed(const uint8_t* data, size_t size, const std::function<bool(const char*, size_t)>& sink);
    // The data reached its last block: all of it was handed out.
    bool Ended() const;

private:
    std::unique_ptr<inflate_state> state_;
    std::unique_ptr<char[]> out_;
};

}  // namespace sheets
