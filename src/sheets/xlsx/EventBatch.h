#pragma once
// Parser events kept for a handler on another thread: the elements, texts
// and attributes a SaxHandler would have been given, in their order.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sheets/xlsx/Xml.h"

namespace sheets::xlsx {

class EventBatch {
public:
    void Start(std::string_view name, Attrs attrs);
    void End(std::string_view name);
    void Text(std::string_view text);

    // Roughly the memory the events hold.
    size_t Bytes() const { return chars_.size() + events_.size() * sizeof(Event) + attrs_.size() * sizeof(uint32_t); }
    bool Empty() const { return events_.empty(); }
    // Empties it, keeping its memory for the next events.
    void Clear() {
        chars_.clear();
        events_.clear();
        attrs_.clear();
    }

    // Gives the events to `handler` as the parser would have: texts only
    // while it wants them, nothing once it has finished.
    void Replay(SaxHandler& handler) const;

private:
    enum class Kind : uint8_t { Start, End, Text };
    struct Event {
        Kind kind;
        uint32_t at, size;  // the name or text, in chars_
        uint32_t firstAttr, attrCount;  // Start: names and values, in attrs_
    };
    uint32_t Keep(std::string_view s);

    std::string chars_;  // every name and value followed by a zero, texts as they are
    std::vector<Event> events_;
    std::vector<uint32_t> attrs_;  // name, value, name, value ...: offsets into chars_
};

}  // namespace sheets::xlsx
