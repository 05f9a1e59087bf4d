#include "sheets/container/Zip.h"

#include <libdeflate.h>
#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>

#include "sheets/Errors.h"

namespace sheets {

std::string NormalizePartName(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (char c : name) {
        if (c == '\\') c = '/';
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        out.push_back(c);
    }
    size_t lead = out.find_first_not_of('/');
    if (lead == std::string::npos) return {};
    out.erase(0, lead);
    return out;
}

namespace {

uint64_t Le(const unsigned char* p, int n) {
    uint64_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | p[i];
    return v;
}

// The number of entries the archive's end record declares, read before
// libzip builds its table (which costs memory per entry); -1 when there is
// no end record to read.
int64_t DeclaredEntries(std::string_view bytes) {
    auto* d = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t n = bytes.size();
    if (n < 22) return -1;
    size_t stop = n > 22 + 65535 ? n - 22 - 65535 : 0;
    for (size_t i = n - 22 + 1; i-- > stop;) {
        if (std::memcmp(d + i, "PK\5\6", 4) != 0) continue;
        uint64_t count = Le(d + i + 10, 2);
        if (count == 0xFFFF && i >= 20 && std::memcmp(d + i - 20, "PK\6\7", 4) == 0) {
            uint64_t at = Le(d + i - 20 + 8, 8);
            if (n >= 56 && at <= n - 56 && std::memcmp(d + at, "PK\6\6", 4) == 0) count = Le(d + at + 32, 8);
        }
        return int64_t(std::min<uint64_t>(count, uint64_t(INT64_MAX)));
    }
    return -1;
}

// Parts up to this size (most of a workbook's) are inflated in one call,
// which costs about half of what streaming through zlib does on them.
constexpr uint64_t kWholeInflateBytes = 1ull << 20;

// Inflates a small deflated entry whole into `out`. False when the entry
// does not inflate cleanly to at most `size` bytes (a header that lies, a
// damaged stream): the caller then streams it, with all its checks.
bool InflateWhole(zip_file_t* f, uint64_t comp, uint64_t size, std::string& out) {
    thread_local std::unique_ptr<libdeflate_decompressor, void (*)(libdeflate_decompressor*)> inflater(
        libdeflate_alloc_decompressor(), libdeflate_free_decompressor);
    if (!inflater) return false;
    std::string in(size_t(comp), '\0');
    size_t got = 0;
    while (got < in.size()) {
        zip_int64_t n = zip_fread(f, in.data() + got, in.size() - got);
        if (n <= 0) return false;
        got += size_t(n);
    }
    out.resize(size_t(size));
    size_t produced = 0;
    if (libdeflate_deflate_decompress(inflater.get(), in.data(), in.size(), out.data(), out.size(), &produced) !=
        LIBDEFLATE_SUCCESS)
        return false;
    out.resize(produced);
    return true;
}

}  // namespace

ZipPackage::ZipPackage(std::string_view bytes) : packageBytes_(bytes.size()) {
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
        zip_error_fini(&err);
        throw Error(ErrorKind::Damaged, "The workbook is damaged (" + why + ")");
    }
    zip_error_fini(&err);
    zip_int64_t n = zip_get_num_entries(archive_, 0);
    for (zip_int64_t i = 0; i < n; ++i) {
        const char* nm = zip_get_name(archive_, uint64_t(i), ZIP_FL_ENC_RAW);
        if (nm) index_.emplace(NormalizePartName(nm), uint64_t(i));  // first one wins
    }
}

ZipPackage::~ZipPackage() {
    if (archive_) zip_discard(archive_);
}

int64_t ZipPackage::Find(std::string_view name) const {
    auto it = index_.find(NormalizePartName(name));
    return it == index_.end() ? -1 : int64_t(it->second);
}

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
    zip_stat_t st;
    zip_stat_init(&st);
    if (idx < 0 || zip_stat_index(archive_, uint64_t(idx), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE)) return 0;
    return st.size;
}

std::vector<std::string> ZipPackage::Names() const {
    std::vector<std::string> out;
    zip_int64_t n = zip_get_num_entries(archive_, 0);
    for (zip_int64_t i = 0; i < n; ++i) {
        const char* nm = zip_get_name(archive_, uint64_t(i), ZIP_FL_ENC_RAW);
        if (nm) out.emplace_back(nm);
    }
    return out;
}

void ZipPackage::Stream(std::string_view name, const std::function<bool(const char*, size_t)>& sink) const {
    int64_t idx = Find(name);
    std::string shown(name);
    if (idx < 0) throw Error(ErrorKind::Damaged, "The workbook is damaged (part " + shown + " is missing)");
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(archive_, uint64_t(idx), 0, &st) != 0)
        throw Error(ErrorKind::Damaged, "The workbook is damaged (cannot read " + shown + ")");
    auto tooLarge = [&] {
        return Error(ErrorKind::TooLarge, "The workbook is too large to read (part " + shown + " exceeds 512 MiB)");
    };
    auto bomb = [&] {
        return Error(ErrorKind::Unsafe,
                     "The workbook is unsafe to read (part " + shown + " inflates beyond a sane ratio)");
    };
    uint64_t comp = (st.valid & ZIP_STAT_COMP_SIZE) ? st.comp_size : 0;
    if ((st.valid & ZIP_STAT_SIZE) && st.size > kMaxEntryBytes) throw tooLarge();
    if ((st.valid & ZIP_STAT_SIZE) && st.size > kRatioFloorBytes && st.size / (comp ? comp : 1) > kMaxRatio)
        throw bomb();

    if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE) throw PasswordError();
    uint16_t method = (st.valid & ZIP_STAT_COMP_METHOD) ? st.comp_method : ZIP_CM_STORE;
    if (method != ZIP_CM_STORE && method != ZIP_CM_DEFLATE)
        throw Error(ErrorKind::Unsupported,
                    "The workbook cannot be read (part " + shown + " uses an unsupported compression)");

    // The raw data is inflated here rather than by libzip: that way the
    // limits hold whatever the headers claim, and a checksum mismatch (which
    // some writers produce) does not lose an otherwise readable part.
    std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> f(zip_fopen_index(archive_, uint64_t(idx), ZIP_FL_COMPRESSED),
                                                        zip_fclose);
    if (!f)
        throw Error(ErrorKind::Damaged,
                    "The workbook is damaged (cannot open " + shown + ": " + zip_strerror(archive_) + ")");
    if (method == ZIP_CM_DEFLATE && (st.valid & ZIP_STAT_SIZE) && (st.valid & ZIP_STAT_COMP_SIZE) &&
        st.size <= kWholeInflateBytes && comp <= kWholeInflateBytes) {
        std::string whole;
        if (InflateWhole(f.get(), comp, st.size, whole)) {
            CountInflated(whole.size());
            sink(whole.data(), whole.size());
            return;
        }
        f.reset(zip_fopen_index(archive_, uint64_t(idx), ZIP_FL_COMPRESSED));
        if (!f)
            throw Error(ErrorKind::Damaged,
                        "The workbook is damaged (cannot open " + shown + ": " + zip_strerror(archive_) + ")");
    }

    z_stream z{};
    if (method == ZIP_CM_DEFLATE && inflateInit2(&z, -MAX_WBITS) != Z_OK)
        throw Error(ErrorKind::OutOfMemory, "The workbook cannot be read (out of memory)");
    struct ZEnd {
        z_stream* z;
        bool on;
        ~ZEnd() {
            if (on) inflateEnd(z);
        }
    } zend{&z, method == ZIP_CM_DEFLATE};

    char in[32 * 1024];
    char out[64 * 1024];
    uint64_t total = 0;
    bool ended = false, wanted = true;
    auto deliver = [&](const char* p, size_t n) {
        total += n;
        if (total > kMaxEntryBytes) throw tooLarge();
        if (total > kRatioFloorBytes && total / (comp ? comp : 1) > kMaxRatio) throw bomb();
        CountInflated(n);
        wanted = sink(p, n);
    };
    while (!ended) {
        zip_int64_t got = zip_fread(f.get(), in, sizeof in);
        if (got < 0)
            throw Error(ErrorKind::Damaged,
                        "The workbook is damaged (" + shown + ": " + zip_file_strerror(f.get()) + ")");
        if (got == 0) break;
        if (method == ZIP_CM_STORE) {
            deliver(in, size_t(got));
            if (!wanted) return;
            continue;
        }
        z.next_in = reinterpret_cast<Bytef*>(in);
        z.avail_in = uInt(got);
        while (z.avail_in > 0 && !ended) {
            z.next_out = reinterpret_cast<Bytef*>(out);
            z.avail_out = sizeof out;
            int rc = inflate(&z, Z_NO_FLUSH);
            if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR)
                throw Error(ErrorKind::Damaged, "The workbook is damaged (" + shown + " cannot be decompressed)");
            size_t produced = sizeof out - z.avail_out;
            if (produced) deliver(out, produced);
            if (!wanted) return;
            if (rc == Z_STREAM_END) ended = true;
            else if (rc == Z_BUF_ERROR && produced == 0) break;
        }
    }
    if (method == ZIP_CM_DEFLATE && !ended) {
        // Flush what the inflater still holds, then insist on a proper end.
        for (;;) {
            z.next_out = reinterpret_cast<Bytef*>(out);
            z.avail_out = sizeof out;
            int rc = inflate(&z, Z_SYNC_FLUSH);
            size_t produced = sizeof out - z.avail_out;
            if (produced) deliver(out, produced);
            if (rc == Z_STREAM_END) {
                ended = true;
                break;
            }
            if (produced == 0) break;
        }
        if (!ended) throw Error(ErrorKind::Damaged, "The workbook is damaged (" + shown + " is truncated)");
    }
}

std::string ZipPackage::StoredBytes(std::string_view name) const {
    int64_t idx = Find(name);
    zip_stat_t st;
    zip_stat_init(&st);
    if (idx < 0 || zip_stat_index(archive_, uint64_t(idx), 0, &st) != 0 || !(st.valid & ZIP_STAT_COMP_SIZE) ||
        !(st.valid & ZIP_STAT_COMP_METHOD) || st.comp_size > kWholeInflateBytes)
        return {};
    std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> f(zip_fopen_index(archive_, uint64_t(idx), ZIP_FL_COMPRESSED),
                                                        zip_fclose);
    if (!f) return {};
    std::string out(2 + size_t(st.comp_size), '\0');
    out[0] = char(st.comp_method & 0xFF);
    out[1] = char(st.comp_method >> 8);
    size_t got = 2;
    while (got < out.size()) {
        zip_int64_t n = zip_fread(f.get(), out.data() + got, out.size() - got);
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
