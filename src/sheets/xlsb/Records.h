#pragma once
// The record streams that make up the parts of a binary workbook. A record is
// its type, its size and that many bytes of payload; type and size are
// little-endian groups of 7 bits, the high bit of each byte saying that
// another follows (two bytes at most for the type, four for the size).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sheets::xlsx {
class Package;
}

namespace sheets::xlsb {

struct Record {
    uint32_t type = 0;
    std::string_view data;
};

// No record a spreadsheet writes comes near this size (the longest string
// with all its runs takes a few hundred KiB); larger ones are passed over
// unread instead of being held in memory.
constexpr size_t kMaxRecordBytes = 16u << 20;

enum class HeaderStatus : uint8_t { Ok, Short, Bad };

// Reads a record header at the start of `bytes`. Short: `bytes` ends inside
// it. Bad: a type or size that does not end where it must.
HeaderStatus ReadHeader(std::string_view bytes, uint32_t& type, uint32_t& size, size_t& headerBytes);

// The records of a part held in memory, in order.
class RecordReader {
public:
    explicit RecordReader(std::string_view bytes) : bytes_(bytes) {}
    // False at the end of the part, and where the rest cannot be read as a
    // record (a header that does not end, or a size that runs past the
    // part): Damaged() tells the two apart. Oversized records are skipped.
    bool Next(Record& out);
    bool Damaged() const { return damaged_; }

private:
    std::string_view bytes_;
    size_t pos_ = 0;
    bool damaged_ = false;
};

// Receives the records of a part as they are read.
class RecordHandler {
public:
    virtual ~RecordHandler() = default;
    // False once the handler has all it wants: the rest of the part is
    // neither inflated nor read.
    virtual bool OnRecord(const Record& record) = 0;
};

// Cuts a part that arrives in pieces into records, holding at most one
// record that spans pieces.
class RecordSplitter {
public:
    explicit RecordSplitter(RecordHandler& handler) : handler_(handler) {}
    // False once the handler wants no more.
    bool Feed(const char* data, size_t size);
    // Once the part has ended: it held something other than whole records
    // (what came before them has been delivered).
    bool Damaged() const { return !done_ && (damaged_ || !carry_.empty() || need_ != 0 || skip_ != 0); }

private:
    bool Deliver(const Record& r);
    // Completes the record begun in carry_ from the front of the piece.
    bool Complete(const char*& data, size_t& size);

    RecordHandler& handler_;
    std::string carry_;
    size_t need_ = 0;  // the bytes carry_ must reach, header included; 0 while the header is incomplete
    size_t skip_ = 0;  // bytes of an oversized record still to pass over
    bool damaged_ = false, done_ = false;
};

// Reads a part of the package record by record, streaming large parts.
// Records of future-record blocks are not delivered: they number their own
// records, which would be taken for cells or styles. Returns false when the
// part ends inside a record or a header is not readable (what came before
// has reached the handler).
bool ReadPart(const xlsx::Package& pkg, const std::string& part, RecordHandler& handler);

// Passes on the records outside future-record blocks (which nest).
class FutureRecordFilter final : public RecordHandler {
public:
    explicit FutureRecordFilter(RecordHandler& inner) : inner_(inner) {}
    bool OnRecord(const Record& r) override;

private:
    RecordHandler& inner_;
    uint32_t depth_ = 0;
};

// A little-endian cursor over a record's payload. Reading past the end gives
// zeros and clears Ok(): a record is used only when it was read whole.
class Payload {
public:
    explicit Payload(std::string_view data) : p_(data.data()), end_(data.data() + data.size()) {}

    bool Ok() const { return ok_; }
    size_t Left() const { return size_t(end_ - p_); }
    uint8_t U8();
    uint16_t U16();
    uint32_t U32();
    int32_t I32() { return int32_t(U32()); }
    double F64();
    void Skip(size_t n);
    // An XLWideString (a 32-bit count of UTF-16 code units, then the units)
    // as UTF-8. `offsets`, when given, receives the byte offset of every
    // code unit and of the end.
    std::string WideString(std::vector<uint32_t>* offsets = nullptr);
    // An XLNullableWideString: the count 0xFFFFFFFF stands for no string.
    std::string NullableWideString();

private:
    bool Take(size_t n);
    const char* p_;
    const char* end_;
    bool ok_ = true;
};

// An RkNumber: a 30-bit integer or the high 30 bits of a double, perhaps
// divided by 100.
double RkValue(uint32_t rk);

}  // namespace sheets::xlsb
