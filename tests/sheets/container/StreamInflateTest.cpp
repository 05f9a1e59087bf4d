// Raw deflate inflated piece by piece: whatever the pieces, the output is the
// data; damaged or cut data is told apart from data that ended.
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

#include "sheets/container/StreamInflate.h"

using sheets::StreamInflater;

namespace {

std::string RawDeflate(const std::string& text, int level = 6) {
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::string out(deflateBound(&z, uLong(text.size())), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    z.avail_in = uInt(text.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// A sheet-like text of a few MiB: many times the inflater's output buffer.
std::string Rows() {
    std::string text;
    for (int i = 0; text.size() < (3u << 20); ++i)
        text += "<row r=\"" + std::to_string(i) + "\"><c r=\"A" + std::to_string(i) + "\"><v>" +
                std::to_string(i * 7919 % 100003) + "</v></c></row>";
    return text;
}

struct Outcome {
    bool ok;
    bool ended;
    std::string out;
};

// Feeds `data` in pieces of `piece` bytes (the last one shorter).
Outcome Inflate(const std::string& data, size_t piece) {
    StreamInflater z;
    Outcome r{true, false, {}};
    for (size_t at = 0; at < data.size() && r.ok; at += piece) {
        const size_t n = std::min(piece, data.size() - at);
        r.ok = z.Feed(reinterpret_cast<const uint8_t*>(data.data() + at), n, [&](const char* p, size_t size) {
            EXPECT_LE(size, StreamInflater::kOutBytes);
            r.out.append(p, size);
            return true;
        });
    }
    r.ended = z.Ended();
    return r;
}

}  // namespace

TEST(StreamInflate, TheDataComesOutWhateverThePieces) {
    const std::string text = Rows();
    for (int level : {0, 1, 9}) {
        const std::string packed = RawDeflate(text, level);
        for (size_t piece : {size_t(1), size_t(7), size_t(32 * 1024), packed.size()}) {
            if (piece == 1 && packed.size() > (1u << 20)) continue;  // stored data: a byte at a time is slow
            const Outcome r = Inflate(packed, piece);
            EXPECT_TRUE(r.ok) << "level " << level << ", pieces of " << piece;
            EXPECT_TRUE(r.ended);
            EXPECT_TRUE(r.out == text) << "level " << level << ", pieces of " << piece;
        }
    }
    // Bytes after the end of the data are not read as more of it.
    const Outcome r = Inflate(RawDeflate("abc") + "trailing bytes", 4);
    EXPECT_TRUE(r.ok && r.ended);
    EXPECT_EQ(r.out, "abc");
}

TEST(StreamInflate, CutOrDamagedDataIsToldApart) {
    const std::string text = Rows();
    const std::string packed = RawDeflate(text);
    // Cut: everything given out is the data's beginning, and it has not ended.
    const Outcome cut = Inflate(packed.substr(0, packed.size() / 2), 32 * 1024);
    EXPECT_TRUE(cut.ok);
    EXPECT_FALSE(cut.ended);
    EXPECT_EQ(text.compare(0, cut.out.size(), cut.out), 0);
    EXPECT_TRUE(Inflate("", 1).ok);
    EXPECT_FALSE(Inflate("", 1).ended);
    // A block of the reserved type 3 is not deflate.
    EXPECT_FALSE(Inflate(std::string(1, '\x07') + std::string(100, '\xff'), 16).ok);
    // A stored block whose length and its complement disagree.
    EXPECT_FALSE(Inflate(std::string("\x01\x05\x00\x00\x00hello", 10), 3).ok);
}

TEST(StreamInflate, TheSinkCanStopIt) {
    const std::string packed = RawDeflate(Rows());
    StreamInflater z;
    int calls = 0;
    EXPECT_TRUE(z.Feed(reinterpret_cast<const uint8_t*>(packed.data()), packed.size(), [&](const char*, size_t) {
        ++calls;
        return false;
    }));
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(z.Ended());
}
