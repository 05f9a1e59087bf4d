#include "automation/OleError.h"

#include <cstdio>

namespace automation {

std::string SystemErrorText(HResult code) {
    // The status codes a late-bound call or a creation can meet, with the
    // wording the platform gives them.
    switch (static_cast<uint32_t>(code)) {
    case 0x80004005u: return "Unspecified error";
    case 0x80070057u: return "The parameter is incorrect";
    case 0x8007000Eu: return "Not enough memory resources are available to complete this operation";
    case 0x80004002u: return "No such interface supported";
    case 0x80020003u: return "Member not found";
    case 0x80020004u: return "Parameter not found";
    case 0x80020005u: return "Type mismatch";
    case 0x80020006u: return "Unknown name";
    case 0x80020009u: return "Exception occurred";
    case 0x8002000Bu: return "Invalid index";
    case 0x8002000Eu: return "Invalid number of parameters";
    case 0x800401F3u: return "Invalid class string";
    case 0x80040154u: return "Class not registered";
    default: return {};
    }
}

std::string TrimDescription(const std::string& description) {
    size_t n = description.size();
    while (n > 0) {
        unsigned char c = static_cast<unsigned char>(description[n - 1]);
        if (c <= ' ' || c == '.' || c == 0x7F) --n;
        else break;
    }
    return description.substr(0, n);
}

std::string StatusText(HResult code) {
    std::string text = SystemErrorText(code);
    if (!text.empty()) return text;
    char buf[32];
    std::snprintf(buf, sizeof buf, "OLE error %.8x", static_cast<unsigned>(code));
    return buf;
}

std::string UnknownMemberText(const std::string& name) {
    return "Method '" + name + "' not supported by automation object";
}

std::string NotAnObjectText() { return "Variant does not reference an automation object"; }

std::string CreationErrorText(HResult code, const std::string& progId) {
    return StatusText(code) + ", ProgID: \"" + progId + "\"";
}

}  // namespace automation
