#include "sheets/xlsx/Xml.h"

#include <expat.h>
#include <pugixml.hpp>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "sheets/Errors.h"
#include "sheets/Utf8.h"

namespace sheets::xlsx {

namespace {
// Expat draws a fresh hash salt from the kernel for every parser, and a
// workbook needs a dozen parsers: one random salt per process keeps the
// protection against crafted name collisions without a system call per part.
unsigned long ProcessHashSalt() {
    static const unsigned long salt = [] {
        std::random_device device;
        return (static_cast<unsigned long>(device()) << 32) ^ device();
    }();
    return salt;
}
}  // namespace

SaxParser::SaxParser(SaxHandler& handler, std::string part)
    : parser_(XML_ParserCreate("UTF-8")), handler_(handler), part_(std::move(part)) {
    if (!parser_) throw Error("The workbook cannot be read (out of memory)");
    XML_SetHashSalt(parser_, ProcessHashSalt());
    XML_SetUserData(parser_, this);
    XML_SetElementHandler(parser_, OnStart, OnEnd);
    XML_SetCharacterDataHandler(parser_, OnText);
    XML_SetStartDoctypeDeclHandler(parser_, OnDoctype);
    XML_SetEntityDeclHandler(parser_, OnEntity);
    // Never resolve external entities or parameter entities.
    XML_SetParamEntityParsing(parser_, XML_PARAM_ENTITY_PARSING_NEVER);
}

SaxParser::~SaxParser() { XML_ParserFree(parser_); }

void SaxParser::Fail(std::exception_ptr e) {
    if (!error_) error_ = e;
    XML_StopParser(parser_, XML_FALSE);
}

void SaxParser::OnStart(void* p, const char* name, const char** attrs) {
    auto* self = static_cast<SaxParser*>(p);
    try {
        if (self->tracking_) self->open_.emplace_back(name);
        if (self->unseen_) return;
        self->handler_.Start(LocalName(name), attrs);
        self->StopIfFinished();
    } catch (...) {
        self->Fail(std::current_exception());
    }
}

void SaxParser::OnEnd(void* p, const char* name) {
    auto* self = static_cast<SaxParser*>(p);
    try {
        if (self->tracking_ && !self->open_.empty()) self->open_.pop_back();
        self->handler_.End(LocalName(name));
        self->StopIfFinished();
    } catch (...) {
        self->Fail(std::current_exception());
    }
}

void SaxParser::StopIfFinished() {
    if (handler_.finished) XML_StopParser(parser_, XML_FALSE);
}

void SaxParser::OnText(void* p, const char* text, int len) {
    auto* self = static_cast<SaxParser*>(p);
    if (!self->handler_.wantText || self->unseen_) return;
    try {
        self->handler_.Text(std::string_view(text, size_t(len)));
    } catch (...) {
        self->Fail(std::current_exception());
    }
}

void SaxParser::OnDoctype(void* p, const char*, const char*, const char*, int) {
    auto* self = static_cast<SaxParser*>(p);
    self->Fail(std::make_exception_ptr(
        Error("The workbook is unsafe to read (" + self->part_ + " declares a document type)")));
}

void SaxParser::OnEntity(void* p, const char*, int, const char*, int, const char*, const char*, const char*,
                         const char*) {
    auto* self = static_cast<SaxParser*>(p);
    self->Fail(std::make_exception_ptr(Error("The workbook is unsafe to read (" + self->part_ + " defines entities)")));
}

void SaxParser::Check(int status) {
    if (error_) std::rethrow_exception(error_);
    if (handler_.finished) return;
    if (status == XML_STATUS_ERROR) {
        throw Error("The workbook is damaged (" + part_ + ", line " +
                    std::to_string(lineBase_ + XML_GetCurrentLineNumber(parser_)) + ": " +
                    XML_ErrorString(XML_GetErrorCode(parser_)) + ")");
    }
}

void SaxParser::Feed(const char* data, size_t size) {
    while (size > 0 && !handler_.finished) {
        int n = size > (1u << 30) ? (1 << 30) : int(size);
        Check(XML_Parse(parser_, data, n, XML_FALSE));
        data += n;
        size -= size_t(n);
    }
}

void SaxParser::EnterUnseen(const std::vector<std::string>& open, uint64_t line) {
    std::string context;
    for (const std::string& name : open) context += "<" + name + ">";
    unseen_ = true;
    Feed(context.data(), context.size());
    unseen_ = false;
    lineBase_ = line - 1;
}

void SaxParser::Finish() {
    if (handler_.finished) return;
    Check(XML_Parse(parser_, nullptr, 0, XML_TRUE));
}

namespace {

// Delivers a parsed document's elements and text to a handler in document
// order, as the streaming parser would, without recursion (nesting depth is
// the document's to choose).
void Walk(const pugi::xml_node document, SaxHandler& handler) {
    std::vector<const char*> attrs;
    auto start = [&](const pugi::xml_node n) {
        attrs.clear();
        for (const pugi::xml_attribute a : n.attributes()) {
            attrs.push_back(a.name());
            attrs.push_back(a.value());
        }
        attrs.push_back(nullptr);
        handler.Start(LocalName(n.name()), attrs.data());
    };
    pugi::xml_node n = document.first_child();
    while (n && !handler.finished) {
        bool descend = false;
        if (n.type() == pugi::node_element) {
            start(n);
            descend = bool(n.first_child());
            if (!descend) handler.End(LocalName(n.name()));
        } else if ((n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata) && handler.wantText) {
            handler.Text(n.value());
        }
        if (descend) {
            n = n.first_child();
            continue;
        }
        while (!n.next_sibling()) {
            n = n.parent();
            if (n == document || handler.finished) return;
            handler.End(LocalName(n.name()));
        }
        n = n.next_sibling();
    }
}

void ParseWhole(std::string_view xml, SaxHandler& handler, const std::string& part) {
    // Comments and processing instructions are dropped; a text that is
    // nothing but spaces is kept when it is an element's only content
    // (<t xml:space="preserve"> </t>). Entities are never expanded; a
    // document type is parsed only to be refused.
    constexpr unsigned kOptions = pugi::parse_default | pugi::parse_doctype | pugi::parse_ws_pcdata_single;
    pugi::xml_document doc;
    pugi::xml_parse_result r = doc.load_buffer(xml.data(), xml.size(), kOptions, pugi::encoding_auto);
    if (!r) {
        size_t at = std::min(size_t(std::max<ptrdiff_t>(r.offset, 0)), xml.size());
        size_t line = 1 + size_t(std::count(xml.begin(), xml.begin() + ptrdiff_t(at), '\n'));
        throw Error("The workbook is damaged (" + part + ", line " + std::to_string(line) + ": " + r.description() +
                    ")");
    }
    for (const pugi::xml_node n : doc.children())
        if (n.type() == pugi::node_doctype)
            throw Error("The workbook is unsafe to read (" + part + " declares a document type)");
    Walk(doc, handler);
}

}  // namespace

bool ParseFragment(std::string_view xml, SaxHandler& handler) {
    // Without a terminating zero, trailing text would lose its last
    // character: a fragment ends with markup.
    if (xml.empty() || xml.back() != '>') return false;
    constexpr unsigned kOptions = pugi::parse_default | pugi::parse_fragment | pugi::parse_ws_pcdata_single;
    pugi::xml_document doc;
    if (!doc.load_buffer(xml.data(), xml.size(), kOptions, pugi::encoding_utf8)) return false;
    Walk(doc, handler);
    return true;
}

void ParseXml(std::string_view xml, SaxHandler& handler, const std::string& part) {
    if (xml.size() <= kWholeDocumentBytes) return ParseWhole(xml, handler, part);
    SaxParser p(handler, part);
    p.Feed(xml.data(), xml.size());
    p.Finish();
}

const char* Attr(Attrs attrs, std::string_view local) {
    for (; attrs && *attrs; attrs += 2)
        if (LocalName(*attrs) == local) return attrs[1];
    return nullptr;
}

bool AttrBool(Attrs attrs, std::string_view local, bool def) {
    const char* v = Attr(attrs, local);
    if (!v) return def;
    std::string_view s(v);
    if (s == "1" || s == "true" || s == "on") return true;
    if (s == "0" || s == "false" || s == "off") return false;
    return def;
}

int64_t AttrInt(Attrs attrs, std::string_view local, int64_t def) {
    const char* v = Attr(attrs, local);
    int64_t out;
    return v && ParseInt(v, out) ? out : def;
}

double AttrDouble(Attrs attrs, std::string_view local, double def) {
    const char* v = Attr(attrs, local);
    double out;
    return v && ParseDouble(v, out) ? out : def;
}

std::string AttrString(Attrs attrs, std::string_view local) {
    const char* v = Attr(attrs, local);
    return v ? std::string(v) : std::string();
}

static std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\n' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\n' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool ParseDouble(std::string_view s, double& out) {
    s = Trim(s);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    if (s.empty()) return false;
    auto r = std::from_chars(s.data(), s.data() + s.size(), out);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

bool ParseInt(std::string_view s, int64_t& out) {
    s = Trim(s);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    if (s.empty()) return false;
    auto r = std::from_chars(s.data(), s.data() + s.size(), out);
    if (r.ec == std::errc() && r.ptr == s.data() + s.size()) return true;
    // Some writers put "1.0" where an integer belongs.
    double d;
    if (ParseDouble(s, d) && d >= -9.2e18 && d <= 9.2e18) {
        out = int64_t(d);
        return true;
    }
    return false;
}

bool ParseCellRef(std::string_view ref, uint32_t& col, uint32_t& row, bool* beyond) {
    if (beyond) *beyond = false;
    size_t i = 0, n = ref.size();
    if (i < n && ref[i] == '$') ++i;
    uint64_t c = 0;
    size_t letters = 0;
    for (; i < n; ++i, ++letters) {
        char ch = ref[i];
        if (ch >= 'a' && ch <= 'z') ch = char(ch - 'a' + 'A');
        if (ch < 'A' || ch > 'Z') break;
        if (letters >= 7) return false;
        c = c * 26 + uint64_t(ch - 'A' + 1);
    }
    if (letters == 0) return false;
    if (i < n && ref[i] == '$') ++i;
    uint64_t r = 0;
    size_t digits = 0;
    for (; i < n; ++i, ++digits) {
        char ch = ref[i];
        if (ch < '0' || ch > '9') return false;
        if (digits >= 10) return false;
        r = r * 10 + uint64_t(ch - '0');
    }
    if (digits == 0 || r == 0) return false;
    if (c > 16384 || r > 1048576) {
        if (beyond) *beyond = true;
        return false;
    }
    col = uint32_t(c - 1);
    row = uint32_t(r - 1);
    return true;
}

static int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void DecodeEscapes(std::string& s) {
    size_t pos = s.find("_x");
    if (pos == std::string::npos) return;
    std::string out;
    out.reserve(s.size());
    out.append(s, 0, pos);
    size_t i = pos;
    while (i < s.size()) {
        if (s[i] == '_' && i + 6 < s.size() && s[i + 1] == 'x' && s[i + 6] == '_') {
            int h[4] = {HexValue(s[i + 2]), HexValue(s[i + 3]), HexValue(s[i + 4]), HexValue(s[i + 5])};
            if (h[0] >= 0 && h[1] >= 0 && h[2] >= 0 && h[3] >= 0) {
                uint32_t cp = uint32_t((h[0] << 12) | (h[1] << 8) | (h[2] << 4) | h[3]);
                uint32_t next = 0;
                // A pair of escaped surrogates stands for one character.
                if (cp >= 0xD800 && cp < 0xDC00 && i + 13 < s.size() && s[i + 7] == '_' && s[i + 8] == 'x' &&
                    s[i + 13] == '_') {
                    int l[4] = {HexValue(s[i + 9]), HexValue(s[i + 10]), HexValue(s[i + 11]), HexValue(s[i + 12])};
                    if (l[0] >= 0 && l[1] >= 0 && l[2] >= 0 && l[3] >= 0)
                        next = uint32_t((l[0] << 12) | (l[1] << 8) | (l[2] << 4) | l[3]);
                }
                if (next >= 0xDC00 && next < 0xE000) {
                    AppendUtf8(out, 0x10000 + ((cp - 0xD800) << 10) + (next - 0xDC00));
                    i += 14;
                } else {
                    if (cp >= 0xD800 && cp < 0xE000) cp = 0xFFFD;
                    AppendUtf8(out, cp);
                    i += 7;
                }
                continue;
            }
        }
        out.push_back(s[i]);
        ++i;
    }
    s.swap(out);
}

}  // namespace sheets::xlsx
