#pragma once
// Workbook streams encrypted with RC4, readable when they use the password
// that Excel applies when the author set none ("VelvetSweatshop").
#include <cstddef>
#include <string>
#include <string_view>

namespace sheets::xls {

// Decrypts, in place, every record after the FILEPASS record that begins at
// `filePassOffset`. Throws sheets::PasswordError when the method is XOR
// obfuscation, unknown, or the default password does not verify.
void DecryptWorkbookStream(std::string& stream, size_t filePassOffset,
                           std::u16string_view password = u"VelvetSweatshop");

}  // namespace sheets::xls
