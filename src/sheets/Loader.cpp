#include "sheets/Loader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string_view>

#include "sheets/Errors.h"
#include "sheets/container/Cfb.h"
#include "sheets/crypto/EncryptedPackage.h"
#include "sheets/xls/XlsReader.h"
#include "sheets/xlsb/XlsbReader.h"
#include "sheets/xlsx/XlsxReader.h"

namespace sheets {

namespace {

// A workbook is read whole into memory; larger files are refused up front.
constexpr uint64_t kMaxFileBytes = 512ull << 20;

// What the content is, as far as choosing its reader goes.
enum class Content { ZipPackage, BinaryPackage, CompoundFile, EncryptedPackage, BiffStream, EmptyZip, Unknown };

Content Recognize(std::string_view bytes) {
    if (bytes.size() >= 4 && std::memcmp(bytes.data(), "PK\3\4", 4) == 0)
        return IsXlsbPackage(bytes) ? Content::BinaryPackage : Content::ZipPackage;
    if (IsCfb(bytes)) {
        // An encrypted package travels in a compound file with these streams.
        if (CfbHasStream(bytes, "EncryptionInfo") || CfbHasStream(bytes, "EncryptedPackage"))
            return Content::EncryptedPackage;
        return Content::CompoundFile;
    }
    if (IsBiffStream(bytes)) return Content::BiffStream;
    // An empty zip archive starts with its end record.
    if (bytes.size() >= 4 && std::memcmp(bytes.data(), "PK\5\6", 4) == 0) return Content::EmptyZip;
    return Content::Unknown;
}

}  // namespace

Workbook LoadWorkbookFromMemory(std::string_view bytes) {
    if (bytes.size() > kMaxFileBytes)
        throw Error(ErrorKind::TooLarge, "The workbook is too large to read (over 512 MiB)");
    switch (Recognize(bytes)) {
    case Content::ZipPackage: return ReadXlsx(bytes);
    case Content::BinaryPackage: return ReadXlsb(bytes);
    case Content::CompoundFile: return ReadXls(bytes);
    case Content::EncryptedPackage: {
        // Decrypted, it is a package like any other, read by the reader its
        // content calls for; but never another encrypted one.
        const std::string package = DecryptPackage(Cfb(bytes));
        if (package.size() < 4 || std::memcmp(package.data(), "PK\3\4", 4) != 0)
            throw Error(ErrorKind::Damaged, "The workbook is damaged (its encrypted package holds no package)");
        return LoadWorkbookFromMemory(package);
    }
    case Content::BiffStream: return ReadBiffStream(bytes);
    case Content::EmptyZip: throw Error(ErrorKind::NotAWorkbook, "Not a workbook (the zip archive is empty)");
    case Content::Unknown: break;
    }
    throw Error(ErrorKind::NotAWorkbook, "Not a workbook (unknown file format)");
}

Workbook LoadWorkbook(const std::string& path) {
    auto failed = [](const char* what) {
        return Error(ErrorKind::FileAccess, std::string(what) + " (" + std::strerror(errno) + ")");
    };
    // Without blocking: a pipe put where the workbook was listed would wait
    // for a writer forever. Only a regular file is read.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) throw failed("The workbook cannot be opened");
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0) throw failed("The workbook cannot be read");
    if (!S_ISREG(st.st_mode)) throw Error(ErrorKind::FileAccess, "The workbook cannot be read (not a file)");
    if (uint64_t(st.st_size) > kMaxFileBytes)
        throw Error(ErrorKind::TooLarge, "The workbook is too large to read (over 512 MiB)");
    // Left uninitialised: every byte used is read into it first.
    const size_t size = size_t(st.st_size);
    const std::unique_ptr<char[]> bytes(new char[size]);
    size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, bytes.get() + got, size - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw failed("The workbook cannot be read");
        if (n == 0) break;  // it shrank while being read: take what is there
        got += size_t(n);
    }
    return LoadWorkbookFromMemory(std::string_view(bytes.get(), got));
}

}  // namespace sheets
