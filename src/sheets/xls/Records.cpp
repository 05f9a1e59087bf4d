#include "sheets/xls/Records.h"

#include <cstring>

#include "sheets/Errors.h"

namespace sheets::xls {

void Truncated() { throw Error(ErrorKind::Damaged, "The workbook is damaged: a record is truncated"); }

bool RecordReader::Next(Record& r) {
    if (at_ + 4 > s_.size()) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(s_.data() + at_);
    const uint16_t type = uint16_t(p[0] | p[1] << 8);
    const size_t len = size_t(p[2] | p[3] << 8);
    if (at_ + 4 + len > s_.size()) Truncated();
    r.type = type;
    r.data = s_.substr(at_ + 4, len);
    r.offset = at_;
    at_ += 4 + len;
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
