#include "sheets/container/Zip.h"

#include <libdeflate.h>
#include <zip.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>

#include "sheets/Errors.h"
#include "sheets/container/StreamInflate.h"

namespace sheets {

std::string NormalizePartName(std::string_view name) {
    const size_t lead = name.find_first_not_of("/\\");
    if (lead == std::string_view::npos) return {};
    std::string out(name.substr(lead));
    for (char& c : out) {
        if (c == '\\') c = '/';
        else if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    }
    return out;
}

namespace {

uint64_t Le(const unsigned char* p, int n) {
    uint64_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

// Where the archive's end record begins; npos when there is none.
size_t EndRecord(std::string_view bytes) {
    auto* d = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t n = bytes.size();
    if (n < 22) return std::string_view::npos;
    size_t stop = n > 22 + 65535 ? n - 22 - 65535 : 0;
    for (size_t i = n - 22 + 1; i-- > stop;)
        if (std::memcmp(d + i, "PK\5\6", 4) == 0) return i;
    return std::string_view::npos;
}

// The number of entries the archive's end record declares, read before
// libzip builds its table (which costs memory per entry); -1 when there is
// no end record to read.
int64_t DeclaredEntries(std::string_view bytes) {
    auto* d = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t n = bytes.size();
    const size_t i = EndRecord(bytes);
    if (i == std::string_view::npos) return -1;
    uint64_t count = Le(d + i + 10, 2);
    if (count == 0xFFFF && i >= 20 && std::memcmp(d + i - 20, "PK\6\7", 4) == 0) {
        uint64_t at = Le(d + i - 20 + 8, 8);
        if (n >= 56 && at <= n - 56 && std::memcmp(d + at, "PK\6\6", 4) == 0) count = Le(d + at + 32, 8);
    }
    return int64_t(std::min<uint64_t>(count, uint64_t(INT64_MAX)));
}

constexpr uint64_t kNoOffset = UINT64_MAX;

// Where each entry's stored bytes begin, from the central directory and the
// local headers, so that a part is read from memory without a libzip file
// (which costs more than inflating a small part). Empty unless the directory
// lists exactly the entries libzip found, in its order; an entry whose local
// header cannot be read is left to libzip (kNoOffset).
std::vector<uint64_t> DataOffsets(std::string_view bytes, const std::vector<std::string_view>& names) {
    auto* d = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size(), end = EndRecord(bytes);
    if (end == std::string_view::npos || Le(d + end + 10, 2) != names.size()) return {};
    size_t at = size_t(Le(d + end + 16, 4));
    std::vector<uint64_t> out;
    out.reserve(names.size());
    for (std::string_view name : names) {
        if (at > end || end - at < 46 || std::memcmp(d + at, "PK\1\2", 4) != 0) return {};
        const size_t nameLength = size_t(Le(d + at + 28, 2));
        const size_t record = 46 + nameLength + size_t(Le(d + at + 30, 2)) + size_t(Le(d + at + 32, 2));
        if (end - at < record || bytes.substr(at + 46, nameLength) != name) return {};
        const uint64_t local = Le(d + at + 42, 4);
        uint64_t data = kNoOffset;
        if (local < n && n - local >= 30 && std::memcmp(d + local, "PK\3\4", 4) == 0)
            data = local + 30 + Le(d + local + 26, 2) + Le(d + local + 28, 2);
        out.push_back(data);
        at += record;
    }
    return out;
}

// Parts up to this size (most of a workbook's) are inflated in one call,
// which costs about half of what streaming through zlib does on them.
constexpr uint64_t kWholeInflateBytes = 1ull << 20;

// The stored bytes of one entry, from libzip or from memory.
class RawSource {
public:
    explicit RawSource(zip_file_t* f) : file_(f, zip_fclose) {}
    explicit RawSource(std::string_view data) : file_(nullptr, zip_fclose), data_(data), inMemory_(true) {}
    bool Open() const { return file_ || inMemory_; }
    // The next `n` bytes in place, when they are in memory; empty otherwise.
    std::string_view InPlace(size_t n) const { return inMemory_ && data_.size() >= n ? data_.substr(0, n) : ""; }
    // Bytes read, 0 at the end, -1 on a read error.
    int64_t Read(char* into, size_t n) {
        if (file_) return zip_fread(file_.get(), into, n);
        n = std::min(n, data_.size());
        if (n) std::memcpy(into, data_.data(), n);
        data_.remove_prefix(n);
        return int64_t(n);
    }
    std::string ErrorText() const { return file_ ? zip_file_strerror(file_.get()) : "read error"; }

private:
    std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> file_;
    std::string_view data_;
    bool inMemory_ = false;
};

// Inflates a small deflated entry whole into `out`. False when the entry
// does not inflate cleanly to at most `size` bytes (a header that lies, a
// damaged stream): the caller then streams it, with all its checks.
bool InflateWhole(RawSource& src, uint64_t comp, uint64_t size, std::string& out) {
    thread_local std::unique_ptr<libdeflate_decompressor, void (*)(libdeflate_decompressor*)> inflater(
        libdeflate_alloc_decompressor(), libdeflate_free_decompressor);
    if (!inflater) return false;
    std::string_view in = src.InPlace(size_t(comp));
    std::string held;
    if (in.size() != comp) {
        held.assign(size_t(comp), '\0');
        size_t got = 0;
        while (got < held.size()) {
            int64_t n = src.Read(held.data() + got, held.size() - got);
            if (n <= 0) return false;
            got += size_t(n);
        }
        in = held;
    }
    out.resize(size_t(size));
    size_t produced = 0;
    if (libdeflate_deflate_decompress(inflater.get(), in.data(), in.size(), out.data(), out.size(), &produced) !=
        LIBDEFLATE_SUCCESS)
        return false;
    out.resize(produced);
    return true;
}

bool IsSignature(std::string_view bytes, size_t at) {
    static constexpr std::string_view kSignatures[] = {"PK\3\4", "PK\1\2", "PK\5\6"};
    for (std::string_view sig : kSignatures)
        if (bytes.compare(at, 4, sig) == 0) return true;
    return false;
}

// Where the next local header, central header or end record begins after
// `from`; the end of the bytes when none does.
size_t NextSignature(std::string_view bytes, size_t from) {
    for (size_t at = bytes.find("PK", from); at != std::string_view::npos; at = bytes.find("PK", at + 1))
        if (IsSignature(bytes, at)) return at;
    return bytes.size();
}

// A stored entry written with a data descriptor ends in that descriptor
// (with or without its signature); it is not part of the data.
std::string_view WithoutDescriptor(std::string_view data) {
    for (size_t tail : {16, 12, 24, 20}) {
        if (data.size() < tail) continue;
        auto* d = reinterpret_cast<const unsigned char*>(data.data() + data.size() - tail);
        const bool signed_ = std::memcmp(d, "PK\7\10", 4) == 0;
        if (signed_ != (tail == 16 || tail == 24)) continue;
        const unsigned char* sizes = d + (signed_ ? 8 : 4);
        const uint64_t comp = tail == 16 || tail == 12 ? Le(sizes, 4) : Le(sizes, 8);
        if (comp == data.size() - tail) return data.substr(0, size_t(comp));
    }
    return data;
}

// The sizes of a Zip64 local header, from its extra field.
void Zip64Sizes(const unsigned char* extra, size_t length, uint64_t& size, uint64_t& comp) {
    for (size_t at = 0; at + 4 <= length;) {
        const uint64_t id = Le(extra + at, 2), n = Le(extra + at + 2, 2);
        if (at + 4 + n > length) return;
        if (id == 1 && n >= 16) {
            size = Le(extra + at + 4, 8);
            comp = Le(extra + at + 12, 8);
            return;
        }
        at += 4 + size_t(n);
    }
}

}  // namespace

std::vector<ZipPackage::LocalEntry> ScanLocalEntries(std::string_view bytes, size_t limit) {
    auto* d = reinterpret_cast<const unsigned char*>(bytes.data());
    std::vector<ZipPackage::LocalEntry> out;
    size_t at = bytes.find("PK\3\4");
    while (at != std::string_view::npos && at + 30 <= bytes.size() && out.size() < limit) {
        ZipPackage::LocalEntry e;
        e.flags = uint16_t(Le(d + at + 6, 2));
        e.method = uint16_t(Le(d + at + 8, 2));
        uint64_t comp = Le(d + at + 18, 4), size = Le(d + at + 22, 4);
        const size_t nameLength = size_t(Le(d + at + 26, 2)), extraLength = size_t(Le(d + at + 28, 2));
        const size_t name = at + 30, data = name + nameLength + extraLength;
        if (data > bytes.size()) break;
        if (comp == 0xFFFFFFFF || size == 0xFFFFFFFF) Zip64Sizes(d + name + nameLength, extraLength, size, comp);
        e.name = bytes.substr(name, nameLength);
        // Sizes written after the data (flag 3) are not known here; nor are
        // sizes that run past the file. Either way the data runs on to the
        // next header: a deflated stream knows its own end.
        e.sized = !(e.flags & 8) && comp <= bytes.size() - data;
        size_t end = e.sized ? data + size_t(comp) : NextSignature(bytes, data);
        e.data = bytes.substr(data, end - data);
        e.size = size;
        if (!e.sized && e.method == ZIP_CM_STORE) e.data = WithoutDescriptor(e.data);
        if (!e.name.empty()) out.push_back(e);
        at = bytes.find("PK\3\4", std::max(end, at + 4));
    }
    return out;
}

ZipPackage::ZipPackage(std::string_view bytes) : bytes_(bytes), packageBytes_(bytes.size()) {
    if (DeclaredEntries(bytes) > int64_t(kMaxEntries))
        throw Error(ErrorKind::Unsafe, "The workbook is unsafe to read (its archive has too many parts)");
    zip_error_t err;
    zip_error_init(&err);
    zip_source_t* src = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &err);
    if (!src) {
        zip_error_fini(&err);
        throw Error(ErrorKind::OutOfMemory, "The workbook cannot be read (out of memory)");
    }
    archive_ = zip_open_from_source(src, ZIP_RDONLY, &err);
    if (!archive_) {
        zip_source_free(src);
        std::string why = zip_error_strerror(&err);
        const bool noMemory = zip_error_code_zip(&err) == ZIP_ER_MEMORY;
        zip_error_fini(&err);
        if (noMemory) throw Error(ErrorKind::OutOfMemory, "The workbook cannot be read (out of memory)");
        // The central directory is damaged or missing; the entries it
        // listed may still be there, each behind its local header.
        local_ = ScanLocalEntries(bytes, kMaxEntries + 1);
        if (local_.size() > kMaxEntries)
            throw Error(ErrorKind::Unsafe, "The workbook is unsafe to read (its archive has too many parts)");
        if (local_.empty()) throw Error(ErrorKind::Damaged, "The workbook is damaged (" + why + ")");
        damage_ = why;
        for (size_t i = 0; i < local_.size(); ++i) Index(local_[i].name, i);
        return;
    }
    zip_error_fini(&err);
    zip_int64_t n = zip_get_num_entries(archive_, 0);
    std::vector<std::string_view> names;
    names.reserve(size_t(std::max<zip_int64_t>(n, 0)));
    index_.reserve(names.capacity());
    for (zip_int64_t i = 0; i < n; ++i) {
        const char* nm = zip_get_name(archive_, uint64_t(i), ZIP_FL_ENC_RAW);
        if (nm) Index(nm, uint64_t(i));
        names.emplace_back(nm ? nm : "");
    }
    dataAt_ = DataOffsets(bytes, names);
}

bool ZipPackage::Direct(int64_t idx, uint64_t comp, std::string_view& out) const {
    if (size_t(idx) >= dataAt_.size()) return false;
    const uint64_t at = dataAt_[size_t(idx)];
    if (at == kNoOffset || at > bytes_.size() || bytes_.size() - at < comp) return false;
    out = bytes_.substr(size_t(at), size_t(comp));
    return true;
}

ZipPackage::~ZipPackage() {
    if (archive_) zip_discard(archive_);
}

int64_t ZipPackage::Find(std::string_view name) const {
    // Most names come from relationships and are in normal form already.
    const bool normal =
        std::none_of(name.begin(), name.end(), [](char c) { return c == '\\' || (c >= 'A' && c <= 'Z'); }) &&
        !name.starts_with('/');
    auto it = normal ? index_.find(name) : index_.find(NormalizePartName(name));
    return it == index_.end() ? -1 : int64_t(it->second);
}

void ZipPackage::Index(std::string_view name, uint64_t entry) { index_.emplace(NormalizePartName(name), entry); }

bool ZipPackage::Has(std::string_view name) const { return Find(name) >= 0; }

void ZipPackage::CountInflated(uint64_t n) const {
    inflated_ += n;
    if (inflated_ > kMaxPackageBytes ||
        (inflated_ > kRatioFloorBytes && inflated_ / (packageBytes_ ? packageBytes_ : 1) > kMaxRatio))
        throw Error(ErrorKind::Unsafe,
                    "The workbook is unsafe to read (its parts, read for every place that "
                    "names them, inflate beyond a sane size)");
}

uint64_t ZipPackage::StatedSize(std::string_view name) const {
    const int64_t idx = Find(name);
    if (idx < 0) return 0;
    const Entry e = Stat(idx, std::string(name));
    return e.sized ? e.size : 0;
}

std::vector<std::string> ZipPackage::Names() const {
    std::vector<std::string> out;
    for (const LocalEntry& e : local_) out.emplace_back(e.name);
    zip_int64_t n = archive_ ? zip_get_num_entries(archive_, 0) : 0;
    for (zip_int64_t i = 0; i < n; ++i) {
        const char* nm = zip_get_name(archive_, uint64_t(i), ZIP_FL_ENC_RAW);
        if (nm) out.emplace_back(nm);
    }
    return out;
}

ZipPackage::Entry ZipPackage::Stat(int64_t idx, const std::string& shown) const {
    Entry e;
    if (!archive_) {
        const LocalEntry& l = local_[size_t(idx)];
        e.method = l.method;
        e.comp = l.data.size();
        e.size = l.size;
        e.sized = l.sized;
        e.encrypted = l.flags & 1;
        return e;
    }
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(archive_, uint64_t(idx), 0, &st) != 0)
        throw Error(ErrorKind::Damaged, "The workbook is damaged (cannot read " + shown + ")");
    e.comp = (st.valid & ZIP_STAT_COMP_SIZE) ? st.comp_size : 0;
    e.sized = (st.valid & ZIP_STAT_SIZE) && (st.valid & ZIP_STAT_COMP_SIZE);
    e.size = (st.valid & ZIP_STAT_SIZE) ? st.size : 0;
    e.encrypted = (st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE;
    e.method = (st.valid & ZIP_STAT_COMP_METHOD) ? st.comp_method : ZIP_CM_STORE;
    return e;
}

void ZipPackage::Stream(std::string_view name, const std::function<bool(const char*, size_t)>& sink) const {
    int64_t idx = Find(name);
    std::string shown(name);
    if (idx < 0) throw Error(ErrorKind::Damaged, "The workbook is damaged (part " + shown + " is missing)");
    const Entry e = Stat(idx, shown);
    auto tooLarge = [&] {
        return Error(ErrorKind::TooLarge, "The workbook is too large to read (part " + shown + " exceeds 512 MiB)");
    };
    auto bomb = [&] {
        return Error(ErrorKind::Unsafe,
                     "The workbook is unsafe to read (part " + shown + " inflates beyond a sane ratio)");
    };
    const uint64_t comp = e.comp;
    if (e.sized && e.size > kMaxEntryBytes) throw tooLarge();
    if (e.sized && e.size > kRatioFloorBytes && e.size / (comp ? comp : 1) > kMaxRatio) throw bomb();

    if (e.encrypted) throw PasswordError();
    const uint16_t method = e.method;
    if (method != ZIP_CM_STORE && method != ZIP_CM_DEFLATE)
        throw Error(ErrorKind::Unsupported,
                    "The workbook cannot be read (part " + shown + " uses an unsupported compression)");

    // The raw data is inflated here rather than by libzip: that way the
    // limits hold whatever the headers claim, and a checksum mismatch (which
    // some writers produce) does not lose an otherwise readable part.
    auto open = [&] {
        std::string_view direct;
        RawSource src = !archive_ ? RawSource(local_[size_t(idx)].data)
                        : e.sized && Direct(idx, comp, direct)
                            ? RawSource(direct)
                            : RawSource(zip_fopen_index(archive_, uint64_t(idx), ZIP_FL_COMPRESSED));
        if (!src.Open())
            throw Error(ErrorKind::Damaged,
                        "The workbook is damaged (cannot open " + shown + ": " + zip_strerror(archive_) + ")");
        return src;
    };
    RawSource src = open();
    if (method == ZIP_CM_DEFLATE && e.sized && e.size <= kWholeInflateBytes && comp <= kWholeInflateBytes) {
        std::string whole;
        if (InflateWhole(src, comp, e.size, whole)) {
            CountInflated(whole.size());
            sink(whole.data(), whole.size());
            return;
        }
        src = open();
    }
    std::unique_ptr<StreamInflater> inflater;
    if (method == ZIP_CM_DEFLATE) inflater = std::make_unique<StreamInflater>();
    char in[32 * 1024];
    uint64_t total = 0;
    bool wanted = true;
    auto deliver = [&](const char* p, size_t n) {
        total += n;
        if (total > kMaxEntryBytes) throw tooLarge();
        if (total > kRatioFloorBytes && total / (comp ? comp : 1) > kMaxRatio) throw bomb();
        CountInflated(n);
        return wanted = sink(p, n);
    };
    while (!inflater || !inflater->Ended()) {
        const int64_t got = src.Read(in, sizeof in);
        if (got < 0)
            throw Error(ErrorKind::Damaged, "The workbook is damaged (" + shown + ": " + src.ErrorText() + ")");
        if (got == 0) break;
        if (!inflater) deliver(in, size_t(got));
        else if (!inflater->Feed(reinterpret_cast<const uint8_t*>(in), size_t(got), deliver))
            throw Error(ErrorKind::Damaged, "The workbook is damaged (" + shown + " cannot be decompressed)");
        if (!wanted) return;
    }
    if (inflater && !inflater->Ended())
        throw Error(ErrorKind::Damaged, "The workbook is damaged (" + shown + " is truncated)");
}

std::string ZipPackage::StoredBytes(std::string_view name) const {
    const int64_t idx = Find(name);
    if (idx < 0) return {};
    Entry e;
    try {
        e = Stat(idx, std::string(name));
    } catch (const Error&) {
        return {};
    }
    // An entry of unknown size may run on past its end: no fingerprint.
    if (!e.sized || e.comp > kWholeInflateBytes) return {};
    std::string_view direct;
    RawSource src = !archive_ ? RawSource(local_[size_t(idx)].data)
                    : Direct(idx, e.comp, direct)
                        ? RawSource(direct)
                        : RawSource(zip_fopen_index(archive_, uint64_t(idx), ZIP_FL_COMPRESSED));
    if (!src.Open()) return {};
    std::string out(2 + size_t(e.comp), '\0');
    out[0] = char(e.method & 0xFF);
    out[1] = char(e.method >> 8);
    size_t got = 2;
    while (got < out.size()) {
        const int64_t n = src.Read(out.data() + got, out.size() - got);
        if (n <= 0) return {};
        got += size_t(n);
    }
    return out;
}

std::string ZipPackage::Read(std::string_view name) const {
    std::string out;
    Stream(name, [&](const char* p, size_t n) {
        out.append(p, n);
        return true;
    });
    return out;
}

}  // namespace sheets
