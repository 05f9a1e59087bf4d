#include "sheets/html/HtmlWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "sheets/Errors.h"
#include "sheets/html/HtmlText.h"
#include "sheets/html/SheetTable.h"

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
    ".x{visibility:hidden}\n";

std::vector<uint32_t> SheetsToShow(const Workbook& wb, const HtmlOptions& options) {
    std::vector<uint32_t> shown;
    switch (options.scope) {
        case HtmlOptions::Scope::Workbook:
            for (uint32_t i = 0; i < wb.sheets.size(); ++i)
                if (wb.sheets[i].visibility == Visibility::Visible) shown.push_back(i);
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
                throw Error("The workbook has no sheet at position " + std::to_string(options.sheetPosition) +
                            " (it has " + std::to_string(wb.sheets.size()) + ")");
            shown.push_back(options.sheetPosition - 1);
            break;
    }
    return shown;
}

std::string FoldCase(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

}  // namespace

std::string RenderHtml(const Workbook& wb, const HtmlOptions& options) {
    const std::vector<uint32_t> shown = SheetsToShow(wb, options);
    html::Document doc(wb);
    for (uint32_t i : shown) doc.shownSheets.emplace(FoldCase(wb.sheets[i].name), i);

    std::string body;
    if (shown.size() > 1) {
        body += "<nav>";
        for (uint32_t i : shown) {
            body += "<a href=\"#" + html::SheetAnchor(i) + "\">";
            html::AppendEscaped(body, wb.sheets[i].name);
            body += "</a>";
        }
        body += "</nav>\n";
    }
    for (uint32_t i : shown) html::AppendSheet(doc, i, body);

    std::string page;
    page.reserve(body.size() + 4096);
    page += "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>";
    std::string title = options.title;
    if (title.empty() && shown.size() == 1) title = wb.sheets[shown.front()].name;
    html::AppendEscaped(page, title, false, false);
    page += "</title>\n<style>\n";
    page += kBaseCss;
    doc.styles.AppendRules(page);
    page += "</style>\n</head>\n<body>\n";
    page += body;
    page += "</body>\n</html>\n";
    return page;
}

void WriteHtml(const Workbook& wb, const std::string& path, const HtmlOptions& options) {
    HtmlOptions opts = options;
    if (opts.title.empty()) opts.title = std::filesystem::path(path).stem().string();
    const std::string page = RenderHtml(wb, opts);

    // A temporary file in the target's folder, so that the rename stays on one file system.
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) throw Error("Cannot write " + path + ": " + std::strerror(errno));
    const char* p = page.data();
    size_t left = page.size();
    int err = 0;
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            err = errno;
            break;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    if (!err && ::fsync(fd) != 0) err = errno;
    // mkstemp makes the file private; a page is meant to be read like any other
    // file. (Asking for the umask would change it for every thread for a moment.)
    ::fchmod(fd, 0644);
    if (::close(fd) != 0 && !err) err = errno;
    if (!err && std::rename(temp.c_str(), path.c_str()) != 0) err = errno;
    if (err) {
        ::unlink(temp.c_str());
        throw Error("Cannot write " + path + ": " + std::strerror(err));
    }
}

}  // namespace sheets
