// What the page shows and what it refuses to carry.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "HtmlSupport.h"
#include "sheets/Failure.h"
#include "support/TempDir.h"

using namespace htmltest;
using namespace sheets;
using failure::FailsWith;

TEST(HtmlWriter, EscapesEveryText) {
    Workbook wb = OneSheet("<b>&\"Sheet\"");
    Sheet& s = wb.sheets[0];
    PutText(wb, s, 0, 0, "<img src=x onerror=alert(1)>");
    s.comments.push_back(Comment{0, 0, "me", "\"><script>alert(2)</script>"});
    s.links.push_back(Hyperlink{Range{0, 0, 0, 0}, "http://x/\"onmouseover=\"alert(3)", "", "<tip>\""});
    HtmlOptions o;
    o.title = "</title><script>";
    const std::string page = Render(wb, o);
    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_EQ(page.find("<img src=x"), std::string::npos);
    EXPECT_NE(page.find("&lt;img src=x onerror=alert(1)&gt;"), std::string::npos);
    EXPECT_NE(page.find("title=\"&quot;&gt;&lt;script&gt;alert(2)&lt;/script&gt;\""), std::string::npos);
    EXPECT_NE(page.find("href=\"http://x/&quot;onmouseover=&quot;alert(3)\""), std::string::npos);
    EXPECT_NE(page.find("<title>&lt;/title&gt;&lt;script&gt;</title>"), std::string::npos);
}

TEST(HtmlWriter, LinksKeepSafeTargetsOnly) {
    Workbook wb = OneSheet("Data");
    wb.sheets.push_back(Sheet{});
    wb.sheets[1].name = "My Sheet";
    Sheet& s = wb.sheets[0];
    const char* targets[] = {"https://example.com/", "javascript:alert(1)", "", "", "", "mailto:a@b.c"};
    const char* locations[] = {"", "", "'My Sheet'!B2", "Nowhere!A1", "SomeName", ""};
    for (uint16_t i = 0; i < 6; ++i) {
        PutText(wb, s, i, 0, "link" + std::to_string(i));
        s.links.push_back(Hyperlink{Range{i, 0, i, 0}, targets[i], locations[i], ""});
    }
    // A link over a range reaches every cell in it.
    PutText(wb, s, 10, 0, "r1");
    PutText(wb, s, 11, 1, "r2");
    s.links.push_back(Hyperlink{Range{10, 0, 11, 1}, "ftp://h/f", "", ""});
    const std::string body = Body(Render(wb));
    EXPECT_NE(body.find("<a href=\"https://example.com/\">link0</a>"), std::string::npos);
    EXPECT_NE(body.find("<td class=\"o\">link1</td>"), std::string::npos);  // shown as text
    EXPECT_EQ(body.find("javascript"), std::string::npos);
    EXPECT_NE(body.find("<a href=\"#sheet2\">link2</a>"), std::string::npos);
    EXPECT_NE(body.find("<td class=\"o\">link3</td>"), std::string::npos) << body;
    EXPECT_NE(body.find("<td class=\"o\">link4</td>"), std::string::npos);
    EXPECT_NE(body.find("<a href=\"mailto:a@b.c\">link5</a>"), std::string::npos);
    EXPECT_NE(body.find("<a href=\"ftp://h/f\">r1</a>"), std::string::npos);
    EXPECT_NE(body.find("<a href=\"ftp://h/f\">r2</a>"), std::string::npos);

    // In a page of one sheet, a link to another sheet has nowhere to go.
    HtmlOptions one;
    one.scope = HtmlOptions::Scope::SheetAt;
    one.sheetPosition = 1;
    EXPECT_NE(Render(wb, one).find("<td class=\"o\">link2</td>"), std::string::npos);
}

TEST(HtmlWriter, ChoosesSheets) {
    Workbook wb;
    const char* names[] = {"One", "Two", "Three", "Four"};
    for (const char* n : names) {
        wb.sheets.push_back(Sheet{});
        wb.sheets.back().name = n;
        PutText(wb, wb.sheets.back(), 0, 0, std::string("in ") + n);
    }
    wb.sheets[1].visibility = Visibility::Hidden;
    wb.sheets[2].kind = SheetKind::Chart;
    wb.sheets[2].rows.clear();
    wb.sheets[3].visibility = Visibility::VeryHidden;
    wb.activeSheet = 2;

    const std::string all = Render(wb);
    EXPECT_NE(all.find("<nav><a href=\"#sheet1\">One</a><a href=\"#sheet3\">Three</a></nav>"), std::string::npos);
    EXPECT_NE(all.find("in One"), std::string::npos);
    // Hidden sheets stay in the page, undisplayed and without a tab.
    const size_t two = all.find("<section id=\"sheet2\" hidden>");
    ASSERT_NE(two, std::string::npos);
    EXPECT_GT(all.find("in Two"), two);
    EXPECT_NE(all.find("<section id=\"sheet4\" hidden>"), std::string::npos);
    EXPECT_NE(all.find("in Four"), std::string::npos);
    EXPECT_EQ(all.find("<section id=\"sheet1\" hidden>"), std::string::npos);

    HtmlOptions o;
    o.scope = HtmlOptions::Scope::SheetAt;
    o.sheetPosition = 2;  // hidden, yet asked for by position
    std::string page = Render(wb, o);
    EXPECT_NE(page.find("in Two"), std::string::npos);
    EXPECT_EQ(page.find("<nav>"), std::string::npos);
    EXPECT_NE(page.find("<title>Two</title>"), std::string::npos);
    o.sheetPosition = 3;  // a chart sheet counts
    EXPECT_NE(Render(wb, o).find("id=\"sheet3\""), std::string::npos);
    o.sheetPosition = 5;
    EXPECT_THAT(failure::Of([&] { Render(wb, o); }), FailsWith(ErrorKind::NoSuchSheet));
    o.sheetPosition = 0;
    EXPECT_THAT(failure::Of([&] { Render(wb, o); }), FailsWith(ErrorKind::NoSuchSheet));

    o.scope = HtmlOptions::Scope::ActiveSheet;
    EXPECT_NE(Render(wb, o).find("id=\"sheet3\""), std::string::npos);
    wb.activeSheet = 99;
    EXPECT_NE(Render(wb, o).find("in One"), std::string::npos);
}

TEST(HtmlWriter, StylesAreSharedClasses) {
    Workbook wb = OneSheet();
    Font bold;
    bold.bold = true;
    bold.color = Color::Rgb(0xFF0000);
    wb.styles.fonts.push_back(bold);
    wb.styles.fills.push_back(Fill{Fill::Pattern::Solid, Color::Rgb(0xFFFF00), {}});
    CellFormat f1;
    f1.font = 1;
    f1.fill = 1;
    CellFormat f2 = f1;  // identical look, another index
    f2.numFmt = "@";
    CellFormat centred;
    centred.align.horizontal = HAlign::Center;
    wb.styles.formats = {CellFormat{}, f1, f2, centred};
    Sheet& s = wb.sheets[0];
    for (uint16_t c = 0; c < 4; ++c) PutText(wb, s, 0, c, "t" + std::to_string(c), c % 2 ? 1 : 2);
    PutText(wb, s, 1, 0, "mid", 3);
    PutNumber(s, 1, 1, 7);
    PutText(wb, s, 1, 2, "TRUE", 0, CellType::Bool);
    s.rows[1].cells[2].boolean = true;
    PutText(wb, s, 1, 3, "#DIV/0!", 0, CellType::Error);

    const std::string page = Render(wb);
    EXPECT_EQ(Count(page, "font-weight:bold;color:#ff0000;background:#ffff00"), 1u) << page;
    EXPECT_EQ(Count(Body(page), "class=\"s1"), 4u) << page;
    EXPECT_NE(page.find(".s2{text-align:center}"), std::string::npos) << page;
    EXPECT_NE(page.find("<td class=\"s2\">mid</td>"), std::string::npos) << page;  // centred text stays in
    EXPECT_NE(page.find(".s3{text-align:right}"), std::string::npos);
    EXPECT_NE(page.find("<td class=\"s3\">7</td>"), std::string::npos);
    EXPECT_NE(page.find("<td class=\"s2\">TRUE</td>"), std::string::npos);  // booleans and errors centred
    EXPECT_NE(page.find("<td class=\"s2\">#DIV/0!</td>"), std::string::npos);
}

TEST(HtmlWriter, RichTextRunsAndBadRunBounds) {
    Workbook wb = OneSheet();
    Font red;
    red.color = Color::Rgb(0xC00000);
    wb.styles.fonts.push_back(red);
    Sheet& s = wb.sheets[0];
    PutText(wb, s, 0, 0, "plain red \xC3\xA9t\xC3\xA9");
    wb.strings.back().runs = {{6, 3, 1}, {10, 1, 1}, {200, 5, 1}};  // the second ends inside "é"
    const std::string body = Body(Render(wb));
    EXPECT_NE(body.find("plain <span class=\"s1\">red</span> <span class=\"s1\">\xC3\xA9</span>t\xC3\xA9</td>"),
              std::string::npos)
        << body;
}

TEST(HtmlWriter, PicturesAndCommentsSitAtTheirCells) {
    Workbook wb = OneSheet();
    Sheet& s = wb.sheets[0];
    PutText(wb, s, 0, 0, "x");
    Picture p;
    p.from = Anchor{2, 3, 9525 * 4, 9525 * 5};
    p.widthEmu = 9525 * 30;
    p.heightEmu = 9525 * 10;
    p.contentType = "image/png";
    p.data = "PNG";
    p.description = "a \"logo\"";
    s.pictures.push_back(p);
    Picture emf = p;
    emf.contentType = "image/x-emf";
    s.pictures.push_back(emf);
    s.comments.push_back(Comment{4, 1, "ann", "note\nhere"});
    const std::string body = Body(Render(wb));
    EXPECT_NE(body.find("<img style=\"position:absolute;left:132px;top:65px;width:30px;height:10px\" "
                        "alt=\"a &quot;logo&quot;\" src=\"data:image/png;base64,UE5H\">"),
              std::string::npos)
        << body;
    EXPECT_EQ(Count(body, "<img"), 1u);  // a browser cannot show EMF
    EXPECT_NE(body.find("<td class=\"n\" title=\"note&#10;here\"></td>"), std::string::npos) << body;
}

TEST(HtmlWriter, SameWorkbookSamePage) {
    const auto make = [] {
        Workbook wb = OneSheet();
        for (uint32_t r = 0; r < 50; ++r)
            for (uint16_t c = 0; c < 5; ++c) {
                Font f;
                f.size = 8 + (r * 5 + c) % 7;
                wb.styles.fonts.push_back(f);
                CellFormat cf;
                cf.font = static_cast<uint32_t>(wb.styles.fonts.size() - 1);
                wb.styles.formats.push_back(cf);
                PutNumber(wb.sheets[0], r, c, r * 10.0 + c, static_cast<uint32_t>(wb.styles.formats.size() - 1));
            }
        return wb;
    };
    const Workbook a = make(), b = make();
    const std::string pa = Render(a);
    EXPECT_EQ(pa, Render(b));
    EXPECT_EQ(pa, Render(a));
}

TEST(HtmlWriter, WritesInPlaceOrLeavesTheOldFile) {
    TempDir dir;
    const std::string target = dir / "out.htm";
    Workbook wb = OneSheet();
    PutText(wb, wb.sheets[0], 0, 0, "fresh");
    dir.Write("out.htm", "old");
    WriteHtml(wb, target, {});
    const std::string text = ReadFileText(target);
    EXPECT_NE(text.find("fresh"), std::string::npos);
    EXPECT_NE(text.find("<title>out</title>"), std::string::npos);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);  // no temporary left

    // Temporary names left by a process that died with this one's id are passed over.
    for (int n = 0; n < 50; ++n)
        dir.Write(".quindle-" + std::to_string(getpid()) + "-" + std::to_string(n) + ".tmp", "");
    WriteHtml(wb, target, {});
    EXPECT_EQ(ReadFileText(target), text);
    for (int n = 0; n < 50; ++n)
        std::filesystem::remove(dir / (".quindle-" + std::to_string(getpid()) + "-" + std::to_string(n) + ".tmp"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
    struct stat st {};
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(st.st_mode & 0777, 0666u & ~mask) << "a page is made like any new file";

    // A target nobody may write is refused, and stays as it was.
    chmod(target.c_str(), 0444);
    EXPECT_THROW(WriteHtml(wb, target, {}), ReadOnlyTargetError);
    EXPECT_THAT(failure::Of([&] { WriteHtml(wb, target, {}); }), FailsWith(ErrorKind::FileAccess));
    EXPECT_EQ(ReadFileText(target), text);
    chmod(target.c_str(), 0644);

    HtmlOptions bad;
    bad.scope = HtmlOptions::Scope::SheetAt;
    bad.sheetPosition = 9;
    EXPECT_THAT(failure::Of([&] { WriteHtml(wb, target, bad); }), FailsWith(ErrorKind::NoSuchSheet));
    EXPECT_EQ(ReadFileText(target), text);
    EXPECT_THAT(failure::Of([&] { WriteHtml(wb, dir / "missing/out.htm", {}); }), FailsWith(ErrorKind::FileAccess));
}

TEST(HtmlWriter, LargePageOnDiskEqualsTheRenderedOne) {
    // Big enough that the body goes to disk in pieces before the style sheet is complete.
    Workbook wb = OneSheet();
    Font f;
    const std::string filler(150, '.');
    for (uint32_t r = 0; r < 12000; ++r)
        PutText(wb, wb.sheets[0], r, 0, "row " + std::to_string(r) + filler, r == 11999 ? 1 : 0);
    f.bold = true;
    wb.styles.fonts.push_back(f);
    CellFormat last;
    last.font = 1;
    wb.styles.formats.push_back(last);  // first used at the very end
    TempDir dir;
    const std::string target = dir / "big.htm";
    HtmlOptions o;
    o.title = "big";
    WriteHtml(wb, target, o);
    const std::string page = ReadFileText(target);
    EXPECT_GT(page.size(), size_t(3) << 19);
    EXPECT_EQ(page, RenderHtml(wb, o));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

// A page that outgrows its limit fails with a clear message, written to disk
// or not, and leaves no page behind.
TEST(HtmlWriter, APageOverItsSizeLimitIsRefused) {
    Workbook wb = OneSheet();
    for (uint32_t r = 0; r < 60000; ++r) PutNumber(wb.sheets[0], r, 0, r);
    HtmlOptions small;
    small.maxPageBytes = 1u << 20;
    try {
        RenderHtml(wb, small);
        FAIL() << "a page over its limit";
    } catch (const Error& e) {
        EXPECT_EQ(e.Kind(), ErrorKind::TooLarge);
        EXPECT_STREQ(e.what(), "The page is too large to write (over 1 MiB)");
    }
    TempDir dir;
    EXPECT_THAT(failure::Of([&] { WriteHtml(wb, dir / "big.htm", small); }), FailsWith(ErrorKind::TooLarge));
    EXPECT_FALSE(std::filesystem::exists(dir / "big.htm"));
    EXPECT_NO_THROW(RenderHtml(wb, {}));
}
