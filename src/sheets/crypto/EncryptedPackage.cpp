#include "sheets/crypto/EncryptedPackage.h"

#include <algorithm>
#include <optional>

#include "sheets/Errors.h"
#include "sheets/container/Cfb.h"

namespace sheets {

namespace crypto {

size_t StatedPackageSize(std::string_view package) {
    if (package.size() < 8) throw Error(ErrorKind::Damaged, "The workbook is damaged (its encrypted package is empty)");
    uint64_t size = 0;
    for (int i = 7; i >= 0; --i) size = size << 8 | uint8_t(package[size_t(i)]);
    return size_t(std::min<uint64_t>(size, package.size() - 8));
}

}  // namespace crypto

std::string DecryptPackage(const Cfb& cfb, std::u16string_view password) {
    std::optional<std::string> info = cfb.ReadStream("EncryptionInfo");
    std::optional<std::string> package = cfb.ReadStream("EncryptedPackage");
    if (!info || !package || info->size() < 8) throw PasswordError();
    const uint16_t major = uint16_t(uint8_t((*info)[0]) | uint8_t((*info)[1]) << 8);
    const uint16_t minor = uint16_t(uint8_t((*info)[2]) | uint8_t((*info)[3]) << 8);
    const std::string_view rest = std::string_view(*info).substr(4);
    // 2.2, 3.2, 4.2: Standard; 4.4: Agile; 3.3 and 4.3 (modules of other
    // makers) and anything else are not read.
    if (minor == 2 && major >= 2 && major <= 4) return crypto::DecryptStandard(rest, *package, password);
    if (major == 4 && minor == 4) return crypto::DecryptAgile(rest, *package, password);
    throw PasswordError();
}

}  // namespace sheets
