#pragma once
#include <stdexcept>
#include <string>

namespace sheets {

// A workbook that cannot be read: damaged, unsupported, over a limit. The
// message is short and readable; it becomes the file's result text.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The workbook is encrypted and its password is unknown.
class PasswordError : public Error {
public:
    PasswordError() : Error("The workbook is password-protected") {}
};

// The target of a save exists and nobody may write it. (Treated as
// read-only, as the platform the product comes from treats such a file,
// even for a user who could replace it anyway.)
class ReadOnlyTargetError : public Error {
public:
    explicit ReadOnlyTargetError(const std::string& name) : Error("Cannot replace the read-only file '" + name + "'") {}
};

}  // namespace sheets
