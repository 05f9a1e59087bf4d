#include "sheets/Loader.h"

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>

#include "sheets/Errors.h"
#include "sheets/container/Cfb.h"

namespace sheets {

namespace {

// A workbook is read whole into memory; larger files are refused up front.
constexpr uint64_t kMaxFileBytes = 512ull << 20;

}  // namespace

void PinLocalTimeZone() {
    if (!std::getenv("TZ")) ::setenv("TZ", ":/etc/localtime", 0);
    ::tzset();
}

Workbook LoadWorkbookFromMemory(std::string_view bytes) {
    if (bytes.size() > kMaxFileBytes) throw Error("The workbook is too large to read (over 512 MiB)");
    if (bytes.size() >= 4 && std::memcmp(bytes.data(), "PK\3\4", 4) == 0) return ReadXlsx(bytes);
    if (IsCfb(bytes)) {
        // An encrypted package travels in a compound file with these streams.
        if (CfbHasStream(bytes, "EncryptionInfo") || CfbHasStream(bytes, "EncryptedPackage")) throw PasswordError();
        return ReadXls(bytes);
    }
    // An empty zip archive starts with its end record.
    if (bytes.size() >= 4 && std::memcmp(bytes.data(), "PK\5\6", 4) == 0)
        throw Error("Not a workbook (the zip archive is empty)");
    throw Error("Not a workbook (unknown file format)");
}

Workbook LoadWorkbook(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw Error("The workbook cannot be opened (" + std::string(std::strerror(errno)) + ")");
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    if (size < 0) throw Error("The workbook cannot be read");
    if (uint64_t(size) > kMaxFileBytes) throw Error("The workbook is too large to read (over 512 MiB)");
    in.seekg(0);
    std::string bytes(size_t(size), '\0');
    if (!in.read(bytes.data(), size)) throw Error("The workbook cannot be read");
    return LoadWorkbookFromMemory(bytes);
}

}  // namespace sheets
