#include "sheets/xls/XorObfuscation.h"

#include "sheets/Errors.h"

namespace sheets::xls {
namespace {

constexpr uint8_t kPad[15] = {0xBB, 0xFF, 0xFF, 0xBA, 0xFF, 0xFF, 0xB9, 0x80, 0x00, 0xBE, 0x0F, 0x00, 0xBF, 0x0F, 0x00};
constexpr uint16_t kInitialCode[15] = {0xE1F0, 0x1D0F, 0xCC9C, 0x84C0, 0x110C, 0x0E10, 0xF1CE, 0x313E,
                                       0x1872, 0xE139, 0xD40F, 0x84F9, 0x280C, 0xA96A, 0x4EC3};
constexpr uint16_t kXorMatrix[105] = {
    0xAEFC, 0x4DD9, 0x9BB2, 0x2745, 0x4E8A, 0x9D14, 0x2A09, 0x7B61, 0xF6C2, 0xFDA5, 0xEB6B, 0xC6F7, 0x9DCF, 0x2BBF,
    0x4563, 0x8AC6, 0x05AD, 0x0B5A, 0x16B4, 0x2D68, 0x5AD0, 0x0375, 0x06EA, 0x0DD4, 0x1BA8, 0x3750, 0x6EA0, 0xDD40,
    0xD849, 0xA0B3, 0x5147, 0xA28E, 0x553D, 0xAA7A, 0x44D5, 0x6F45, 0xDE8A, 0xAD35, 0x4A4B, 0x9496, 0x390D, 0x721A,
    0xEB23, 0xC667, 0x9CEF, 0x29FF, 0x53FE, 0xA7FC, 0x5FD9, 0x47D3, 0x8FA6, 0x0F6D, 0x1EDA, 0x3DB4, 0x7B68, 0xF6D0,
    0xB861, 0x60E3, 0xC1C6, 0x93AD, 0x377B, 0x6EF6, 0xDDEC, 0x45A0, 0x8B40, 0x06A1, 0x0D42, 0x1A84, 0x3508, 0x6A10,
    0xAA51, 0x4483, 0x8906, 0x022D, 0x045A, 0x08B4, 0x1168, 0x76B4, 0xED68, 0xCAF1, 0x85C3, 0x1BA7, 0x374E, 0x6E9C,
    0x3730, 0x6E60, 0xDCC0, 0xA9A1, 0x4363, 0x86C6, 0x1DAD, 0x3331, 0x6662, 0xCCC4, 0x89A9, 0x0373, 0x06E6, 0x0DCC,
    0x1021, 0x2042, 0x4084, 0x8108, 0x1231, 0x2462, 0x48C4};

uint8_t RotateRight(uint8_t b, int n) { return uint8_t((b >> n) | (b << (8 - n))); }

}  // namespace

uint16_t XorVerifier(std::string_view password) {
    // Over the length and then the characters, last to first: shift left
    // within 15 bits, carrying the top bit round, then XOR the byte.
    uint16_t v = 0;
    auto step = [&](uint8_t b) { v = uint16_t((((v >> 14) & 1) | ((v << 1) & 0x7FFF)) ^ b); };
    for (size_t i = password.size(); i-- > 0;) step(uint8_t(password[i]));
    step(uint8_t(password.size()));
    return uint16_t(v ^ 0xCE4B);
}

uint16_t XorKey(std::string_view password) {
    if (password.empty() || password.size() > 15) return 0;
    uint16_t key = kInitialCode[password.size() - 1];
    size_t element = 0x68;
    for (size_t i = password.size(); i-- > 0;) {
        uint8_t c = uint8_t(password[i]);
        for (int bit = 0; bit < 7; ++bit, c = uint8_t(c << 1), --element)
            if (c & 0x40) key ^= kXorMatrix[element];
    }
    return key;
}

XorCipher::XorCipher(uint16_t verifier, std::string_view password) {
    if (password.empty() || password.size() > 15 || XorVerifier(password) != verifier) throw PasswordError();
    const uint16_t key = XorKey(password);
    // The password, then the pad; each byte XORed with the key's low byte
    // (even places) or high byte (odd places) and rotated right by one.
    for (size_t p = 0; p < 16; ++p) {
        const uint8_t source = p < password.size() ? uint8_t(password[p]) : kPad[p - password.size()];
        const uint8_t half = p % 2 == 0 ? uint8_t(key) : uint8_t(key >> 8);
        array_[p] = RotateRight(uint8_t(source ^ half), 1);
    }
}

void XorCipher::Apply(char* data, size_t pos, size_t len, size_t recordSize) const {
    for (size_t i = 0; i < len; ++i) {
        const uint8_t b = uint8_t(data[i]) ^ array_[(pos + i + recordSize) % 16];
        data[i] = char(RotateRight(b, 5));
    }
}

}  // namespace sheets::xls
