#pragma once
#include <string>
#include <vector>

#include "platform/Files.h"

namespace project {

// An ordered list of text lines with name=value lookup: the name is the text
// before the first '=', nothing is trimmed, names compare ignoring case.
// Not locked: one thread at a time (owners lock around it).
class TLineList {
public:
    std::string Value(const std::string& name) const;
    // A non-empty value replaces the first matching line or is appended;
    // an empty value deletes the first matching line.
    void SetValue(const std::string& name, const std::string& value);

    std::string Text() const;  // every line followed by CR LF
    void SetText(const std::string& text);  // CR, LF, CR LF end a line; NUL ends the text

    int IndexOf(const std::string& line) const;  // ignoring case; -1 when absent
    void Insert(size_t pos, const std::string& line);
    void Add(const std::string& line);
    void Clear() { lines_.clear(); }
    size_t Count() const { return lines_.size(); }
    const std::string& operator[](size_t i) const { return lines_[i]; }
    const std::vector<std::string>& Lines() const { return lines_; }

    // Byte-order mark detection on reading (UTF-16 LE/BE, UTF-8; without a
    // mark: UTF-8 when valid, else Windows-1252). Throws when unreadable and
    // leaves the list unchanged.
    void LoadFromFile(const std::string& path);
    // The same rules over bytes already in memory.
    void LoadFromBytes(const std::string& bytes);
    // UTF-8 without a mark, written atomically. Throws on failure.
    void SaveToFile(const std::string& path, platform::TDurability durability = platform::TDurability::Flushed) const;

private:
    std::vector<std::string> lines_;
};

}  // namespace project
