#include "sheets/xlsb/Records.h"

#include <algorithm>
#include <cstring>

#include "sheets/xlsb/RecordTypes.h"
#include "sheets/xlsx/Package.h"
#include "text/Utf16.h"

namespace sheets::xlsb {

HeaderStatus ReadHeader(std::string_view bytes, uint32_t& type, uint32_t& size, size_t& headerBytes) {
    size_t i = 0;
    auto varint = [&](int maxBytes, uint32_t& out) {
        out = 0;
        for (int k = 0; k < maxBytes; ++k) {
            if (i >= bytes.size()) return HeaderStatus::Short;
            const uint8_t b = uint8_t(bytes[i++]);
            out |= uint32_t(b & 0x7F) << (7 * k);
            if (!(b & 0x80)) return HeaderStatus::Ok;
        }
        return HeaderStatus::Bad;
    };
    HeaderStatus s = varint(2, type);
    if (s != HeaderStatus::Ok) return s;
    s = varint(4, size);
    if (s != HeaderStatus::Ok) return s;
    headerBytes = i;
    return HeaderStatus::Ok;
}

bool RecordReader::Next(Record& out) {
    while (pos_ < bytes_.size()) {
        uint32_t type, size;
        size_t header;
        if (ReadHeader(bytes_.substr(pos_), type, size, header) != HeaderStatus::Ok ||
            size > bytes_.size() - pos_ - header) {
            damaged_ = true;
            pos_ = bytes_.size();
            return false;
        }
        const size_t at = pos_ + header;
        pos_ = at + size;
        if (size > kMaxRecordBytes) continue;
        out.type = type;
        out.data = bytes_.substr(at, size);
        return true;
    }
    return false;
}

bool RecordSplitter::Deliver(const Record& r) {
    if (!handler_.OnRecord(r)) done_ = true;
    return !done_;
}

bool RecordSplitter::Complete(const char*& data, size_t& size) {
    if (need_ == 0) {
        // The header itself spans pieces: take it a byte at a time (six at most).
        while (size > 0) {
            carry_.push_back(*data++);
            --size;
            uint32_t type, len;
            size_t header;
            const HeaderStatus s = ReadHeader(carry_, type, len, header);
            if (s == HeaderStatus::Short) continue;
            if (s == HeaderStatus::Bad) {
                damaged_ = true;
                return false;
            }
            if (len > kMaxRecordBytes) {
                skip_ = len;
                carry_.clear();
                return true;
            }
            need_ = header + len;
            break;
        }
        if (need_ == 0) return true;
    }
    const size_t take = std::min(size, need_ - carry_.size());
    carry_.append(data, take);
    data += take;
    size -= take;
    if (carry_.size() < need_) return true;
    uint32_t type, len;
    size_t header;
    ReadHeader(carry_, type, len, header);
    const bool more = Deliver(Record{type, std::string_view(carry_).substr(header)});
    carry_.clear();
    need_ = 0;
    return more;
}

bool RecordSplitter::Feed(const char* data, size_t size) {
    while (size > 0 && !done_ && !damaged_) {
        if (skip_ > 0) {
            const size_t k = std::min(skip_, size);
            skip_ -= k;
            data += k;
            size -= k;
            continue;
        }
        if (!carry_.empty() || need_ != 0) {
            if (!Complete(data, size)) return !done_ && !damaged_;
            continue;
        }
        // Whole records straight from the piece; the tail waits for the next one.
        std::string_view piece(data, size);
        size_t pos = 0;
        for (;;) {
            uint32_t type, len;
            size_t header;
            const HeaderStatus s = ReadHeader(piece.substr(pos), type, len, header);
            if (s == HeaderStatus::Bad) {
                damaged_ = true;
                return false;
            }
            if (s == HeaderStatus::Short) break;
            if (len > kMaxRecordBytes) {
                const size_t here = std::min<size_t>(len, piece.size() - pos - header);
                skip_ = len - here;
                pos += header + here;
                continue;
            }
            if (len > piece.size() - pos - header) break;
            if (!Deliver(Record{type, piece.substr(pos + header, len)})) return false;
            pos += header + len;
        }
        if (pos < piece.size()) {
            // A record begins here and ends in a later piece.
            const char* rest = data + pos;
            size_t restSize = size - pos;
            carry_.clear();
            need_ = 0;
            if (!Complete(rest, restSize)) return !done_ && !damaged_;
        }
        size = 0;
    }
    return !done_ && !damaged_;
}

bool FutureRecordFilter::OnRecord(const Record& r) {
    if (r.type == rt::FRTBegin) {
        ++depth_;
        return true;
    }
    if (r.type == rt::FRTEnd) {
        if (depth_ > 0) --depth_;
        return true;
    }
    return depth_ > 0 || inner_.OnRecord(r);
}

bool ReadPart(const xlsx::Package& pkg, const std::string& part, RecordHandler& handler) {
    FutureRecordFilter filter(handler);
    RecordSplitter splitter(filter);
    bool stopped = false;
    pkg.Zip().Stream(part, [&](const char* p, size_t n) {
        if (!splitter.Feed(p, n)) stopped = true;
        return !stopped;
    });
    return !splitter.Damaged();
}

bool Payload::Take(size_t n) {
    if (!ok_ || Left() < n) {
        ok_ = false;
        p_ = end_;
        return false;
    }
    return true;
}

uint8_t Payload::U8() {
    if (!Take(1)) return 0;
    return uint8_t(*p_++);
}

uint16_t Payload::U16() {
    if (!Take(2)) return 0;
    const uint16_t v = uint16_t(uint8_t(p_[0]) | uint8_t(p_[1]) << 8);
    p_ += 2;
    return v;
}

uint32_t Payload::U32() {
    if (!Take(4)) return 0;
    const uint32_t v = uint32_t(uint8_t(p_[0])) | uint32_t(uint8_t(p_[1])) << 8 | uint32_t(uint8_t(p_[2])) << 16 |
                       uint32_t(uint8_t(p_[3])) << 24;
    p_ += 4;
    return v;
}

double Payload::F64() {
    if (!Take(8)) return 0;
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = bits << 8 | uint8_t(p_[i]);
    p_ += 8;
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

void Payload::Skip(size_t n) {
    if (Take(n)) p_ += n;
}

std::string Payload::WideString(std::vector<uint32_t>* offsets) {
    const uint32_t count = U32();
    if (!ok_ || count > Left() / 2) {
        ok_ = false;
        p_ = end_;
        if (offsets) offsets->assign(1, 0);
        return {};
    }
    bool ascii = true;
    for (uint32_t i = 0; i < count && ascii; ++i) ascii = p_[2 * i + 1] == 0 && uint8_t(p_[2 * i]) < 0x80;
    std::string out;
    if (ascii) {
        // Most text is ASCII: one byte per unit, offsets as indices.
        out.resize(count);
        for (uint32_t i = 0; i < count; ++i) out[i] = p_[2 * i];
        if (offsets) {
            offsets->resize(size_t(count) + 1);
            for (uint32_t i = 0; i <= count; ++i) (*offsets)[i] = i;
        }
    } else {
        std::u16string units(count, u'\0');
        for (uint32_t i = 0; i < count; ++i) units[i] = char16_t(uint8_t(p_[2 * i]) | uint8_t(p_[2 * i + 1]) << 8);
        out = text::Utf16ToUtf8(units, offsets);
    }
    p_ += size_t(count) * 2;
    return out;
}

std::string Payload::NullableWideString() {
    if (Left() >= 4 && std::memcmp(p_, "\xFF\xFF\xFF\xFF", 4) == 0) {
        p_ += 4;
        return {};
    }
    return WideString();
}

double RkValue(uint32_t rk) {
    double v;
    if (rk & 2) {
        v = double(int32_t(rk) >> 2);
    } else {
        const uint64_t bits = uint64_t(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&v, &bits, sizeof v);
    }
    return rk & 1 ? v / 100 : v;
}

}  // namespace sheets::xlsb
