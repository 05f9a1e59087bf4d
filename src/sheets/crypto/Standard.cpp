// ECMA-376 Standard encryption: a binary header, AES in ECB mode, a key
// made from SHA-1.
#include <cstring>

#include "sheets/Errors.h"
#include "sheets/crypto/Crypto.h"
#include "sheets/crypto/EncryptedPackage.h"

namespace sheets::crypto {
namespace {

constexpr uint32_t kFlagAes = 0x20, kFlagExternal = 0x10;
constexpr uint32_t kSpins = 50000;

class Reader {
public:
    explicit Reader(std::string_view d) : d_(d) {}
    uint32_t U32() {
        std::string_view b = Take(4);
        return uint32_t(uint8_t(b[0])) | uint32_t(uint8_t(b[1])) << 8 | uint32_t(uint8_t(b[2])) << 16 |
               uint32_t(uint8_t(b[3])) << 24;
    }
    std::string_view Take(size_t n) {
        // A header that is cut short can name no key: the workbook cannot be opened.
        if (d_.size() - at_ < n) throw PasswordError();
        std::string_view v = d_.substr(at_, n);
        at_ += n;
        return v;
    }

private:
    std::string_view d_;
    size_t at_ = 0;
};

// The key from the password: a spun SHA-1, the block number 0, and the two
// halves of the result run through SHA-1 with the 0x36 and 0x5C pads.
std::string DeriveKey(std::string_view salt, std::string_view password, size_t keyBytes) {
    const std::string h = Digest(Hash::Sha1, SpunHash(Hash::Sha1, salt, password, kSpins), Le32(0));
    std::string pad1(64, '\x36'), pad2(64, '\x5C');
    for (size_t i = 0; i < h.size(); ++i) {
        pad1[i] = char(pad1[i] ^ h[i]);
        pad2[i] = char(pad2[i] ^ h[i]);
    }
    return (Digest(Hash::Sha1, pad1) + Digest(Hash::Sha1, pad2)).substr(0, keyBytes);
}

}  // namespace

std::string DecryptStandard(std::string_view info, std::string_view package, std::u16string_view password) {
    Reader r(info);
    const uint32_t flags = r.U32();
    const uint32_t headerSize = r.U32();
    Reader header(r.Take(headerSize));
    header.U32();  // the flags again
    header.U32();  // size extra
    const uint32_t algId = header.U32();
    header.U32();  // hash algorithm: SHA-1
    uint32_t keyBits = header.U32();
    if ((flags & kFlagExternal) || !(flags & kFlagAes)) throw PasswordError();
    if (algId != 0 && algId != 0x660E && algId != 0x660F && algId != 0x6610) throw PasswordError();
    if (keyBits == 0) keyBits = algId == 0x660F ? 192 : algId == 0x6610 ? 256 : 128;
    if (keyBits != 128 && keyBits != 192 && keyBits != 256) throw PasswordError();

    const uint32_t saltSize = r.U32();
    if (saltSize != 16) throw PasswordError();
    const std::string_view salt = r.Take(16);
    std::string verifier(r.Take(16));
    r.U32();  // the verifier hash's size: SHA-1's
    std::string verifierHash(r.Take(32));

    const std::string key = DeriveKey(salt, Utf16Bytes(password), keyBits / 8);
    const AesDecryptor aes(key);
    aes.Ecb(verifier);
    aes.Ecb(verifierHash);
    const std::string want = Digest(Hash::Sha1, verifier);
    if (std::memcmp(want.data(), verifierHash.data(), want.size()) != 0) throw PasswordError();

    const size_t size = StatedPackageSize(package);
    std::string data(package.substr(8));
    aes.Ecb(data);
    data.resize(size);
    return data;
}

}  // namespace sheets::crypto
