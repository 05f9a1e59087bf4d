// The record layer: headers, records held whole or arriving in pieces, and
// payload fields.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "XlsbBuilder.h"
#include "sheets/model/BinaryCodes.h"
#include "sheets/xlsb/Records.h"

using namespace sheets::xlsb;
using xlsbtest::Bytes;
using xlsbtest::Rec;

namespace {

struct Collect final : RecordHandler {
    std::vector<std::pair<uint32_t, std::string>> got;
    size_t stopAfter = SIZE_MAX;
    bool OnRecord(const Record& r) override {
        got.emplace_back(r.type, std::string(r.data));
        return got.size() < stopAfter;
    }
};

std::vector<std::pair<uint32_t, std::string>> ReadWhole(std::string_view bytes, bool* damaged = nullptr) {
    RecordReader in(bytes);
    std::vector<std::pair<uint32_t, std::string>> out;
    Record r;
    while (in.Next(r)) out.emplace_back(r.type, std::string(r.data));
    if (damaged) *damaged = in.Damaged();
    return out;
}

// One stream with one- and two-byte types and sizes of one to three bytes.
std::string MixedStream() {
    return Rec(0, Bytes().U32(7)) + Rec(127) + Rec(128, std::string(127, 'a')) + Rec(16383, std::string(128, 'b')) +
           Rec(1, std::string(16384, 'c')) + Rec(2, "x");
}

}  // namespace

TEST(XlsbRecords, HeadersAreSevenBitGroups) {
    uint32_t type, size;
    size_t header;
    EXPECT_EQ(ReadHeader(std::string("\x01\x02", 2), type, size, header), HeaderStatus::Ok);
    EXPECT_EQ(type, 1u);
    EXPECT_EQ(size, 2u);
    EXPECT_EQ(header, 2u);
    // The two-byte type 0x0D0 and a four-byte size.
    EXPECT_EQ(ReadHeader("\xD0\x01\xFF\xFF\xFF\x7F", type, size, header), HeaderStatus::Ok);
    EXPECT_EQ(type, 0xD0u);
    EXPECT_EQ(size, 0x0FFFFFFFu);
    EXPECT_EQ(header, 6u);
    // A type of three bytes or a size of five cannot be.
    EXPECT_EQ(ReadHeader("\x81\x81\x01\x00", type, size, header), HeaderStatus::Bad);
    EXPECT_EQ(ReadHeader("\x01\x81\x81\x81\x81\x01", type, size, header), HeaderStatus::Bad);
    // A header cut short is not yet anything.
    EXPECT_EQ(ReadHeader("\x81", type, size, header), HeaderStatus::Short);
    EXPECT_EQ(ReadHeader("\x01\x80", type, size, header), HeaderStatus::Short);
    EXPECT_EQ(ReadHeader("", type, size, header), HeaderStatus::Short);
}

TEST(XlsbRecords, SplitterGivesTheSameRecordsWhateverThePieces) {
    const std::string stream = MixedStream();
    bool damaged = true;
    const auto whole = ReadWhole(stream, &damaged);
    ASSERT_EQ(whole.size(), 6u);
    EXPECT_FALSE(damaged);
    EXPECT_EQ(whole[3].first, 16383u);
    EXPECT_EQ(whole[4].second.size(), 16384u);
    for (size_t piece : {size_t(1), size_t(2), size_t(3), size_t(7), size_t(130), size_t(5000), stream.size()}) {
        Collect c;
        RecordSplitter s(c);
        for (size_t at = 0; at < stream.size(); at += piece)
            s.Feed(stream.data() + at, std::min(piece, stream.size() - at));
        EXPECT_EQ(c.got, whole) << "pieces of " << piece;
        EXPECT_FALSE(s.Damaged());
    }
}

TEST(XlsbRecords, HandlerStopsTheReading) {
    const std::string stream = MixedStream();
    Collect c;
    c.stopAfter = 2;
    RecordSplitter s(c);
    EXPECT_FALSE(s.Feed(stream.data(), stream.size()));
    EXPECT_EQ(c.got.size(), 2u);
    EXPECT_FALSE(s.Damaged());  // stopping is not damage
}

TEST(XlsbRecords, SizePastThePartEndsItAsDamaged) {
    // The last record claims 100 bytes and has 3.
    const std::string stream = Rec(1, "ab") + std::string("\x05\x64xyz", 5);
    bool damaged = false;
    const auto whole = ReadWhole(stream, &damaged);
    ASSERT_EQ(whole.size(), 1u);
    EXPECT_TRUE(damaged);
    Collect c;
    RecordSplitter s(c);
    for (char ch : stream) s.Feed(&ch, 1);
    EXPECT_EQ(c.got, whole);
    EXPECT_TRUE(s.Damaged());
}

TEST(XlsbRecords, UnendingHeaderEndsThePart) {
    const std::string stream = Rec(1, "ab") + "\x81\x81\x81" + Rec(2, "cd");
    bool damaged = false;
    EXPECT_EQ(ReadWhole(stream, &damaged).size(), 1u);
    EXPECT_TRUE(damaged);
    for (size_t piece : {size_t(1), stream.size()}) {
        Collect c;
        RecordSplitter s(c);
        for (size_t at = 0; at < stream.size(); at += piece)
            s.Feed(stream.data() + at, std::min(piece, stream.size() - at));
        EXPECT_EQ(c.got.size(), 1u);
        EXPECT_TRUE(s.Damaged());
    }
}

TEST(XlsbRecords, OversizedRecordsArePassedOverUnheld) {
    // A record over the limit, present in full: it is skipped, the next one read.
    const std::string big(kMaxRecordBytes + 1, 'z');
    const std::string stream = Rec(1, "a") + Rec(2, big) + Rec(3, "c");
    const auto whole = ReadWhole(stream);
    ASSERT_EQ(whole.size(), 2u);
    EXPECT_EQ(whole[1].first, 3u);
    for (size_t piece : {size_t(65536), stream.size()}) {
        Collect c;
        RecordSplitter s(c);
        for (size_t at = 0; at < stream.size(); at += piece)
            s.Feed(stream.data() + at, std::min(piece, stream.size() - at));
        EXPECT_EQ(c.got, whole) << "pieces of " << piece;
        EXPECT_FALSE(s.Damaged());
    }
}

TEST(XlsbRecords, FutureRecordBlocksAreLeftOut) {
    // Inside BrtFRTBegin (35) ... BrtFRTEnd (36), nested, type 1 is not a cell.
    const std::string stream =
        Rec(7, "a") + Rec(35) + Rec(1, "x") + Rec(35) + Rec(1, "y") + Rec(36) + Rec(1, "z") + Rec(36) + Rec(8, "b");
    Collect c;
    FutureRecordFilter f(c);
    RecordSplitter s(f);
    s.Feed(stream.data(), stream.size());
    ASSERT_EQ(c.got.size(), 2u);
    EXPECT_EQ(c.got[0].first, 7u);
    EXPECT_EQ(c.got[1].first, 8u);
}

TEST(XlsbRecords, PayloadFieldsAndTheirEnd) {
    const Bytes b =
        Bytes().U8(0xAB).U16(0xBEEF).U32(0xDEADBEEF).F64(-2.5).Str(u"h\u00e9\U0001F600").NullStr().Str(u"z");
    Payload in(b.str());
    EXPECT_EQ(in.U8(), 0xAB);
    EXPECT_EQ(in.U16(), 0xBEEF);
    EXPECT_EQ(in.U32(), 0xDEADBEEFu);
    EXPECT_EQ(in.F64(), -2.5);
    std::vector<uint32_t> offsets;
    EXPECT_EQ(in.WideString(&offsets), "h\xC3\xA9\xF0\x9F\x98\x80");
    // Every UTF-16 unit's byte offset; the surrogate pair's second unit sits with its first.
    EXPECT_EQ(offsets, (std::vector<uint32_t>{0, 1, 3, 3, 7}));
    EXPECT_EQ(in.NullableWideString(), "");
    EXPECT_EQ(in.WideString(), "z");
    EXPECT_TRUE(in.Ok());
    EXPECT_EQ(in.Left(), 0u);
    EXPECT_EQ(in.U32(), 0u);
    EXPECT_FALSE(in.Ok());
}

TEST(XlsbRecords, StringLongerThanItsRecordIsNotRead) {
    // Claims two billion units: refused before anything is allocated.
    const Bytes b = Bytes().U32(0x7FFFFFFF).U16('a');
    Payload in(b.str());
    EXPECT_EQ(in.WideString(), "");
    EXPECT_FALSE(in.Ok());
    // An unpaired surrogate becomes U+FFFD.
    const Bytes lone = Bytes().U32(2).U16(0xD800).U16('x');
    Payload in2(lone.str());
    EXPECT_EQ(in2.WideString(), "\xEF\xBF\xBDx");
}

TEST(XlsbRecords, RkNumbers) {
    EXPECT_EQ(RkValue(0x3FF00000), 1.0);  // the high bits of a double
    EXPECT_EQ(RkValue(0x3FF00001), 0.01);  // ... divided by 100
    EXPECT_EQ(RkValue(uint32_t(-5) << 2 | 2), -5.0);  // a 30-bit integer
    EXPECT_EQ(RkValue(12345u << 2 | 3), 123.45);
    EXPECT_EQ(sheets::ErrorCodeText(0x07), "#DIV/0!");
    EXPECT_EQ(sheets::ErrorCodeText(0x2A), "#N/A");
    EXPECT_EQ(sheets::ErrorCodeText(0x99), "");
    EXPECT_EQ(sheets::HatchOfCode(1), sheets::Hatch::None);  // solid
    EXPECT_EQ(sheets::HatchOfCode(3), sheets::Hatch::DarkGray);
    EXPECT_EQ(sheets::HatchOfCode(5), sheets::Hatch::DarkHorizontal);
    EXPECT_EQ(sheets::HatchOfCode(16), sheets::Hatch::LightTrellis);
    EXPECT_EQ(sheets::HatchOfCode(18), sheets::Hatch::Gray0625);
    EXPECT_EQ(sheets::HatchOfCode(19), sheets::Hatch::None);
}
