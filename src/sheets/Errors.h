#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

namespace sheets {

// What kind of failure an Error is, for callers and tests that act on it;
// the message says the same (and more) for people.
enum class ErrorKind : uint8_t {
    NotAWorkbook,  // no workbook format at all, or a container without a workbook
    Damaged,  // the file breaks the rules of its format
    Unsupported,  // a workbook format or a feature of one that is not read
    Password,  // encrypted, and the password is not known
    Unsafe,  // refused as a danger to the reader (document types, entities, zip bombs)
    TooLarge,  // over a limit on size, cells, text or pictures
    OutOfMemory,  // memory ran out below those limits
    FileAccess,  // a file cannot be opened, read or written
    NoSuchSheet,  // the sheet asked for does not exist
};

// A workbook that cannot be read: damaged, unsupported, over a limit; or a
// page that cannot be written. The message is short and readable; it becomes
// the file's result text.
class Error : public std::runtime_error {
public:
    Error(ErrorKind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
    ErrorKind Kind() const { return kind_; }

private:
    ErrorKind kind_;
};

// The workbook is encrypted and its password is unknown.
class PasswordError : public Error {
public:
    PasswordError() : Error(ErrorKind::Password, "The workbook is password-protected") {}
};

// The target of a save exists and nobody may write it. A file without write
// permission is left alone even when its folder would let us replace it: the
// user marked it so on purpose.
class ReadOnlyTargetError : public Error {
public:
    explicit ReadOnlyTargetError(const std::string& name)
        : Error(ErrorKind::FileAccess, "Cannot replace the read-only file '" + name + "'") {}
};

}  // namespace sheets
