// The decryption of encrypted packages: an EncryptionInfo stream (Standard
// or Agile, chosen by the first byte) and an EncryptedPackage stream, split
// where the second byte says, tried with the default password. Agile
// descriptors that ask for more hash rounds than a fuzzing run can spend are
// passed over: the reader's own limit on them is tested elsewhere.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sheets/Errors.h"
#include "sheets/crypto/EncryptedPackage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const bool agile = data[0] & 1;
    std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);
    const size_t cut = rest.size() * data[1] / 255;
    const std::string_view info = rest.substr(0, cut), package = rest.substr(cut);
    if (const size_t at = info.find("spinCount=\""); at != std::string_view::npos) {
        if (std::strtoull(std::string(info.substr(at + 11, 12)).c_str(), nullptr, 10) > 20000) return 0;
    }
    try {
        sheets::crypto::StatedPackageSize(package);
        if (agile) sheets::crypto::DecryptAgile(info, package, sheets::kDefaultPassword);
        else sheets::crypto::DecryptStandard(info, package, sheets::kDefaultPassword);
    } catch (const sheets::Error&) {}
    return 0;
}
