#include "sheets/xlsx/Package.h"

#include <array>
#include <optional>

#include "sheets/xlsx/ReadAhead.h"
#include "sheets/xlsx/RecordStream.h"
#include "sheets/xlsx/Xml.h"

namespace sheets::xlsx {

namespace {

std::string PercentDecode(std::string_view s) {
    if (s.find('%') == std::string_view::npos) return std::string(s);
    std::string out;
    out.reserve(s.size());
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && hex(s[i + 1]) >= 0 && hex(s[i + 2]) >= 0) {
            out.push_back(char(hex(s[i + 1]) * 16 + hex(s[i + 2])));
            i += 2;
        } else {
            out.push_back(s[i]);
        }
    }
    return out;
}

class RelsHandler final : public SaxHandler {
public:
    RelsHandler(std::string_view source, std::vector<Relationship>& out) : source_(source), out_(out) {}
    void Start(std::string_view name, Attrs a) override {
        if (name != "Relationship") return;
        // One pass over the attributes (a package has thousands of these);
        // the first of a name wins, as with Attr.
        const char *id = nullptr, *type = nullptr, *mode = nullptr, *target = nullptr;
        for (Attrs p = a; p && *p; p += 2) {
            const std::string_view local = LocalName(*p);
            const char** slot = local == "Id"           ? &id
                                : local == "Type"       ? &type
                                : local == "TargetMode" ? &mode
                                : local == "Target"     ? &target
                                                        : nullptr;
            if (slot && !*slot) *slot = p[1];
        }
        Relationship r;
        if (id) r.id = id;
        const std::string_view t = type ? type : "";
        r.type = t.substr(t.rfind('/') + 1);
        r.external = mode && std::string_view(mode) == "External";
        const std::string_view to = target ? target : "";
        r.target = r.external ? std::string(to) : ResolvePartName(source_, to);
        out_.push_back(std::move(r));
    }
    void End(std::string_view) override {}

private:
    std::string_view source_;
    std::vector<Relationship>& out_;
};

class TypesHandler final : public SaxHandler {
public:
    TypesHandler(std::vector<std::pair<std::string, std::string>>& o,
                 std::vector<std::pair<std::string, std::string>>& d)
        : overrides_(o), defaults_(d) {}
    void Start(std::string_view name, Attrs a) override {
        if (name == "Override")
            overrides_.emplace_back(NormalizePartName(AttrString(a, "PartName")), AttrString(a, "ContentType"));
        else if (name == "Default")
            defaults_.emplace_back(NormalizePartName(AttrString(a, "Extension")), AttrString(a, "ContentType"));
    }
    void End(std::string_view) override {}

private:
    std::vector<std::pair<std::string, std::string>>& overrides_;
    std::vector<std::pair<std::string, std::string>>& defaults_;
};

}  // namespace

std::string ResolvePartName(std::string_view sourcePart, std::string_view target) {
    std::string t = PercentDecode(target);
    for (char& c : t)
        if (c == '\\') c = '/';
    // Fragments and queries are not part names.
    size_t cut = t.find_first_of("#?");
    if (cut != std::string::npos) t.resize(cut);
    // Segments are added to the result as they come: ".." takes back the
    // last one, "." and empty ones are dropped.
    std::string out;
    out.reserve(sourcePart.size() + t.size());
    auto walk = [&out](std::string_view path) {
        while (!path.empty()) {
            const size_t s = path.find('/');
            const std::string_view seg = path.substr(0, s);
            if (seg == "..") {
                const size_t last = out.rfind('/');
                out.resize(last == std::string::npos ? 0 : last);
            } else if (!seg.empty() && seg != ".") {
                if (!out.empty()) out.push_back('/');
                out.append(seg);
            }
            if (s == std::string_view::npos) break;
            path.remove_prefix(s + 1);
        }
    };
    if (t.empty() || t.front() != '/') {
        const size_t slash = sourcePart.rfind('/');
        if (slash != std::string_view::npos) walk(sourcePart.substr(0, slash));
    }
    walk(t);
    return out;
}

std::vector<Relationship> Package::Rels(std::string_view part) const {
    std::string relsName;
    size_t slash = part.rfind('/');
    if (part.empty()) relsName = "_rels/.rels";
    else if (slash == std::string_view::npos) relsName = "_rels/" + std::string(part) + ".rels";
    else relsName = std::string(part.substr(0, slash + 1)) + "_rels/" + std::string(part.substr(slash + 1)) + ".rels";
    std::vector<Relationship> out;
    if (!zip_.Has(relsName)) return out;
    // The relationship parts of workbooks written by one program repeat
    // from workbook to workbook: the last few read on this thread are
    // remembered by their stored bytes and the part they belong to.
    struct Remembered {
        std::string key;
        std::vector<Relationship> rels;
    };
    thread_local std::array<Remembered, 8> remembered;
    thread_local size_t oldest = 0;
    std::string key = zip_.StoredBytes(relsName);
    if (!key.empty()) {
        key.append(1, '\0').append(part);
        for (const Remembered& r : remembered)
            if (r.key == key) return r.rels;
    }
    RelsHandler h(part, out);
    ParseXml(zip_.Read(relsName), h, relsName);
    if (!key.empty()) {
        remembered[oldest] = Remembered{std::move(key), out};
        oldest = (oldest + 1) % remembered.size();
    }
    return out;
}

void Package::LoadContentTypes() const {
    if (typesLoaded_) return;
    typesLoaded_ = true;
    if (!zip_.Has("[Content_Types].xml")) return;
    TypesHandler h(overrides_, defaults_);
    ParseXml(zip_.Read("[Content_Types].xml"), h, "[Content_Types].xml");
    for (auto& [p, t] : overrides_) overrideIndex_.emplace(p, t);
}

std::string Package::ContentType(std::string_view part) const {
    LoadContentTypes();
    std::string norm = NormalizePartName(part);
    if (auto it = overrideIndex_.find(norm); it != overrideIndex_.end()) return it->second;
    size_t dot = norm.rfind('.');
    if (dot != std::string::npos) {
        std::string ext = norm.substr(dot + 1);
        for (auto& [e, t] : defaults_)
            if (e == ext) return t;
    }
    return {};
}

std::string Package::ImageType(std::string_view part) const {
    std::string t = ContentType(part);
    if (!t.empty()) return t;
    const std::string lower = NormalizePartName(part);
    if (lower.ends_with(".png")) return "image/png";
    if (lower.ends_with(".jpg") || lower.ends_with(".jpeg")) return "image/jpeg";
    if (lower.ends_with(".gif")) return "image/gif";
    if (lower.ends_with(".bmp")) return "image/bmp";
    if (lower.ends_with(".svg")) return "image/svg+xml";
    return "application/octet-stream";
}

void Package::Parse(std::string_view part, SaxHandler& handler) const {
    // Parts that are parsed whole never pay for a second thread.
    if (zip_.StatedSize(part) > kWholeDocumentBytes) return ParseAhead(zip_, part, handler);
    StreamPart(zip_, part, handler);
}

void StreamPart(const ZipPackage& zip, std::string_view part, SaxHandler& handler, size_t batchBytes) {
    // Held whole while it is small; streamed once it is not.
    std::string head;
    std::optional<RecordStream> stream;
    zip.Stream(part, [&](const char* p, size_t n) {
        if (!stream) {
            if (head.size() + n <= kWholeDocumentBytes) {
                head.append(p, n);
                return true;
            }
            RecordStream::Limits limits;
            limits.batchBytes = batchBytes;
            stream.emplace(handler, std::string(part), handler.recordName, limits);
            stream->Feed(head.data(), head.size());
            std::string().swap(head);
        }
        stream->Feed(p, n);
        return !handler.finished;
    });
    if (stream) stream->Finish();
    else ParseXml(head, handler, std::string(part));
}

std::vector<std::string> Package::PartsOfType(std::string_view suffix) const {
    LoadContentTypes();
    std::vector<std::string> out;
    for (auto& [p, t] : overrides_)
        if (t.size() >= suffix.size() && std::string_view(t).ends_with(suffix) && zip_.Has(p)) out.push_back(p);
    return out;
}

const Relationship* FindRel(const std::vector<Relationship>& rels, std::string_view id) {
    for (auto& r : rels)
        if (r.id == id) return &r;
    return nullptr;
}

RelIndex::RelIndex(const std::vector<Relationship>& rels) {
    for (auto& r : rels) byId_.emplace(r.id, &r);  // the first of an id wins, as in FindRel
}

const Relationship* RelIndex::Find(std::string_view id) const {
    auto it = byId_.find(id);
    return it == byId_.end() ? nullptr : it->second;
}

const Relationship* FindRelOfType(const std::vector<Relationship>& rels, std::string_view type) {
    for (auto& r : rels)
        if (r.type == type) return &r;
    return nullptr;
}

}  // namespace sheets::xlsx
