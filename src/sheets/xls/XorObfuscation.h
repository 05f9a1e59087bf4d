#pragma once
// The XOR obfuscation of Excel 5 to 2003 workbooks (method 1): a 16-byte
// array made from the password and a 16-bit key, applied byte by byte.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace sheets::xls {

// The password verifier and key the format derives from a password of at
// most 15 bytes.
uint16_t XorVerifier(std::string_view password);
uint16_t XorKey(std::string_view password);

class XorCipher {
public:
    // Throws sheets::PasswordError when the password's verifier is not
    // `verifier`. The array comes from the password alone (the key the file
    // stores is the same one, derived from it).
    XorCipher(uint16_t verifier, std::string_view password);
    // Restores `len` bytes at stream offset `pos` of a record whose data is
    // `recordSize` bytes long: the array's position runs with the stream
    // offset, shifted by the record's size.
    void Apply(char* data, size_t pos, size_t len, size_t recordSize) const;

private:
    std::array<uint8_t, 16> array_{};
};

}  // namespace sheets::xls
