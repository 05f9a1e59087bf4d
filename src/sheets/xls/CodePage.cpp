#include "sheets/xls/CodePage.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace sheets::xls {
namespace {

// iconv's name for a Windows code page number.
std::string IconvName(uint16_t id) {
    switch (id) {
    case 367: return "ASCII";
    case 10000:
    case 32768: return "MACINTOSH";
    case 10006: return "MACGREEK";
    case 10007: return "MACCYRILLIC";
    case 10029: return "MACCENTRALEUROPE";
    case 10079: return "MACICELAND";
    case 10081: return "MACTURKISH";
    case 32769:
    case 1200:
    case 0: return "CP1252";
    case 20866: return "KOI8-R";
    case 21866: return "KOI8-U";
    case 28591: return "ISO-8859-1";
    case 28592: return "ISO-8859-2";
    case 28595: return "ISO-8859-5";
    case 1361: return "JOHAB";
    default: return "CP" + std::to_string(id);
    }
}

bool MultiByte(uint16_t id) { return id == 932 || id == 936 || id == 949 || id == 950 || id == 1361; }

// Converts with iconv; undecodable bytes become U+FFFD.
bool Convert(iconv_t cd, std::string_view in, std::string& out) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    std::vector<char> buf(in.size() * 4 + 16);
    while (srcLeft > 0) {
        char* dst = buf.data();
        size_t dstLeft = buf.size();
        size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buf.data(), dst);
        if (r == size_t(-1)) {
            if (errno == E2BIG) continue;
            out += "\xEF\xBF\xBD";
            ++src;  // skip the bad byte (or the cut-off lead byte) and go on
            --srcLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    return true;
}

}  // namespace

CodePage::CodePage(uint16_t id) : id_(id) {
    std::string name = IconvName(id);
    iconv_t cd = iconv_open("UTF-8", name.c_str());
    if (cd == iconv_t(-1)) {
        id_ = 1252;
        name = "CP1252";
        cd = iconv_open("UTF-8", name.c_str());
    }
    if (cd != iconv_t(-1) && MultiByte(id_)) {
        iconvName_ = name;
        iconv_ = std::shared_ptr<void>(cd, [](void* h) { iconv_close(iconv_t(h)); });
        return;
    }
    for (int b = 0; b < 256; ++b) {
        if (b < 0x80) {
            table_[b] = std::string(1, char(b));
            continue;
        }
        std::string s;
        if (cd != iconv_t(-1)) {
            char c = char(b);
            char out[8];
            char* src = &c;
            size_t srcLeft = 1;
            char* dst = out;
            size_t dstLeft = sizeof out;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) != size_t(-1)) s.assign(out, dst);
        }
        table_[b] = s.empty() ? "\xEF\xBF\xBD" : s;
    }
    if (cd != iconv_t(-1)) iconv_close(cd);
}

std::string CodePage::ToUtf8(std::string_view bytes) const {
    std::string out;
    if (iconv_) {
        Convert(iconv_t(iconv_.get()), bytes, out);
        return out;
    }
    out.reserve(bytes.size());
    for (unsigned char b : bytes) out += table_[b];
    return out;
}

}  // namespace sheets::xls
