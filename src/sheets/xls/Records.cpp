#include "sheets/xls/Records.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "sheets/Errors.h"

namespace sheets::xls {

void Truncated() { throw Error(ErrorKind::Damaged, "The workbook is damaged: a record is truncated"); }

namespace {

// No record of any version is longer than this; one that says it is has a
// damaged length.
constexpr size_t kMaxRecordBytes = 8224;

uint16_t U16At(std::string_view s, size_t at) { return uint16_t(uint8_t(s[at]) | uint8_t(s[at + 1]) << 8); }

// Record types that occur in workbook streams of some version: the ranges
// that the format's records take.
bool KnownType(uint16_t type) {
    return (type >= 0x0001 && type <= 0x01FF) || (type >= 0x0200 && type <= 0x02FF) || type == 0x0406 ||
           type == 0x0409 || type == 0x041E || type == 0x0443 || type == 0x04BC || (type >= 0x0800 && type <= 0x08FF) ||
           (type >= 0x1001 && type <= 0x10FF);
}

}  // namespace

bool RecordReader::Plausible(size_t at, int count) const {
    for (; count > 0; --count) {
        if (at == s_.size()) return true;  // the stream ends with a whole record
        if (at + 4 > s_.size()) return false;
        const size_t len = U16At(s_, at + 2);
        if (!KnownType(U16At(s_, at)) || len > kMaxRecordBytes || at + 4 + len > s_.size()) return false;
        at += 4 + len;
    }
    return true;
}

size_t RecordReader::Resync(size_t at, uint16_t type) const {
    // A record in a run of records of one type (formats, cells) takes the
    // length the one before it had, or the run goes on a little further on
    // with a record of that type and length; otherwise the records go on at
    // the first place from which four whole records of known types follow
    // each other. The search only moves forward, so that all of them
    // together cost one pass.
    if (type == lastType_ && Plausible(at + 4 + lastLength_, 3)) return at + 4 + lastLength_;
    if (type == lastType_) {
        for (size_t q = at + 1; q + 4 <= s_.size() && q < at + 4 + 2 * lastLength_ + 64; ++q)
            if (U16At(s_, q) == type && U16At(s_, q + 2) == lastLength_ && Plausible(q, 3)) return q;
    }
    for (size_t q = std::max(at + 1, resyncFrom_); q + 4 <= s_.size(); ++q)
        if (Plausible(q, 4)) return q;
    return SIZE_MAX;
}

bool RecordReader::Next(Record& r) {
    if (at_ + 4 > s_.size()) return false;
    const uint16_t type = U16At(s_, at_);
    size_t len = U16At(s_, at_ + 2);
    size_t next = at_ + 4 + len;
    // A length that runs past the stream, or a header that is no record's
    // (too long, or of no known type) followed by bytes that are no records:
    // the header is damaged. That record keeps what lies before the place
    // where whole records follow again (or nothing, when they follow within
    // its header); the stream ends where none do.
    if (next > s_.size() || ((len > kMaxRecordBytes || !KnownType(type)) && !Plausible(next, 2))) {
        next = Resync(at_, type);
        if (next == SIZE_MAX) {
            at_ = s_.size();
            return false;
        }
        resyncFrom_ = next + 1;
        len = next >= at_ + 4 ? next - at_ - 4 : 0;
        ++resyncs_;
    }
    r.type = type;
    r.data = s_.substr(std::min(at_ + 4, s_.size()), len);
    r.offset = at_;
    at_ = next;
    lastType_ = type;
    lastLength_ = len;
    return true;
}

uint16_t RecordReader::PeekType() const {
    if (at_ + 4 > s_.size()) return 0;
    return uint16_t(uint8_t(s_[at_]) | uint8_t(s_[at_ + 1]) << 8);
}

std::vector<std::string_view> WithContinues(RecordReader& rr, std::string_view first) {
    std::vector<std::string_view> pieces{first};
    Record r;
    while (rr.PeekType() == rt::Continue && rr.Next(r)) pieces.push_back(r.data);
    return pieces;
}

uint8_t Bytes::U8() {
    if (Left() < 1) Truncated();
    return uint8_t(d_[at_++]);
}
uint16_t Bytes::U16() {
    if (Left() < 2) Truncated();
    uint16_t v = uint16_t(uint8_t(d_[at_]) | uint8_t(d_[at_ + 1]) << 8);
    at_ += 2;
    return v;
}
uint32_t Bytes::U32() {
    uint32_t lo = U16();
    return lo | uint32_t(U16()) << 16;
}
double Bytes::F64() {
    std::string_view b = Take(8);
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = bits << 8 | uint8_t(b[i]);
    double v;
    std::memcpy(&v, &bits, 8);
    return v;
}
std::string_view Bytes::Take(size_t n) {
    if (Left() < n) Truncated();
    std::string_view v = d_.substr(at_, n);
    at_ += n;
    return v;
}

bool Continued::Fill() {
    while (piece_ < pieces_.size() && at_ >= pieces_[piece_].size()) {
        ++piece_;
        at_ = 0;
    }
    return piece_ < pieces_.size();
}

bool Continued::AtEnd() { return !Fill(); }

uint8_t Continued::U8() {
    if (!Fill()) Truncated();
    return uint8_t(pieces_[piece_][at_++]);
}
uint16_t Continued::U16() {
    uint16_t lo = U8();
    return uint16_t(lo | U8() << 8);
}
uint32_t Continued::U32() {
    uint32_t lo = U16();
    return lo | uint32_t(U16()) << 16;
}
void Continued::Skip(size_t n) {
    while (n > 0) {
        if (!Fill()) Truncated();
        size_t step = std::min(n, pieces_[piece_].size() - at_);
        at_ += step;
        n -= step;
    }
}

void Continued::Chars(size_t count, bool wide, std::u16string& out) {
    while (count > 0) {
        if (piece_ >= pieces_.size()) Truncated();
        std::string_view p = pieces_[piece_];
        if (at_ >= p.size()) {
            // Characters that run on into the next piece: it starts with a
            // flag byte of its own, and the width may change there.
            ++piece_;
            at_ = 0;
            if (piece_ >= pieces_.size() || pieces_[piece_].empty()) Truncated();
            wide = (uint8_t(pieces_[piece_][0]) & 1) != 0;
            at_ = 1;
            continue;
        }
        const size_t width = wide ? 2 : 1;
        const size_t n = std::min(count, (p.size() - at_) / width);
        if (n == 0) Truncated();  // half a wide character before the boundary
        const auto* b = reinterpret_cast<const unsigned char*>(p.data() + at_);
        if (wide) {
            for (size_t i = 0; i < n; ++i) out += char16_t(b[2 * i] | b[2 * i + 1] << 8);
        } else {
            for (size_t i = 0; i < n; ++i) out += char16_t(b[i]);
        }
        at_ += n * width;
        count -= n;
    }
}

}  // namespace sheets::xls
