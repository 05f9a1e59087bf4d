#include "sheets/xlsx/EventBatch.h"

namespace sheets::xlsx {

uint32_t EventBatch::Keep(std::string_view s) {
    const auto at = uint32_t(chars_.size());
    chars_.append(s);
    chars_.push_back('\0');
    return at;
}

void EventBatch::Start(std::string_view name, Attrs attrs) {
    Event e{Kind::Start, Keep(name), uint32_t(name.size()), uint32_t(attrs_.size()), 0};
    for (Attrs a = attrs; a && *a; a += 2) {
        attrs_.push_back(Keep(a[0]));
        attrs_.push_back(Keep(a[1]));
        ++e.attrCount;
    }
    events_.push_back(e);
}

void EventBatch::End(std::string_view name) {
    events_.push_back(Event{Kind::End, Keep(name), uint32_t(name.size()), 0, 0});
}

void EventBatch::Text(std::string_view text) {
    events_.push_back(Event{Kind::Text, Keep(text), uint32_t(text.size()), 0, 0});
}

void EventBatch::Replay(SaxHandler& handler) const {
    const char* base = chars_.data();
    std::vector<const char*> attrs;
    for (const Event& e : events_) {
        if (handler.finished) return;
        const std::string_view s(base + e.at, e.size);
        switch (e.kind) {
        case Kind::Start:
            attrs.clear();
            for (uint32_t i = 0; i < e.attrCount * 2; ++i) attrs.push_back(base + attrs_[e.firstAttr + i]);
            attrs.push_back(nullptr);
            handler.Start(s, attrs.data());
            break;
        case Kind::End: handler.End(s); break;
        case Kind::Text:
            if (handler.wantText) handler.Text(s);
            break;
        }
    }
}

}  // namespace sheets::xlsx
