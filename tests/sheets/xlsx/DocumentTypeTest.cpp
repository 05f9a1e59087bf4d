// A part that declares a document type reads like one that does not: the
// declaration is skipped unread, whichever parser takes the part, and no
// entity is ever defined, expanded or loaded.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sheets/Failure.h"
#include "sheets/xlsx/Prolog.h"
#include "sheets/xlsx/Xml.h"

using namespace sheets;
using namespace sheets::xlsx;
using failure::FailsWith;
using testing::HasSubstr;

namespace {

class Texts final : public SaxHandler {
public:
    std::string log;
    void Start(std::string_view name, Attrs attrs) override {
        log += "<" + std::string(name);
        for (Attrs a = attrs; *a; a += 2) log += " " + std::string(LocalName(a[0])) + "=" + a[1];
        log += ">";
        wantText = true;
    }
    void End(std::string_view name) override { log += "</" + std::string(name) + ">"; }
    void Text(std::string_view text) override { log += text; }
};

std::string Whole(const std::string& xml) {
    Texts t;
    ParseXml(xml, t, "part.xml");
    return t.log;
}

std::string Streamed(const std::string& xml, size_t piece) {
    Texts t;
    SaxParser p(t, "part.xml");
    for (size_t at = 0; at < xml.size(); at += piece) p.Feed(xml.data() + at, std::min(piece, xml.size() - at));
    p.Finish();
    return t.log;
}

std::string LaughBomb() {
    std::string dtd = "<!DOCTYPE lolz [<!ENTITY lol \"lol\">";
    for (int i = 1; i < 10; ++i) {
        dtd += "<!ENTITY lol" + std::to_string(i) + " \"";
        for (int j = 0; j < 10; ++j) dtd += "&lol" + (i == 1 ? std::string() : std::to_string(i - 1)) + ";";
        dtd += "\">";
    }
    return dtd + "]>";
}

}  // namespace

TEST(DocumentType, SkippedUnreadByBothParsers) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"<!DOCTYPE sst><sst><t>a</t></sst>", "<sst><t>a</t></sst>"},
        {"<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
         "<!DOCTYPE sst PUBLIC \"-//x//y\" \"http://example.com/a>b.dtd\">\n<sst><t>&amp;&#65;</t></sst>",
         "<sst><t>&A</t></sst>"},
        // Declared, external, undeclared and parameter entities: none expanded.
        {"\xEF\xBB\xBF<!-- lead --><!DOCTYPE sst [\n <!ENTITY e \"expanded\">\n"
         " <!ENTITY x SYSTEM \"file:///etc/passwd\">\n <!ENTITY % p \"<!ENTITY q 'q'>\"> %p;\n"
         " <!-- ]> ' \" --><?pi ]> ?>\n]>\n<?keep?><sst><t>&e;|&x;|&q;|&nbsp;</t></sst>",
         "<sst><t>&e;|&x;|&q;|&nbsp;</t></sst>"},
        {"<?xml version=\"1.0\"?>" + LaughBomb() + "<sst><t>&lol9;</t></sst>", "<sst><t>&lol9;</t></sst>"},
    };
    for (const auto& [xml, events] : cases) {
        EXPECT_EQ(Whole(xml), events) << xml;
        for (size_t piece : {size_t(1), size_t(5), size_t(64), xml.size()})
            EXPECT_EQ(Streamed(xml, piece), events) << "piece " << piece << "\n" << xml;
    }
}

TEST(DocumentType, ErrorsAfterItNameTheirLine) {
    const std::string xml = "<?xml version=\"1.0\"?>\n<!DOCTYPE w [\n<!ENTITY e \"x\">\n]>\n<w>\n<a></b></w>";
    EXPECT_THAT(failure::Of([&] { Streamed(xml, 3); }), FailsWith(ErrorKind::Damaged, HasSubstr("line 6")));
    EXPECT_THAT(failure::Of([&] { Whole(xml); }), FailsWith(ErrorKind::Damaged, HasSubstr("line 6")));
}

TEST(DocumentType, APrologPastTheLimitIsRefusedNotHeld) {
    // Held until the first element is in sight, but not without bound: past
    // the limit the part is parsed as it stands and its document type refused.
    const std::string xml = "<!DOCTYPE w [<!--" + std::string(kWholeDocumentBytes + 10000, 'x') + "-->]><w/>";
    EXPECT_THAT(failure::Of([&] { Streamed(xml, 4096); }), FailsWith(ErrorKind::Unsafe));
    EXPECT_EQ(Whole(xml.substr(0, 20) + "-->]><w/>"), "<w></w>");
}

TEST(DocumentType, PrologScan) {
    using S = Prolog::Status;
    EXPECT_EQ(ReadProlog("").status, S::Incomplete);
    EXPECT_EQ(ReadProlog("<?xml version=\"1.0\"?><!DOC").status, S::Incomplete);
    EXPECT_EQ(ReadProlog("<!DOCTYPE w [<!ENTITY e \"]>").status, S::Incomplete);
    EXPECT_EQ(ReadProlog("text<w/>").status, S::Unreadable);
    EXPECT_EQ(ReadProlog("<![CDATA[x]]><w/>").status, S::Unreadable);
    const Prolog p = ReadProlog("<?xml version=\"1.0\"\nstandalone=\"yes\"?>\n<!DOCTYPE w\n[]>\n<?pi?><w>");
    EXPECT_EQ(p.status, S::Complete);
    EXPECT_EQ(p.text, "\n\n\n\n<?pi?>");
    EXPECT_EQ(p.size, 61u);
}
