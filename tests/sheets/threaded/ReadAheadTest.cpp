// A large part is read on two threads; the handler must not be able to tell.
#include <gtest/gtest.h>
#include <zip.h>

#include <stdexcept>
#include <string>

#include "sheets/Failure.h"
#include "sheets/container/Zip.h"
#include "sheets/xlsx/Package.h"
#include "sheets/xlsx/ReadAhead.h"
#include "support/TempDir.h"

using namespace sheets;
using namespace sheets::xlsx;
using failure::FailsWith;

namespace {

// Writes down what it is given, wanting text only in values, as a
// worksheet's handler does; it may finish, or throw, at a given row.
class Log final : public SaxHandler {
public:
    explicit Log(int finishAt = -1, int throwAt = -1) : finishAt_(finishAt), throwAt_(throwAt) { recordName = "row"; }
    std::string text;
    void Start(std::string_view name, Attrs attrs) override {
        text += "<" + std::string(name);
        for (Attrs a = attrs; *a; a += 2) text += " " + std::string(a[0]) + "=" + a[1];
        text += ">";
        wantText = name == "v" || name == "t";
        if (name == "row" && ++rows_ == finishAt_) finished = true;
        if (name == "row" && rows_ == throwAt_) throw std::runtime_error("handler gave up");
    }
    void End(std::string_view name) override {
        text += "</" + std::string(name) + ">";
        wantText = false;
    }
    void Text(std::string_view t) override { text += t; }

private:
    int rows_ = 0, finishAt_, throwAt_;
};

std::string Rows(int from, int count) {
    std::string rows;
    for (int i = from; i < from + count; ++i) {
        const std::string n = std::to_string(i);
        rows += "<row r=\"" + n + "\"><c r=\"A" + n + "\"><v>" + n + "</v></c><c r=\"B" + n +
                "\" t=\"inlineStr\"><is><t xml:space=\"preserve\"> a &amp; b " + n + " </t></is></c></row>\n";
    }
    return rows;
}

std::string Sheet(const std::string& rows, const std::string& head = "") {
    return "<?xml version=\"1.0\"?>\n<worksheet xmlns=\"main\">" + head + "<sheetData>" + rows +
           "</sheetData><mergeCells><mergeCell ref=\"A1:B1\"/></mergeCells></worksheet>";
}

std::string ZipOf(const std::string& part) {
    TempDir dir;
    const std::string path = dir / "p.zip";
    int err = 0;
    zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    zip_source_t* src = z ? zip_source_buffer(z, part.data(), part.size(), 0) : nullptr;
    if (!src || zip_file_add(z, "sheet.xml", src, 0) < 0 || zip_close(z) != 0) throw std::runtime_error("zip failed");
    return ReadFileText(path);
}

// The log of one thread and of two, and whether the part was large enough
// to be read on two.
struct Both {
    std::string one, two;
    bool large = false;
};
Both Read(const std::string& xml, int finishAt = -1) {
    const std::string bytes = ZipOf(xml);
    const xlsx::Package pkg(bytes);
    Both b;
    b.large = pkg.Zip().StatedSize("sheet.xml") > kWholeDocumentBytes;
    Log one(finishAt), two(finishAt);
    StreamPart(pkg.Zip(), "sheet.xml", one);
    pkg.Parse("sheet.xml", two);
    b.one = std::move(one.text);
    b.two = std::move(two.text);
    return b;
}

}  // namespace

TEST(ReadAhead, TheHandlerGetsWhatOneThreadGivesIt) {
    const std::string rows = Rows(1, 20000);
    for (const std::string& xml : {
             Sheet(rows), Sheet(rows, "<!-- a comment: all of it streams -->"),
             Sheet(Rows(1, 9000) + "<row r=\"9000\"><c><is><t><![CDATA[</row>]]></t></is></c></row>" +
                   Rows(9001, 9000)),  // streams from the middle on
         }) {
        const Both b = Read(xml);
        EXPECT_TRUE(b.large);
        EXPECT_EQ(b.two.size(), b.one.size());
        EXPECT_TRUE(b.two == b.one);
    }
    // A handler that has all it wants ends the reading, on either side.
    for (int finishAt : {1, 5000, 19999}) {
        const Both b = Read(Sheet(rows), finishAt);
        EXPECT_TRUE(b.two == b.one) << finishAt;
        EXPECT_LT(b.two.size(), Read(Sheet(rows)).one.size());
    }
}

TEST(ReadAhead, FailuresArriveWhereOneThreadMeetsThem) {
    const std::string rows = Rows(1, 20000);
    const std::string bytes = ZipOf(Sheet(rows + "<row r=\"20001\"><c></row>" + Rows(20002, 3000)));
    const xlsx::Package pkg(bytes);
    Log one, two;
    const failure::Failure streamed = failure::Of([&] { StreamPart(pkg.Zip(), "sheet.xml", one); });
    ASSERT_THAT(streamed, FailsWith(ErrorKind::Damaged));
    const failure::Failure ahead = failure::Of([&] { pkg.Parse("sheet.xml", two); });
    EXPECT_THAT(ahead, FailsWith(ErrorKind::Damaged));
    EXPECT_EQ(ahead.message, streamed.message);
    EXPECT_TRUE(two.text == one.text) << "every event before the fault arrives";

    // What the handler throws ends the reading too, at once and cleanly.
    const std::string good = ZipOf(Sheet(rows));
    const xlsx::Package fine(good);
    for (int throwAt : {1, 100, 15000}) {
        Log thrower(-1, throwAt);
        EXPECT_THROW(fine.Parse("sheet.xml", thrower), std::runtime_error);
    }
    // A part that is not there fails as it does on one thread.
    Log none;
    EXPECT_THAT(failure::Of([&] { ParseAhead(fine.Zip(), "missing.xml", none); }), FailsWith(ErrorKind::Damaged));
}
