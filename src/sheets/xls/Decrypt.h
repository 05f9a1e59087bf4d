#pragma once
// Workbook streams encrypted with RC4 or obfuscated with XOR, readable when
// they use the password that Excel applies when the author set none
// ("VelvetSweatshop").
#include <cstddef>
#include <string>
#include <string_view>

namespace sheets::xls {

// Decrypts, in place, every record after the FILEPASS record that begins at
// `filePassOffset` (of an Excel 97 or later stream when `biff8`, whose
// FILEPASS names its method; Excel 5's know XOR only). Throws
// sheets::PasswordError when the method is unknown or the password does not
// verify.
void DecryptWorkbookStream(std::string& stream, size_t filePassOffset, bool biff8,
                           std::u16string_view password = u"VelvetSweatshop");

}  // namespace sheets::xls
