#pragma once
// The hashes and the block cipher of Office encryption, over nettle.
#include <cstdint>
#include <string>
#include <string_view>

namespace sheets::crypto {

enum class Hash : uint8_t { Sha1, Sha256, Sha384, Sha512 };

size_t HashSize(Hash h);
// H(a || b).
std::string Digest(Hash h, std::string_view a, std::string_view b = {});
// H0 = H(salt || password), then `spins` rounds of H(LE32(i) || H), as the
// password hashes of ECMA-376 encryption are made.
std::string SpunHash(Hash h, std::string_view salt, std::string_view password, uint32_t spins);
// Four bytes, least significant first.
std::string Le32(uint32_t v);
// A text as UTF-16LE bytes, the form passwords are hashed in.
std::string Utf16Bytes(std::u16string_view text);

// AES decryption with a key of 16, 24 or 32 bytes; only whole blocks of
// the data are decrypted.
class AesDecryptor {
public:
    // Throws sheets::PasswordError for a key of another length.
    explicit AesDecryptor(std::string_view key);
    void Ecb(std::string& data) const;
    // `iv` holds at least one block.
    void Cbc(std::string& data, std::string_view iv) const;

private:
    alignas(16) unsigned char ctx_[512];  // nettle's context of the key's size
    size_t keySize_;
};

}  // namespace sheets::crypto
