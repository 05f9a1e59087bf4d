#include "project/LineList.h"

#include <stdexcept>

#include "platform/Files.h"
#include "platform/Text.h"
#include "text/Utf16.h"
#include "text/Utf8.h"

namespace project {

namespace {

// Project and list files are a few kilobytes; anything beyond this is not
// one of ours and is refused instead of filling memory.
constexpr size_t kMaxListFileBytes = 64u << 20;

// The name of a line is the text before its first '='; a line without one
// has no name.
bool NameMatches(const std::string& line, const std::string& name) {
    const size_t eq = line.find('=');
    return eq != std::string::npos && platform::SameText(std::string_view(line).substr(0, eq), name);
}

std::string DecodeFileText(const std::string& bytes) {
    auto starts = [&](std::string_view mark) { return bytes.compare(0, mark.size(), mark) == 0; };
    if (starts("\xFF\xFE")) return text::Utf16BytesToUtf8(std::string_view(bytes).substr(2), false);
    if (starts("\xFE\xFF")) return text::Utf16BytesToUtf8(std::string_view(bytes).substr(2), true);
    if (starts("\xEF\xBB\xBF")) return text::SanitizeUtf8(std::string_view(bytes).substr(3));
    // Files made on Windows carry the ANSI code page without a mark.
    if (text::IsValidUtf8(bytes)) return bytes;
    return platform::Windows1252ToUtf8(bytes);
}

}  // namespace

std::string TLineList::Value(const std::string& name) const {
    for (const auto& line : lines_)
        if (NameMatches(line, name)) return line.substr(line.find('=') + 1);
    return {};
}

void TLineList::SetValue(const std::string& name, const std::string& value) {
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (!NameMatches(lines_[i], name)) continue;
        if (value.empty()) lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
        else lines_[i] = name + "=" + value;
        return;
    }
    if (!value.empty()) lines_.push_back(name + "=" + value);
}

std::string TLineList::Text() const {
    std::string out;
    for (const auto& line : lines_) {
        out += line;
        out += "\r\n";
    }
    return out;
}

void TLineList::SetText(const std::string& text) {
    lines_.clear();
    const size_t end = std::min(text.find('\0'), text.size());
    size_t pos = 0;
    while (pos < end) {
        size_t stop = pos;
        while (stop < end && text[stop] != '\r' && text[stop] != '\n') ++stop;
        lines_.push_back(text.substr(pos, stop - pos));
        if (stop < end && text[stop] == '\r' && stop + 1 < end && text[stop + 1] == '\n') ++stop;
        pos = stop + 1;
    }
}

int TLineList::IndexOf(const std::string& line) const {
    for (size_t i = 0; i < lines_.size(); ++i)
        if (platform::SameText(lines_[i], line)) return static_cast<int>(i);
    return -1;
}

void TLineList::Insert(size_t pos, const std::string& line) {
    if (pos > lines_.size()) pos = lines_.size();
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(pos), line);
}

void TLineList::Add(const std::string& line) { lines_.push_back(line); }

void TLineList::LoadFromFile(const std::string& path) {
    LoadFromBytes(platform::ReadWholeFile(path, kMaxListFileBytes));
}

void TLineList::LoadFromBytes(const std::string& bytes) { SetText(DecodeFileText(bytes)); }

void TLineList::SaveToFile(const std::string& path, platform::TDurability durability) const {
    platform::AtomicWriteFile(path, Text(), durability);
}

}  // namespace project
