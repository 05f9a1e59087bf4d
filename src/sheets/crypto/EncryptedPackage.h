#pragma once
// Office Open XML packages (.xlsx, .xlsm, .xlsb) encrypted in a compound
// file: the "EncryptionInfo" stream says how, the "EncryptedPackage" stream
// holds the package. ECMA-376 Standard and Agile encryption with AES.
#include <string>
#include <string_view>

namespace sheets {

class Cfb;

// The password Excel applies when the author gave none: a package encrypted
// with it opens like an unprotected one.
inline constexpr std::u16string_view kDefaultPassword = u"VelvetSweatshop";

// The decrypted package (the bytes of a zip archive). Throws
// sheets::PasswordError at once when the password does not open it or the
// encryption is of a kind not read, sheets::Error when the streams are
// damaged.
std::string DecryptPackage(const Cfb& cfb, std::u16string_view password = kDefaultPassword);

namespace crypto {

// The two methods, on the EncryptionInfo stream after its version (eight
// bytes) and on the whole EncryptedPackage stream.
std::string DecryptStandard(std::string_view info, std::string_view package, std::u16string_view password);
std::string DecryptAgile(std::string_view info, std::string_view package, std::u16string_view password);

// The size the EncryptedPackage stream states (its first eight bytes), no
// more than the data after them holds.
size_t StatedPackageSize(std::string_view package);

}  // namespace crypto
}  // namespace sheets
