#pragma once
#include <stdexcept>
#include <string>

#include "automation/Variant.h"

namespace automation {

// A failed late-bound call or object creation; what() is the text that ends
// up as a file's result.
class OleError : public std::runtime_error {
public:
    OleError(const std::string& message, HResult code) : std::runtime_error(message), code_(code) {}
    HResult Code() const { return code_; }

private:
    HResult code_;
};

// The operating system's message for a status code; empty when it has none.
std::string SystemErrorText(HResult code);
// A server's description without trailing blanks, control characters and
// full stops.
std::string TrimDescription(const std::string& description);
// The text for a call that failed with only a status code.
std::string StatusText(HResult code);

std::string UnknownMemberText(const std::string& name);
std::string NotAnObjectText();
std::string CreationErrorText(HResult code, const std::string& progId);

}  // namespace automation
