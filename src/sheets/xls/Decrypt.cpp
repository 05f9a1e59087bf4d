#include "sheets/xls/Decrypt.h"

#include <nettle/arcfour.h>
#include <nettle/md5.h>
#include <nettle/sha1.h>

#include <cstring>
#include <memory>
#include <vector>

#include "sheets/Errors.h"
#include "sheets/xls/Records.h"
#include "sheets/xls/XorObfuscation.h"

namespace sheets::xls {
namespace {

constexpr size_t kBlock = 1024;  // the key changes every 1024 bytes of the stream

std::string PasswordBytes(std::u16string_view pw) {
    std::string b;
    for (char16_t c : pw) {
        b += char(c & 0xFF);
        b += char(c >> 8);
    }
    return b;
}

std::string Le32(uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }

std::string Md5(std::string_view d) {
    md5_ctx c;
    md5_init(&c);
    md5_update(&c, d.size(), reinterpret_cast<const uint8_t*>(d.data()));
    std::string out(MD5_DIGEST_SIZE, '\0');
    md5_digest(&c, out.size(), reinterpret_cast<uint8_t*>(out.data()));
    return out;
}

std::string Sha1(std::string_view d) {
    sha1_ctx c;
    sha1_init(&c);
    sha1_update(&c, d.size(), reinterpret_cast<const uint8_t*>(d.data()));
    std::string out(SHA1_DIGEST_SIZE, '\0');
    sha1_digest(&c, out.size(), reinterpret_cast<uint8_t*>(out.data()));
    return out;
}

// Makes the RC4 key of one block.
class KeyMaker {
public:
    virtual ~KeyMaker() = default;
    virtual std::string Key(uint32_t block) const = 0;
};

// The original Office 97 method: MD5, 40-bit intermediate key.
class Rc4Keys final : public KeyMaker {
public:
    Rc4Keys(std::string_view salt, std::u16string_view pw) {
        std::string h0 = Md5(PasswordBytes(pw)).substr(0, 5);
        std::string buf;
        for (int i = 0; i < 16; ++i) {
            buf += h0;
            buf += salt;
        }
        truncated_ = Md5(buf).substr(0, 5);
    }
    std::string Key(uint32_t block) const override { return Md5(truncated_ + Le32(block)); }

private:
    std::string truncated_;
};

// The CryptoAPI method: SHA-1, key length from the header.
class CryptoApiKeys final : public KeyMaker {
public:
    CryptoApiKeys(std::string_view salt, std::u16string_view pw, uint32_t keyBits)
        : h0_(Sha1(std::string(salt) + PasswordBytes(pw))), keyBits_(keyBits) {}
    std::string Key(uint32_t block) const override {
        std::string h = Sha1(h0_ + Le32(block));
        // 40-bit keys are padded with zeros to 128 bits.
        if (keyBits_ == 40) return h.substr(0, 5) + std::string(11, '\0');
        return h.substr(0, keyBits_ / 8);
    }

private:
    std::string h0_;
    uint32_t keyBits_;
};

// RC4 positioned by stream offset: rekeyed at every block boundary.
class Cipher {
public:
    explicit Cipher(const KeyMaker& k) : keys_(k) {}
    // XORs `len` bytes at stream offset `pos` (positions only move forward).
    void Apply(char* data, size_t pos, size_t len) {
        while (len > 0) {
            Seek(pos);
            size_t n = std::min(len, kBlock - pos % kBlock);
            auto* p = reinterpret_cast<uint8_t*>(data);
            arcfour_crypt(&ctx_, n, p, p);
            used_ += n;
            data += n;
            pos += n;
            len -= n;
        }
    }
    void Start(uint32_t block) {
        std::string k = keys_.Key(block);
        arcfour_set_key(&ctx_, k.size(), reinterpret_cast<const uint8_t*>(k.data()));
        block_ = block;
        used_ = 0;
    }

private:
    void Seek(size_t pos) {
        const uint32_t block = uint32_t(pos / kBlock);
        const size_t in = pos % kBlock;
        if (!started_ || block != block_ || in < used_) {
            Start(block);
            started_ = true;
        }
        uint8_t scratch[64];
        while (used_ < in) {
            size_t n = std::min(sizeof scratch, in - used_);
            arcfour_crypt(&ctx_, n, scratch, scratch);
            used_ += n;
        }
    }
    const KeyMaker& keys_;
    arcfour_ctx ctx_{};
    uint32_t block_ = 0;
    size_t used_ = 0;
    bool started_ = false;
};

bool Verify(const KeyMaker& keys, std::string verifier, std::string hash, bool sha) {
    Cipher c(keys);
    c.Start(0);
    std::string both = verifier + hash;
    // The verifier and its hash are one run of the block-0 key stream.
    c.Apply(both.data(), 0, both.size());
    std::string plain = both.substr(0, verifier.size());
    std::string h = both.substr(verifier.size());
    std::string want = sha ? Sha1(plain) : Md5(plain);
    return h.size() >= want.size() && std::memcmp(h.data(), want.data(), want.size()) == 0;
}

// Records whose bodies stay in the clear.
bool Unencrypted(uint16_t type) {
    switch (type) {
    case rt::Bof:
    case rt::FilePass:
    case 0x0194 /*USREXCL*/:
    case 0x0195 /*FILELOCK*/:
    case 0x00E1 /*INTERFACEHDR*/:
    case 0x0196 /*RRDINFO*/:
    case 0x0138 /*RRDHEAD*/: return true;
    default: return false;
    }
}

// XOR obfuscation: the password's verifier follows the (unused) key.
void Deobfuscate(std::string& stream, RecordReader& rr, Bytes& b, std::u16string_view pw) {
    std::string password;
    for (char16_t c : pw) password += char(c & 0xFF ? c & 0xFF : c >> 8);  // one byte a character
    b.U16();  // the key, which the password gives again
    const XorCipher cipher(b.U16(), password);
    Record r;
    while (rr.Next(r)) {
        if (Unencrypted(r.type)) continue;
        const size_t skip = r.type == rt::BoundSheet ? std::min<size_t>(4, r.data.size()) : 0;
        const size_t pos = r.offset + 4 + skip;
        cipher.Apply(stream.data() + pos, pos, r.data.size() - skip, r.data.size());
    }
}

}  // namespace

void DecryptWorkbookStream(std::string& stream, size_t filePassOffset, bool biff8, std::u16string_view pw) {
    RecordReader rr(stream, filePassOffset);
    Record fp;
    if (!rr.Next(fp) || fp.type != rt::FilePass) throw PasswordError();
    Bytes b(fp.data);
    std::unique_ptr<KeyMaker> keys;
    try {
        const uint16_t method = biff8 ? b.U16() : 0;  // Excel 5 knows XOR only, and says nothing
        if (method == 0) return Deobfuscate(stream, rr, b, pw);
        if (method != 1) throw PasswordError();
        const uint16_t major = b.U16();
        b.U16();  // minor
        if (major == 1) {
            std::string salt(b.Take(16)), verifier(b.Take(16)), hash(b.Take(16));
            keys = std::make_unique<Rc4Keys>(salt, pw);
            if (!Verify(*keys, verifier, hash, false)) throw PasswordError();
        } else if (major >= 2 && major <= 4) {
            b.U32();  // flags
            const uint32_t headerSize = b.U32();
            Bytes header(b.Take(headerSize));
            header.U32();  // flags
            header.U32();  // size extra
            const uint32_t algId = header.U32();
            header.U32();  // hash algorithm
            uint32_t keyBits = header.U32();
            if (algId != 0 && algId != 0x6801) throw PasswordError();  // only RC4 here
            if (keyBits == 0) keyBits = 40;
            if (keyBits < 40 || keyBits > 128 || keyBits % 8) throw PasswordError();
            const uint32_t saltSize = b.U32();
            if (saltSize != 16) throw PasswordError();
            std::string salt(b.Take(16)), verifier(b.Take(16));
            const uint32_t hashSize = b.U32();
            if (hashSize != 20) throw PasswordError();
            std::string hash(b.Take(20));
            keys = std::make_unique<CryptoApiKeys>(salt, pw, keyBits);
            if (!Verify(*keys, verifier, hash, true)) throw PasswordError();
        } else {
            throw PasswordError();
        }
    } catch (const PasswordError&) {
        throw;
    } catch (const Error&) {
        throw PasswordError();  // a FILEPASS too short to hold its method
    }

    Cipher c(*keys);
    Record r;
    while (rr.Next(r)) {
        if (Unencrypted(r.type)) continue;
        size_t skip = r.type == rt::BoundSheet ? std::min<size_t>(4, r.data.size()) : 0;
        const size_t pos = r.offset + 4 + skip;
        c.Apply(stream.data() + pos, pos, r.data.size() - skip);
    }
}

}  // namespace sheets::xls
