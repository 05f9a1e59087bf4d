#pragma once
// A streaming XML reader over expat. Element and attribute names are given by
// their local part (prefixes dropped), so transitional, strict and oddly
// prefixed documents read alike. A document type is accepted but never read:
// entity definitions are how a small file expands into gigabytes, so no
// entity is expanded or loaded, and a reference to one stays in the text as
// it was written.
#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct XML_ParserStruct;
namespace pugi {
class xml_document;
}

namespace sheets::xlsx {

// Expat's attribute list: name, value, name, value, ..., null.
using Attrs = const char**;

class SaxHandler;

// A run of complete elements from the middle of a document, parsed to be
// handed to a handler later, possibly on another thread. Reused from run to
// run, it keeps its memory.
class ParsedFragment {
public:
    ParsedFragment();
    ~ParsedFragment();
    ParsedFragment(const ParsedFragment&) = delete;
    ParsedFragment& operator=(const ParsedFragment&) = delete;

    // False when the run is not well-formed on its own (see ParseFragment).
    // `layOut` also lays out its events at once, so that delivering them
    // later costs little.
    bool Load(std::string_view xml, bool layOut);
    // The events ParseFragment would have given.
    void Deliver(SaxHandler& handler) const;
    void Clear();

private:
    void LayOut();
    enum class Kind : uint8_t { Start, End, Text };
    struct Event {
        Kind kind;
        uint32_t size;  // of the name or text
        const char* text;  // the name or text, in the parsed document
        size_t attrs;  // Start: where its attributes begin in attrs_
    };
    std::unique_ptr<pugi::xml_document> doc_;
    bool laidOut_ = false;
    std::vector<Event> events_;
    std::vector<const char*> attrs_;  // each element's names and values, then a null
};

class SaxHandler {
public:
    virtual ~SaxHandler() = default;
    virtual void Start(std::string_view name, Attrs attrs) = 0;
    virtual void End(std::string_view name) = 0;
    // Character data, in pieces; only delivered while WantText() is true.
    virtual void Text(std::string_view text) {}
    bool wantText = false;
    // Set once the handler has all it wants: the rest of the document is
    // neither inflated nor parsed (nor checked for well-formedness).
    bool finished = false;
    // The local name of the elements that make up the bulk of a large
    // document (a worksheet's rows); runs of them are parsed whole.
    std::string_view recordName;
    // A handler that takes such runs as they stand (to parse them elsewhere)
    // says so here; Records then gets each run in place of its events, and
    // answers false when it is not well-formed on its own.
    bool takesRecords = false;
    virtual bool Records(std::string_view xml) { return false; }
};

class SaxParser {
public:
    // `part` names the document in error messages.
    SaxParser(SaxHandler& handler, std::string part);
    ~SaxParser();
    SaxParser(const SaxParser&) = delete;
    SaxParser& operator=(const SaxParser&) = delete;

    // Throws sheets::Error on malformed XML; rethrows what a handler threw.
    // Data fed after the handler has finished is ignored.
    void Feed(const char* data, size_t size);
    void Finish();

    // Resumes a document in the middle: opens these elements (raw names, as
    // OpenElements gave them) without telling the handler, and counts lines
    // from `line` on.
    void EnterUnseen(const std::vector<std::string>& open, uint64_t line);
    // Keeps the raw names of the elements open at the point parsed so far.
    void TrackOpenElements() { tracking_ = true; }
    const std::vector<std::string>& OpenElements() const { return open_; }

private:
    static void OnStart(void* self, const char* name, const char** attrs);
    static void OnEnd(void* self, const char* name);
    static void OnText(void* self, const char* text, int len);
    static void OnSkippedEntity(void* self, const char* name, int parameter);
    static int OnExternalEntity(XML_ParserStruct* parser, const char*, const char*, const char*, const char*);
    static void OnDoctype(void* self, const char*, const char*, const char*, int);
    static void OnEntity(void* self, const char*, int, const char*, int, const char*, const char*, const char*,
                         const char*);
    void Fail(std::exception_ptr e);
    void StopIfFinished();
    void Check(int status);
    void Parse(const char* data, size_t size);
    void FlushProlog(bool last);

    XML_ParserStruct* parser_;
    SaxHandler& handler_;
    std::string part_;
    std::exception_ptr error_;
    bool tracking_ = false, unseen_ = false;
    std::vector<std::string> open_;  // raw names, when tracking
    uint64_t lineBase_ = 0;  // lines before what this parser was given
    // What was fed before the first element, held until its document type
    // (if any) can be taken out.
    std::string prolog_;
    bool inProlog_ = true;
};

// Documents up to this size are parsed whole (as a tree), which is several
// times faster than streaming on the many small parts of a workbook; larger
// ones stream through expat in bounded memory.
constexpr size_t kWholeDocumentBytes = 1u << 20;

// Parses a whole document held in memory, with the same events, checks and
// messages whichever parser it takes.
void ParseXml(std::string_view xml, SaxHandler& handler, const std::string& part);

// Parses a run of complete elements (and text) from the middle of a
// document, ending with markup; false when it is not well-formed on its
// own, and then nothing has reached the handler.
bool ParseFragment(std::string_view xml, SaxHandler& handler);

// The local part of a possibly prefixed name, in one pass: names are short,
// and a large sheet asks this for every element it has.
inline std::string_view LocalName(const char* name) {
    const char* local = name;
    const char* p = name;
    for (; *p; ++p)
        if (*p == ':') local = p + 1;
    return std::string_view(local, size_t(p - local));
}

// The value of the attribute with this local name, or null.
const char* Attr(Attrs attrs, std::string_view local);
// Attribute helpers; `def` when absent or unreadable.
bool AttrBool(Attrs attrs, std::string_view local, bool def);
int64_t AttrInt(Attrs attrs, std::string_view local, int64_t def);
double AttrDouble(Attrs attrs, std::string_view local, double def);
std::string AttrString(Attrs attrs, std::string_view local);

}  // namespace sheets::xlsx
