#include "info/ErrorReport.h"

namespace info {

namespace {

void AppendConsole(std::string& text, const std::string& m) {
    bool quote = false;
    for (unsigned char c : m)
        if (c <= ' ' || c == ',' || c == '"') quote = true;
    if (!quote) {
        text += m;
        return;
    }
    text += '"';
    for (char c : m) {
        if (c == '"') text += '"';
        text += c;
    }
    text += '"';
}

void AppendWindow(std::string& text, const std::string& m) {
    if (m.find_first_of(" ,\"'") != std::string::npos) text += "\"" + m + "\"";
    else text += m;
}

}  // namespace

std::string ErrorReportAction(const std::vector<std::string>& errors, TReportQuoting quoting) {
    std::string text;
    for (size_t i = 0; i < errors.size(); ++i) {
        if (i) text += ',';
        if (quoting == TReportQuoting::Console) AppendConsole(text, errors[i]);
        else AppendWindow(text, errors[i]);
    }
    std::string escaped = "err&e=";
    for (char c : text) {
        if (c == '?') escaped += "%3F";
        else escaped += c;
    }
    return escaped;
}

}  // namespace info
