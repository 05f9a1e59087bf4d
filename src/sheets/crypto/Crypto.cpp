#include "sheets/crypto/Crypto.h"

#include <nettle/aes.h>
#include <nettle/cbc.h>
#include <nettle/sha1.h>
#include <nettle/sha2.h>

#include <cstring>

#include "sheets/Errors.h"

namespace sheets::crypto {
namespace {

const uint8_t* Bytes(std::string_view s) { return reinterpret_cast<const uint8_t*>(s.data()); }

// One hash's context, fed piece by piece.
class Hasher {
public:
    explicit Hasher(Hash h) : h_(h) { Reset(); }
    void Reset() {
        switch (h_) {
        case Hash::Sha1: sha1_init(&ctx_.sha1); break;
        case Hash::Sha256: sha256_init(&ctx_.sha256); break;
        case Hash::Sha384: sha384_init(&ctx_.sha512); break;
        case Hash::Sha512: sha512_init(&ctx_.sha512); break;
        }
    }
    void Update(std::string_view d) {
        switch (h_) {
        case Hash::Sha1: sha1_update(&ctx_.sha1, d.size(), Bytes(d)); break;
        case Hash::Sha256: sha256_update(&ctx_.sha256, d.size(), Bytes(d)); break;
        case Hash::Sha384:
        case Hash::Sha512: sha512_update(&ctx_.sha512, d.size(), Bytes(d)); break;
        }
    }
    // The digest into `out` (resized), and the context is ready again.
    void Finish(std::string& out) {
        out.resize(HashSize(h_));
        auto* p = reinterpret_cast<uint8_t*>(out.data());
        switch (h_) {
        case Hash::Sha1: sha1_digest(&ctx_.sha1, out.size(), p); break;
        case Hash::Sha256: sha256_digest(&ctx_.sha256, out.size(), p); break;
        case Hash::Sha384: sha384_digest(&ctx_.sha512, out.size(), p); break;
        case Hash::Sha512: sha512_digest(&ctx_.sha512, out.size(), p); break;
        }
    }

private:
    Hash h_;
    union {
        sha1_ctx sha1;
        sha256_ctx sha256;
        sha512_ctx sha512;
    } ctx_;
};

}  // namespace

size_t HashSize(Hash h) {
    switch (h) {
    case Hash::Sha1: return SHA1_DIGEST_SIZE;
    case Hash::Sha256: return SHA256_DIGEST_SIZE;
    case Hash::Sha384: return SHA384_DIGEST_SIZE;
    case Hash::Sha512: return SHA512_DIGEST_SIZE;
    }
    return 0;
}

std::string Digest(Hash h, std::string_view a, std::string_view b) {
    Hasher hasher(h);
    hasher.Update(a);
    hasher.Update(b);
    std::string out;
    hasher.Finish(out);
    return out;
}

std::string SpunHash(Hash h, std::string_view salt, std::string_view password, uint32_t spins) {
    Hasher hasher(h);
    hasher.Update(salt);
    hasher.Update(password);
    std::string out;
    hasher.Finish(out);
    for (uint32_t i = 0; i < spins; ++i) {
        hasher.Update(Le32(i));
        hasher.Update(out);
        hasher.Finish(out);
    }
    return out;
}

std::string Le32(uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }

std::string Utf16Bytes(std::u16string_view text) {
    std::string b;
    for (char16_t c : text) {
        b += char(c & 0xFF);
        b += char(c >> 8);
    }
    return b;
}

AesDecryptor::AesDecryptor(std::string_view key) : keySize_(key.size()) {
    static_assert(sizeof(aes256_ctx) <= sizeof ctx_);
    switch (keySize_) {
    case 16: aes128_set_decrypt_key(reinterpret_cast<aes128_ctx*>(ctx_), Bytes(key)); break;
    case 24: aes192_set_decrypt_key(reinterpret_cast<aes192_ctx*>(ctx_), Bytes(key)); break;
    case 32: aes256_set_decrypt_key(reinterpret_cast<aes256_ctx*>(ctx_), Bytes(key)); break;
    default: throw PasswordError();
    }
}

namespace {

// nettle's cipher functions in the one signature its modes call.
void Aes128(const void* ctx, size_t n, uint8_t* dst, const uint8_t* src) {
    aes128_decrypt(static_cast<const aes128_ctx*>(ctx), n, dst, src);
}
void Aes192(const void* ctx, size_t n, uint8_t* dst, const uint8_t* src) {
    aes192_decrypt(static_cast<const aes192_ctx*>(ctx), n, dst, src);
}
void Aes256(const void* ctx, size_t n, uint8_t* dst, const uint8_t* src) {
    aes256_decrypt(static_cast<const aes256_ctx*>(ctx), n, dst, src);
}

nettle_cipher_func* DecryptFunction(size_t keySize) { return keySize == 16 ? Aes128 : keySize == 24 ? Aes192 : Aes256; }

}  // namespace

void AesDecryptor::Ecb(std::string& data) const {
    const size_t whole = data.size() / AES_BLOCK_SIZE * AES_BLOCK_SIZE;
    auto* p = reinterpret_cast<uint8_t*>(data.data());
    DecryptFunction(keySize_)(ctx_, whole, p, p);
}

void AesDecryptor::Cbc(std::string& data, std::string_view iv) const {
    const size_t whole = data.size() / AES_BLOCK_SIZE * AES_BLOCK_SIZE;
    uint8_t chain[AES_BLOCK_SIZE];
    std::memcpy(chain, iv.data(), AES_BLOCK_SIZE);
    auto* p = reinterpret_cast<uint8_t*>(data.data());
    cbc_decrypt(ctx_, DecryptFunction(keySize_), AES_BLOCK_SIZE, chain, whole, p, p);
}

}  // namespace sheets::crypto
