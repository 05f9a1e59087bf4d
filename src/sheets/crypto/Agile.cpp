// ECMA-376 Agile encryption: an XML descriptor, AES in CBC mode, keys made
// from the hash it names. The package's key is itself encrypted with a key
// made from the password; a verifier tells whether the password is right.
#include <nettle/base64.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <pugixml.hpp>

#include "sheets/Errors.h"
#include "sheets/crypto/Crypto.h"
#include "sheets/crypto/EncryptedPackage.h"

namespace sheets::crypto {
namespace {

// The most rounds the format allows: a descriptor that asks for more is
// refused rather than spent time on.
constexpr uint64_t kMaxSpins = 10000000;
constexpr size_t kSegment = 4096;
constexpr size_t kBlock = 16;
constexpr char kVerifierInputKey[] = "\xFE\xA7\xD2\x76\x3B\x4B\x9E\x79";
constexpr char kVerifierValueKey[] = "\xD7\xAA\x0F\x6D\x30\x61\x34\x4E";
constexpr char kPackageKeyKey[] = "\x14\x6E\x0B\xE7\xAB\xAC\xD0\xD6";

// What a keyData or encryptedKey element says.
struct CipherParams {
    Hash hash = Hash::Sha1;
    size_t keyBytes = 16;
    std::string salt;
};

std::string_view Local(const char* name) {
    std::string_view n(name);
    const size_t colon = n.rfind(':');
    return colon == std::string_view::npos ? n : n.substr(colon + 1);
}

const char* Attr(pugi::xml_node n, std::string_view name) {
    for (pugi::xml_attribute a : n.attributes())
        if (Local(a.name()) == name) return a.value();
    return "";
}

pugi::xml_node Child(pugi::xml_node n, std::string_view name) {
    for (pugi::xml_node c : n.children())
        if (Local(c.name()) == name) return c;
    return {};
}

std::string Base64(const char* text) {
    const size_t n = std::strlen(text);
    std::string out(BASE64_DECODE_LENGTH(n), '\0');
    base64_decode_ctx ctx;
    base64_decode_init(&ctx);
    size_t produced = out.size();
    if (!base64_decode_update(&ctx, &produced, reinterpret_cast<uint8_t*>(out.data()), n,
                              reinterpret_cast<const char*>(text)) ||
        !base64_decode_final(&ctx))
        throw PasswordError();
    out.resize(produced);
    return out;
}

// The algorithms of one element; anything but AES in CBC mode with a SHA
// hash is a kind of encryption that is not read.
CipherParams ParamsOf(pugi::xml_node n) {
    CipherParams p;
    const std::string_view hash = Attr(n, "hashAlgorithm");
    if (hash == "SHA1") p.hash = Hash::Sha1;
    else if (hash == "SHA256") p.hash = Hash::Sha256;
    else if (hash == "SHA384") p.hash = Hash::Sha384;
    else if (hash == "SHA512") p.hash = Hash::Sha512;
    else throw PasswordError();
    if (std::string_view(Attr(n, "cipherAlgorithm")) != "AES" ||
        std::string_view(Attr(n, "cipherChaining")) != "ChainingModeCBC")
        throw PasswordError();
    const long bits = std::strtol(Attr(n, "keyBits"), nullptr, 10);
    if (bits != 128 && bits != 192 && bits != 256) throw PasswordError();
    p.keyBytes = size_t(bits) / 8;
    p.salt = Base64(Attr(n, "saltValue"));
    if (p.salt.size() < kBlock) throw PasswordError();
    return p;
}

// A hash cut or padded with 0x36 to `size` bytes, as keys and vectors are.
std::string Fit(std::string s, size_t size) {
    s.resize(size, '\x36');
    return s;
}

std::string Decrypt(std::string_view key, std::string_view iv, std::string data) {
    AesDecryptor(key).Cbc(data, iv);
    return data;
}

}  // namespace

std::string DecryptAgile(std::string_view info, std::string_view package, std::u16string_view password) {
    if (info.size() < 4) throw PasswordError();
    pugi::xml_document doc;
    // The descriptor follows four reserved bytes; no document type is parsed.
    if (!doc.load_buffer(info.data() + 4, info.size() - 4, pugi::parse_default, pugi::encoding_utf8))
        throw Error(ErrorKind::Damaged, "The workbook is damaged (its encryption descriptor cannot be read)");
    const pugi::xml_node root = Child(doc, "encryption");
    const CipherParams data = ParamsOf(Child(root, "keyData"));
    pugi::xml_node encryptor;
    for (pugi::xml_node e : Child(root, "keyEncryptors").children())
        if (std::string_view(Attr(e, "uri")).ends_with("keyEncryptor/password")) encryptor = Child(e, "encryptedKey");
    if (!encryptor) throw PasswordError();
    const CipherParams pw = ParamsOf(encryptor);
    const uint64_t spins = std::strtoull(Attr(encryptor, "spinCount"), nullptr, 10);
    if (spins > kMaxSpins) throw PasswordError();

    const std::string h = SpunHash(pw.hash, pw.salt, Utf16Bytes(password), uint32_t(spins));
    auto keyFor = [&](std::string_view block) { return Fit(Digest(pw.hash, h, block), pw.keyBytes); };
    const std::string iv = pw.salt.substr(0, kBlock);
    const std::string input = Decrypt(keyFor(std::string_view(kVerifierInputKey, 8)), iv,
                                      Base64(Attr(encryptor, "encryptedVerifierHashInput")));
    const std::string value = Decrypt(keyFor(std::string_view(kVerifierValueKey, 8)), iv,
                                      Base64(Attr(encryptor, "encryptedVerifierHashValue")));
    const std::string want = Digest(pw.hash, input.substr(0, pw.salt.size()));
    if (value.size() < want.size() || std::memcmp(value.data(), want.data(), want.size()) != 0) throw PasswordError();
    std::string secret =
        Decrypt(keyFor(std::string_view(kPackageKeyKey, 8)), iv, Base64(Attr(encryptor, "encryptedKeyValue")));
    if (secret.size() < data.keyBytes) throw PasswordError();
    secret.resize(data.keyBytes);

    // The package in segments of 4096 bytes, each with its own vector.
    const size_t size = StatedPackageSize(package);
    const AesDecryptor aes(secret);
    std::string out;
    out.reserve(size + kSegment);
    for (size_t at = 8, segment = 0; out.size() < size && at < package.size(); at += kSegment, ++segment) {
        std::string piece(package.substr(at, kSegment));
        aes.Cbc(piece, Fit(Digest(data.hash, data.salt, Le32(uint32_t(segment))), kBlock));
        out += piece;
    }
    out.resize(std::min(out.size(), size));
    return out;
}

}  // namespace sheets::crypto
