// Large parts are parsed in batches of records where that is safe and
// streamed through expat where it is not: whichever way a document goes, the
// handler must see what a plain streaming parse shows it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sheets/Failure.h"
#include "sheets/xlsx/RecordStream.h"
#include "sheets/xlsx/Xml.h"

using namespace sheets;
using namespace sheets::xlsx;
using failure::FailsWith;
using failure::Succeeds;
using testing::HasSubstr;
using testing::Not;

namespace {

// Writes down every event, as a worksheet handler would see them: text only
// inside the elements that carry values.
class Recorder : public SaxHandler {
public:
    explicit Recorder(std::string_view record) { recordName = record; }
    std::string log;
    void Start(std::string_view name, Attrs attrs) override {
        log += "<" + std::string(name);
        for (Attrs a = attrs; *a; a += 2) log += " " + std::string(LocalName(a[0])) + "=" + a[1];
        log += ">";
        wantText = name == "v" || name == "t" || name == "f";
    }
    void End(std::string_view name) override {
        log += "</" + std::string(name) + ">";
        wantText = false;
    }
    void Text(std::string_view text) override { log += text; }
};

// Takes the runs of records as text and parses them itself, as a handler
// that passes them to another thread does: laid out at once, or walked when
// they are delivered.
class RunTaker final : public Recorder {
public:
    RunTaker(std::string_view record, bool layOut) : Recorder(record), layOut_(layOut) { takesRecords = true; }
    bool Records(std::string_view xml) override {
        if (!run_.Load(xml, layOut_)) return false;
        run_.Deliver(*this);
        return true;
    }

private:
    ParsedFragment run_;  // reused from run to run
    bool layOut_;
};

std::string Streamed(const std::string& xml) {
    Recorder r("row");
    SaxParser p(r, "sheet.xml");
    p.Feed(xml.data(), xml.size());
    p.Finish();
    return r.log;
}

// Through a record stream with small batches, fed in pieces of `piece` bytes.
std::string Batched(const std::string& xml, size_t piece, std::string_view record = "row", size_t* batches = nullptr,
                    int takes = 0) {
    Recorder plain(record);
    RunTaker walked(record, false), laidOut(record, true);
    Recorder& r = takes == 0 ? plain : takes == 1 ? walked : laidOut;
    RecordStream s(r, "sheet.xml", record, RecordStream::Limits{64, 4096});
    for (size_t at = 0; at < xml.size(); at += piece) s.Feed(xml.data() + at, std::min(piece, xml.size() - at));
    s.Finish();
    if (batches) *batches = s.Batches();
    return r.log;
}

std::string Rows(int count, const std::string& prefix = "") {
    std::string rows;
    for (int i = 1; i <= count; ++i) {
        std::string n = std::to_string(i);
        rows += "<" + prefix + "row r=\"" + n + "\"><" + prefix + "c r=\"A" + n + "\" t=\"s\"><" + prefix + "v>" + n +
                "</" + prefix + "v></" + prefix + "c><" + prefix + "c r=\"B" + n + "\" t=\"inlineStr\"><" + prefix +
                "is><" + prefix + "t xml:space=\"preserve\"> a &amp; b </" + prefix + "t></" + prefix + "is></" +
                prefix + "c></" + prefix + "row>\n";
    }
    return rows;
}

std::string Sheet(const std::string& rows, const std::string& head = "", const std::string& tail = "") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<worksheet xmlns=\"main\">" + head + "<sheetData>" + rows +
           "</sheetData>" + tail + "</worksheet>";
}

}  // namespace

TEST(RecordStream, GivesTheEventsOfAPlainStreamingParse) {
    const std::string tail = "<mergeCells count=\"1\"><mergeCell ref=\"A1:B1\"/></mergeCells>";
    const std::vector<std::string> documents = {
        Sheet(Rows(200)),
        Sheet(Rows(200), "<cols><col min=\"1\" max=\"2\" width=\"9\"/></cols>", tail),
        // Prefixed names, and an end tag with a space before its '>'.
        "<x:worksheet xmlns:x=\"main\"><x:sheetData>" + Rows(150, "x:") +
            "<x:row r=\"151\"></x:row ></x:sheetData></x:worksheet>",
        // Empty rows written as empty elements, also at the very end.
        Sheet(Rows(50) + "<row r=\"51\"/>" + Rows(50) + "<row r=\"200\"/>"),
        // Markup that may hide tags: a comment in the head, CDATA in a row.
        Sheet(Rows(80), "<!-- <row r=\"9\"> -->"),
        Sheet(Rows(80) + "<row r=\"81\"><c><is><t><![CDATA[</row><row>]]></t></is></c></row>" + Rows(80)),
        // No records at all, and text between records.
        Sheet("", "<dimension ref=\"A1\"/>", tail),
        Sheet(Rows(40) + "  \n\t " + Rows(40)),
        // A document type, taken out unread; entities stay as written.
        "<?xml version=\"1.0\" standalone=\"yes\"?>\n<!DOCTYPE worksheet [\n<!ENTITY e \"x\">\n"
        "<!-- ]> --><?pi ]>?><!ENTITY f '>'>]>\n<worksheet><sheetData>" +
            Rows(60) + "<row r=\"61\"><c><is><t>&e;&f;&undeclared;&amp;</t></is></c></row>" + Rows(20) +
            "</sheetData></worksheet>",
    };
    for (const std::string& xml : documents) {
        const std::string expected = Streamed(xml);
        for (size_t piece : {size_t(1), size_t(7), size_t(100), size_t(4096), xml.size()})
            EXPECT_EQ(Batched(xml, piece), expected) << "piece " << piece << "\n" << xml.substr(0, 200);
        for (int takes : {1, 2})
            EXPECT_EQ(Batched(xml, 100, "row", nullptr, takes), expected) << "taken " << takes << "\n"
                                                                          << xml.substr(0, 200);
    }
    // The plain ones really go in batches; hidden markup in the head sends
    // the whole document to the streaming parser.
    size_t batches = 0;
    Batched(documents[0], 100, "row", &batches);
    EXPECT_GT(batches, 50u);
    Batched(documents[2], 100, "row", &batches);
    EXPECT_GT(batches, 50u);
    Batched(documents[4], 100, "row", &batches);
    EXPECT_EQ(batches, 0u);
    Batched(documents[5], 100, "row", &batches);
    EXPECT_GT(batches, 10u);
    // A shared-string table, with rich runs.
    std::string sst = "<sst count=\"300\">";
    for (int i = 0; i < 300; ++i)
        sst += "<si><r><rPr><b/></rPr><t>bold " + std::to_string(i) +
               "</t></r><r><t xml:space=\"preserve\"> </t></r></si>";
    sst += "</sst>";
    Recorder plain("si");
    SaxParser p(plain, "sst.xml");
    p.Feed(sst.data(), sst.size());
    p.Finish();
    EXPECT_EQ(Batched(sst, 333, "si", &batches), plain.log);
    EXPECT_GT(batches, 50u);
}

TEST(RecordStream, DamagedDocumentsFailAsTheyDoWhenStreamed) {
    const std::vector<std::string> damaged = {
        Sheet(Rows(100) + "<row r=\"101\"><c></row>" + Rows(10)),  // a mismatched tag among records
        Sheet(Rows(100) + "</row>" + Rows(10)),  // a stray end tag
        Sheet(Rows(100)).substr(0, Sheet(Rows(100)).size() / 2),  // cut off midway
        Sheet(Rows(100), "", "<!DOCTYPE x>"),  // a document type after the first element
    };
    for (const std::string& xml : damaged) {
        const failure::Failure streamed = failure::Of([&] { Streamed(xml); });
        ASSERT_THAT(streamed, Not(Succeeds()));
        for (size_t piece : {size_t(13), size_t(4096)})
            EXPECT_THAT(failure::Of([&] { Batched(xml, piece); }), FailsWith(*streamed.kind)) << xml.substr(0, 120);
        EXPECT_THAT(failure::Of([&] { Batched(xml, 13, "row", nullptr, 2); }), FailsWith(*streamed.kind));
    }
    // The line of the fault is counted from the start of the document,
    // whichever parser finds it.
    std::string xml = Sheet(Rows(100) + "<row r=\"101\"><c></row>");
    EXPECT_THAT(failure::Of([&] { Batched(xml, 4096); }), FailsWith(ErrorKind::Damaged, HasSubstr("line 102")));
}

TEST(RecordStream, RecordsWithoutAnEndHoldOnlyABoundedAmount) {
    // Empty records never close with an end tag: past the limit the rest
    // streams, with the same result.
    std::string rows;
    for (int i = 1; i <= 2000; ++i) rows += "<row r=\"" + std::to_string(i) + "\"/>";
    const std::string xml = Sheet(rows);
    EXPECT_EQ(Batched(xml, 512), Streamed(xml));
}
