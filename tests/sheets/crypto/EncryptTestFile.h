#pragma once
// Encrypts packages for tests, the way Office does with ECMA-376 Standard
// and Agile encryption, written here on nettle apart from the reader so that
// the tests compare two implementations. The salts and keys are fixed, so
// that a fixture is the same on every run.
#include <nettle/aes.h>
#include <nettle/base64.h>
#include <nettle/cbc.h>
#include <nettle/sha1.h>
#include <nettle/sha2.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "sheets/container/CfbTestFile.h"

namespace enctest {

inline std::string Le(uint64_t v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i) s += char(v >> (8 * i));
    return s;
}

inline std::string Utf16(std::u16string_view s) {
    std::string out;
    for (char16_t c : s) out += Le(c, 2);
    return out;
}

inline const uint8_t* U(std::string_view s) { return reinterpret_cast<const uint8_t*>(s.data()); }

inline std::string Sha1(std::string_view a, std::string_view b = {}) {
    sha1_ctx c;
    sha1_init(&c);
    sha1_update(&c, a.size(), U(a));
    sha1_update(&c, b.size(), U(b));
    std::string out(SHA1_DIGEST_SIZE, '\0');
    sha1_digest(&c, out.size(), reinterpret_cast<uint8_t*>(out.data()));
    return out;
}

inline std::string Sha512(std::string_view a, std::string_view b = {}) {
    sha512_ctx c;
    sha512_init(&c);
    sha512_update(&c, a.size(), U(a));
    sha512_update(&c, b.size(), U(b));
    std::string out(SHA512_DIGEST_SIZE, '\0');
    sha512_digest(&c, out.size(), reinterpret_cast<uint8_t*>(out.data()));
    return out;
}

// The data padded with zeros to whole 16-byte blocks.
inline std::string Padded(std::string s) {
    s.resize((s.size() + 15) / 16 * 16, '\0');
    return s;
}

inline std::string AesEcb(std::string_view key, std::string data) {
    data = Padded(std::move(data));
    aes128_ctx c;
    aes128_set_encrypt_key(&c, U(key));
    aes128_encrypt(&c, data.size(), reinterpret_cast<uint8_t*>(data.data()), U(data));
    return data;
}

inline void Aes256Encrypt(const void* c, size_t n, uint8_t* dst, const uint8_t* src) {
    aes256_encrypt(static_cast<const aes256_ctx*>(c), n, dst, src);
}

inline std::string Aes256Cbc(std::string_view key, std::string_view iv, std::string data) {
    data = Padded(std::move(data));
    aes256_ctx c;
    aes256_set_encrypt_key(&c, U(key));
    std::string chain(iv.substr(0, 16));
    cbc_encrypt(&c, Aes256Encrypt, 16, reinterpret_cast<uint8_t*>(chain.data()), data.size(),
                reinterpret_cast<uint8_t*>(data.data()), U(data));
    return data;
}

inline std::string Base64(std::string_view raw) {
    std::string out(BASE64_ENCODE_RAW_LENGTH(raw.size()), '\0');
    base64_encode_raw(out.data(), raw.size(), U(raw));
    return out;
}

// ECMA-376 Standard encryption, AES-128: the key from SHA-1 spun 50000
// times, then the two pads; the package in ECB mode after its size.
inline std::string EncryptStandard(const std::string& zip, std::u16string_view password) {
    const std::string salt(16, '\x5A');
    std::string h = Sha1(salt, Utf16(password));
    for (uint32_t i = 0; i < 50000; ++i) h = Sha1(Le(i, 4), h);
    h = Sha1(h, Le(0, 4));
    std::string x1(64, '\x36'), x2(64, '\x5C');
    for (size_t i = 0; i < 20; ++i) {
        x1[i] = char(x1[i] ^ h[i]);
        x2[i] = char(x2[i] ^ h[i]);
    }
    const std::string key = (Sha1(x1) + Sha1(x2)).substr(0, 16);
    const std::string verifier = "0123456789abcdef";
    const std::string csp = Utf16(u"Microsoft Enhanced RSA and AES Cryptographic Provider") + Le(0, 2);
    const std::string header =
        Le(0x24, 4) + Le(0, 4) + Le(0x660E, 4) + Le(0x8004, 4) + Le(128, 4) + Le(0x18, 4) + Le(0, 4) + Le(0, 4) + csp;
    const std::string info = Le(3, 2) + Le(2, 2) + Le(0x24, 4) + Le(header.size(), 4) + header + Le(16, 4) + salt +
                             AesEcb(key, verifier) + Le(20, 4) + AesEcb(key, Sha1(verifier));
    const std::string package = Le(zip.size(), 8) + AesEcb(key, zip);
    return cfbtest::Write({{"EncryptionInfo", info}, {"EncryptedPackage", package}}).bytes;
}

// ECMA-376 Agile encryption, AES-256 and SHA-512 throughout: the password's
// keys from the spun hash and a block key each, the package's own key
// encrypted with one of them, the package in CBC segments of 4096 bytes.
inline std::string EncryptAgile(const std::string& zip, std::u16string_view password, uint32_t spins = 100000) {
    const std::string dataSalt(16, '\x11'), pwSalt(16, '\x22'), secret(32, '\x33'), input(16, '\x44');
    std::string h = Sha512(pwSalt, Utf16(password));
    for (uint32_t i = 0; i < spins; ++i) h = Sha512(Le(i, 4), h);
    auto keyFor = [&](std::string_view block) { return Sha512(h, block).substr(0, 32); };
    const std::string verifierInput = Aes256Cbc(keyFor("\xFE\xA7\xD2\x76\x3B\x4B\x9E\x79"), pwSalt, input);
    const std::string verifierValue = Aes256Cbc(keyFor("\xD7\xAA\x0F\x6D\x30\x61\x34\x4E"), pwSalt, Sha512(input));
    const std::string keyValue = Aes256Cbc(keyFor("\x14\x6E\x0B\xE7\xAB\xAC\xD0\xD6"), pwSalt, secret);
    const std::string params =
        R"( saltSize="16" blockSize="16" keyBits="256" hashSize="64" cipherAlgorithm="AES" cipherChaining="ChainingModeCBC" hashAlgorithm="SHA512" )";
    const std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
        "<encryption xmlns=\"http://schemas.microsoft.com/office/2006/encryption\" "
        "xmlns:p=\"http://schemas.microsoft.com/office/2006/keyEncryptor/password\">"
        "<keyData" +
        params + "saltValue=\"" + Base64(dataSalt) +
        "\"/>"
        "<dataIntegrity encryptedHmacKey=\"\" encryptedHmacValue=\"\"/>"
        "<keyEncryptors><keyEncryptor uri=\"http://schemas.microsoft.com/office/2006/keyEncryptor/password\">"
        "<p:encryptedKey spinCount=\"" +
        std::to_string(spins) + "\"" + params + "saltValue=\"" + Base64(pwSalt) + "\" encryptedVerifierHashInput=\"" +
        Base64(verifierInput) + "\" encryptedVerifierHashValue=\"" + Base64(verifierValue) + "\" encryptedKeyValue=\"" +
        Base64(keyValue) + "\"/></keyEncryptor></keyEncryptors></encryption>";
    std::string package = Le(zip.size(), 8);
    for (size_t at = 0, segment = 0; at < zip.size(); at += 4096, ++segment)
        package += Aes256Cbc(secret, Sha512(dataSalt, Le(segment, 4)).substr(0, 16), zip.substr(at, 4096));
    const std::string info = Le(4, 2) + Le(4, 2) + Le(0x40, 4) + xml;
    return cfbtest::Write({{"EncryptionInfo", info}, {"EncryptedPackage", package}}).bytes;
}

}  // namespace enctest
