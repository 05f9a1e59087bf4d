#include "sheets/html/HtmlWriter.h"

#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <system_error>

#include "sheets/Errors.h"
#include "sheets/html/HtmlText.h"
#include "sheets/html/PageFile.h"
#include "sheets/html/SheetTable.h"
#include "sheets/html/WriteBehind.h"

namespace sheets {
namespace {

// Rules every page carries; the workbook's own classes follow them.
constexpr const char* kBaseCss =
    "body{margin:8px;background:#fff;color:#000;font-family:sans-serif}\n"
    "nav{margin:0 0 8px}\n"
    "nav a{display:inline-block;padding:2px 10px;margin:0 2px 2px 0;border:1px solid #a0a0a0;"
    "background:#f0f0f0;color:#000;text-decoration:none;font-size:10pt}\n"
    "section{margin:0 0 24px}\n"
    ".sheet{position:relative}\n"
    "td{padding:0 2px;white-space:pre;vertical-align:bottom;text-align:left;overflow:hidden}\n"
    "td a{color:inherit;text-decoration:inherit}\n"
    ".o{overflow:visible}\n"
    ".x{visibility:hidden}\n"
    // A commented cell: the spreadsheet's red triangle in its top-right corner.
    ".n{position:relative}\n"
    ".n::after{content:\"\";position:absolute;top:0;right:0;border-top:6px solid #f00;"
    "border-left:6px solid transparent}\n";

std::vector<uint32_t> SheetsToShow(const Workbook& wb, const HtmlOptions& options) {
    std::vector<uint32_t> shown;
    switch (options.scope) {
    case HtmlOptions::Scope::Workbook:
        // Hidden sheets are written too, but not displayed, as hidden rows
        // are: the page loses no data and shows nothing the workbook hides.
        for (uint32_t i = 0; i < wb.sheets.size(); ++i) shown.push_back(i);
        break;
    case HtmlOptions::Scope::ActiveSheet:
        if (wb.activeSheet < wb.sheets.size()) {
            shown.push_back(wb.activeSheet);
        } else {
            // A damaged active-sheet index: the first visible sheet stands in.
            for (uint32_t i = 0; i < wb.sheets.size() && shown.empty(); ++i)
                if (wb.sheets[i].visibility == Visibility::Visible) shown.push_back(i);
        }
        break;
    case HtmlOptions::Scope::SheetAt:
        if (options.sheetPosition < 1 || options.sheetPosition > wb.sheets.size())
            throw Error(ErrorKind::NoSuchSheet, "The workbook has no sheet at position " +
                                                    std::to_string(options.sheetPosition) + " (it has " +
                                                    std::to_string(wb.sheets.size()) + ")");
        shown.push_back(options.sheetPosition - 1);
        break;
    }
    return shown;
}

// The page as its head (up to the body's first tag) and its body: a large
// workbook's body is the bulk of the page, and keeping the two apart spares
// a copy of it.
void RenderParts(const Workbook& wb, const HtmlOptions& options, std::string& head, std::string& body,
                 std::function<void(std::string&)> drain = {}) {
    const std::vector<uint32_t> written = SheetsToShow(wb, options);
    // What the reader sees: every sheet asked for alone, else the visible ones.
    std::vector<uint32_t> shown;
    for (uint32_t i : written)
        if (written.size() == 1 || wb.sheets[i].visibility == Visibility::Visible) shown.push_back(i);
    html::Document doc(wb);
    // A page that outgrows a sane size stops here, before it fills the disk.
    uint64_t drained = 0;
    const uint64_t limit = options.maxPageBytes;
    auto tooLarge = [limit] {
        return Error(ErrorKind::TooLarge,
                     "The page is too large to write (over " + std::to_string(limit >> 20) + " MiB)");
    };
    if (drain) {
        doc.drain = [&drained, limit, tooLarge, drain = std::move(drain)](std::string& part) {
            drained += part.size();
            if (drained > limit) throw tooLarge();
            drain(part);
        };
    }
    for (uint32_t i : shown) doc.shownSheets.emplace(html::FoldAscii(wb.sheets[i].name), i);

    if (shown.size() > 1) {
        body += "<nav>";
        for (uint32_t i : shown) {
            body += "<a href=\"#" + html::SheetAnchor(i) + "\">";
            html::AppendEscaped(body, wb.sheets[i].name);
            body += "</a>";
        }
        body += "</nav>\n";
    }
    for (uint32_t i : written) {
        const bool unseen = std::find(shown.begin(), shown.end(), i) == shown.end();
        html::AppendSheet(doc, i, unseen, body);
        if (drained + body.size() > limit) throw tooLarge();
    }
    body += "</body>\n</html>\n";

    head += "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>";
    std::string title = options.title;
    if (title.empty() && shown.size() == 1) title = wb.sheets[shown.front()].name;
    html::AppendEscaped(head, title, false, false);
    head += "</title>\n<style>\n";
    head += kBaseCss;
    doc.styles.AppendRules(head);
    head += "</style>\n</head>\n<body>\n";
    if (drained + body.size() + head.size() > limit) throw tooLarge();
}

// Writes both pieces, in one system call when the kernel takes them whole.
void WriteAll(int fd, std::string_view first, std::string_view second = {}) {
    while (!first.empty() || !second.empty()) {
        iovec parts[2] = {{const_cast<char*>(first.data()), first.size()},
                          {const_cast<char*>(second.data()), second.size()}};
        const ssize_t n = ::writev(fd, parts, 2);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw std::system_error(errno, std::generic_category());
        }
        size_t done = static_cast<size_t>(n);
        const size_t fromFirst = std::min(done, first.size());
        first.remove_prefix(fromFirst);
        second.remove_prefix(done - fromFirst);
    }
}

void CopyRest(int from, int to) {
    if (::lseek(from, 0, SEEK_SET) != 0) throw std::system_error(errno, std::generic_category());
    for (;;) {
        const ssize_t n = ::copy_file_range(from, nullptr, to, nullptr, size_t(1) << 30, 0);
        if (n > 0) continue;
        if (n == 0) return;
        if (errno == EINTR) continue;
        if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)
            throw std::system_error(errno, std::generic_category());
        break;  // not offered here: copy through a buffer
    }
    std::string buf(size_t(1) << 20, '\0');
    for (;;) {
        const ssize_t n = ::read(from, buf.data(), buf.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw std::system_error(errno, std::generic_category());
        if (n == 0) return;
        WriteAll(to, std::string_view(buf.data(), static_cast<size_t>(n)));
    }
}

}  // namespace

std::string RenderHtml(const Workbook& wb, const HtmlOptions& options) {
    std::string head, body;
    RenderParts(wb, options, head, body);
    return head + body;
}

void WriteHtml(const Workbook& wb, const std::string& path, const HtmlOptions& options) {
    HtmlOptions opts = options;
    if (opts.title.empty()) opts.title = std::filesystem::path(path).stem().string();
    // The page is written where it goes and named only once it is whole, so
    // that a crash midway never leaves a half-written page. No fsync: it
    // would cost more than the conversion of a small workbook.
    try {
        // A large body goes to a file of its own while the style sheet, which
        // precedes it, is still growing; the page is then put together on disk.
        int bodyFile = -1;
        struct Closer {
            int& fd;
            ~Closer() {
                if (fd >= 0) ::close(fd);
            }
        } closeBody{bodyFile};
        std::optional<html::WriteBehind> bodyWriter;
        std::string head, body;
        RenderParts(wb, opts, head, body, [&](std::string& part) {
            if (bodyFile < 0) {
                bodyFile = html::ScratchFile(path);
                bodyWriter.emplace(bodyFile);
            }
            bodyWriter->Put(part);
        });
        html::PageFile page(path);
        if (bodyFile >= 0) {
            bodyWriter->Put(body);
            bodyWriter->Finish();
            WriteAll(page.Fd(), head);
            CopyRest(bodyFile, page.Fd());
        } else {
            WriteAll(page.Fd(), head, body);
        }
        page.Publish();
    } catch (const std::system_error& e) {
        throw Error(ErrorKind::FileAccess, "Cannot write " + path + ": " + std::strerror(e.code().value()));
    }
}

}  // namespace sheets
