#include "sheets/xlsx/Xml.h"

#include <expat.h>
#include <pugixml.hpp>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "sheets/Errors.h"
#include "sheets/xlsx/Prolog.h"
#include "sheets/xlsx/ValueText.h"

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
    if (!parser_) throw Error(ErrorKind::OutOfMemory, "The workbook cannot be read (out of memory)");
    XML_SetHashSalt(parser_, ProcessHashSalt());
    XML_SetUserData(parser_, this);
    XML_SetElementHandler(parser_, OnStart, OnEnd);
    XML_SetCharacterDataHandler(parser_, OnText);
    // The document type is taken out before expat sees it (FlushProlog);
    // one that gets through all the same is refused.
    XML_SetStartDoctypeDeclHandler(parser_, OnDoctype);
    XML_SetEntityDeclHandler(parser_, OnEntity);
    // Never resolve external entities or parameter entities.
    XML_SetParamEntityParsing(parser_, XML_PARAM_ENTITY_PARSING_NEVER);
    // As if the document had an external subset that is never loaded: a
    // reference to an entity nobody declared is then skipped, not an error,
    // and goes to the text as written.
    XML_SetExternalEntityRefHandler(parser_, OnExternalEntity);
    XML_SetSkippedEntityHandler(parser_, OnSkippedEntity);
    XML_UseForeignDTD(parser_, XML_TRUE);
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

void SaxParser::OnSkippedEntity(void* p, const char* name, int parameter) {
    auto* self = static_cast<SaxParser*>(p);
    if (parameter || !self->handler_.wantText || self->unseen_) return;
    try {
        self->handler_.Text("&" + std::string(name) + ";");
    } catch (...) {
        self->Fail(std::current_exception());
    }
}

int SaxParser::OnExternalEntity(XML_ParserStruct*, const char*, const char*, const char*, const char*) {
    // Nothing is ever loaded (no entity is declared, so this is not called).
    return XML_STATUS_ERROR;
}

void SaxParser::OnDoctype(void* p, const char*, const char*, const char*, int) {
    auto* self = static_cast<SaxParser*>(p);
    self->Fail(std::make_exception_ptr(
        Error(ErrorKind::Unsafe, "The workbook is unsafe to read (" + self->part_ + " declares a document type)")));
}

void SaxParser::OnEntity(void* p, const char*, int, const char*, int, const char*, const char*, const char*,
                         const char*) {
    auto* self = static_cast<SaxParser*>(p);
    self->Fail(std::make_exception_ptr(
        Error(ErrorKind::Unsafe, "The workbook is unsafe to read (" + self->part_ + " defines entities)")));
}

void SaxParser::Check(int status) {
    if (error_) std::rethrow_exception(error_);
    if (handler_.finished) return;
    if (status == XML_STATUS_ERROR) {
        throw Error(ErrorKind::Damaged, "The workbook is damaged (" + part_ + ", line " +
                                            std::to_string(lineBase_ + XML_GetCurrentLineNumber(parser_)) + ": " +
                                            XML_ErrorString(XML_GetErrorCode(parser_)) + ")");
    }
}

void SaxParser::Feed(const char* data, size_t size) {
    if (!inProlog_) return Parse(data, size);
    prolog_.append(data, size);
    FlushProlog(false);
}

void SaxParser::FlushProlog(bool last) {
    const Prolog p = ReadProlog(prolog_);
    // A prolog too long to be real is parsed as it is (and a document type
    // in it refused).
    if (p.status == Prolog::Status::Incomplete && !last && prolog_.size() <= kWholeDocumentBytes) return;
    inProlog_ = false;
    const std::string held = std::move(prolog_);
    prolog_.clear();
    if (p.status != Prolog::Status::Complete) return Parse(held.data(), held.size());
    Parse(p.text.data(), p.text.size());
    Parse(held.data() + p.size, held.size() - p.size);
}

void SaxParser::Parse(const char* data, size_t size) {
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
    if (inProlog_) FlushProlog(true);
    if (handler_.finished) return;
    Check(XML_Parse(parser_, nullptr, 0, XML_TRUE));
}

namespace {

// Delivers a parsed document's elements and text to a handler in document
// order, as the streaming parser would, without recursion (nesting depth is
// the document's to choose).
void Walk(const pugi::xml_node document, SaxHandler& handler) {
    // No pugixml accessor is inlined (the library is compiled apart): each is
    // asked once.
    std::vector<const char*> attrs;
    pugi::xml_node n = document.first_child();
    while (n && !handler.finished) {
        pugi::xml_node child;
        const pugi::xml_node_type type = n.type();
        if (type == pugi::node_element) {
            attrs.clear();
            for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) {
                attrs.push_back(a.name());
                attrs.push_back(a.value());
            }
            attrs.push_back(nullptr);
            const std::string_view name = LocalName(n.name());
            handler.Start(name, attrs.data());
            child = n.first_child();
            if (!child) handler.End(name);
        } else if ((type == pugi::node_pcdata || type == pugi::node_cdata) && handler.wantText) {
            handler.Text(n.value());
        }
        if (child) {
            n = child;
            continue;
        }
        pugi::xml_node next = n.next_sibling();
        while (!next) {
            n = n.parent();
            if (n == document || handler.finished) return;
            handler.End(LocalName(n.name()));
            next = n.next_sibling();
        }
        n = next;
    }
}

bool LoadFragment(std::string_view xml, pugi::xml_document& doc) {
    // Without a terminating zero, trailing text would lose its last
    // character: a fragment ends with markup.
    if (xml.empty() || xml.back() != '>') return false;
    constexpr unsigned kOptions = pugi::parse_default | pugi::parse_fragment | pugi::parse_ws_pcdata_single;
    return bool(doc.load_buffer(xml.data(), xml.size(), kOptions, pugi::encoding_utf8));
}

void ParseWhole(std::string_view xml, SaxHandler& handler, const std::string& part) {
    // Comments and processing instructions are dropped; a text that is
    // nothing but spaces is kept when it is an element's only content
    // (<t xml:space="preserve"> </t>). A document type is skipped unread;
    // an entity other than the five of XML itself is kept as written.
    constexpr unsigned kOptions = pugi::parse_default | pugi::parse_ws_pcdata_single;
    pugi::xml_document doc;
    pugi::xml_parse_result r = doc.load_buffer(xml.data(), xml.size(), kOptions, pugi::encoding_auto);
    if (!r) {
        size_t at = std::min(size_t(std::max<ptrdiff_t>(r.offset, 0)), xml.size());
        size_t line = 1 + size_t(std::count(xml.begin(), xml.begin() + ptrdiff_t(at), '\n'));
        throw Error(ErrorKind::Damaged, "The workbook is damaged (" + part + ", line " + std::to_string(line) + ": " +
                                            r.description() + ")");
    }
    Walk(doc, handler);
}

}  // namespace

ParsedFragment::ParsedFragment() : doc_(std::make_unique<pugi::xml_document>()) {}
ParsedFragment::~ParsedFragment() = default;

bool ParsedFragment::Load(std::string_view xml, bool layOut) {
    Clear();
    if (!LoadFragment(xml, *doc_)) return false;
    if (layOut) LayOut();
    return true;
}

void ParsedFragment::Clear() {
    doc_->reset();
    laidOut_ = false;
    events_.clear();
    attrs_.clear();
}

// The walk of Walk, with every event kept (texts too: whether the handler
// wants one is known only when it gets there).
void ParsedFragment::LayOut() {
    laidOut_ = true;
    const auto named = [&](Kind kind, const pugi::xml_node n) {
        const std::string_view name = LocalName(n.name());
        events_.push_back(Event{kind, uint32_t(name.size()), name.data(), attrs_.size()});
    };
    const pugi::xml_node document = *doc_;
    pugi::xml_node n = document.first_child();
    while (n) {
        bool descend = false;
        if (n.type() == pugi::node_element) {
            named(Kind::Start, n);
            for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) {
                attrs_.push_back(a.name());
                attrs_.push_back(a.value());
            }
            attrs_.push_back(nullptr);
            descend = bool(n.first_child());
            if (!descend) named(Kind::End, n);
        } else if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata) {
            const std::string_view text = n.value();
            events_.push_back(Event{Kind::Text, uint32_t(text.size()), text.data(), 0});
        }
        if (descend) {
            n = n.first_child();
            continue;
        }
        while (!n.next_sibling()) {
            n = n.parent();
            if (n == document) return;
            named(Kind::End, n);
        }
        n = n.next_sibling();
    }
}

void ParsedFragment::Deliver(SaxHandler& handler) const {
    if (!laidOut_) return Walk(*doc_, handler);
    for (const Event& e : events_) {
        if (handler.finished) return;
        const std::string_view text(e.text, e.size);
        switch (e.kind) {
        case Kind::Start: handler.Start(text, const_cast<Attrs>(attrs_.data() + e.attrs)); break;
        case Kind::End: handler.End(text); break;
        case Kind::Text:
            if (handler.wantText) handler.Text(text);
            break;
        }
    }
}

bool ParseFragment(std::string_view xml, SaxHandler& handler) {
    pugi::xml_document doc;
    if (!LoadFragment(xml, doc)) return false;
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

}  // namespace sheets::xlsx
