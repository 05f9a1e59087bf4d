// The floor of a run: writes pages of given sizes and names into a folder and
// does nothing else, on one thread. What the kernel charges for these files
// on this disk is a cost no converter can go below.
//   floor fresh SIZES OUT   create and write each page (OUT is empty)
//   floor rerun SIZES OUT   write each page to a temporary file and rename it
//                           over the page already there
// SIZES: one "BYTES NAME" line per page (NAME relative to OUT, no new lines).
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Page {
    size_t bytes;
    std::string name;
};

[[noreturn]] void Die(const std::string& what) {
    std::fprintf(stderr, "floor: %s: %s\n", what.c_str(), std::strerror(errno));
    std::exit(1);
}

void WriteAll(int fd, const char* p, size_t n, const std::string& name) {
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w < 0) Die(name);
        p += w;
        n -= size_t(w);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 || (std::strcmp(argv[1], "fresh") != 0 && std::strcmp(argv[1], "rerun") != 0)) {
        std::fputs("usage: floor fresh|rerun SIZES OUT\n", stderr);
        return 2;
    }
    const bool rerun = std::strcmp(argv[1], "rerun") == 0;
    std::vector<Page> pages;
    std::ifstream in(argv[2]);
    size_t bytes, largest = 0;
    std::string name;
    while (in >> bytes && std::getline(in >> std::ws, name)) {
        pages.push_back({bytes, name});
        if (bytes > largest) largest = bytes;
    }
    // Page-like bytes: markup is what the pages hold, and the disk does not care.
    std::string body(largest, '\0');
    for (size_t i = 0; i < body.size(); ++i) body[i] = "<td>0123456789</td>\n"[i % 20];
    const std::string out = std::string(argv[3]) + "/";
    const std::string tmp = out + ".floor.tmp";
    for (const Page& p : pages) {
        const std::string path = out + p.name;
        const std::string& opened = rerun ? tmp : path;
        const int fd = ::open(opened.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0) Die(opened);
        WriteAll(fd, body.data(), p.bytes, opened);
        if (::close(fd) != 0) Die(opened);
        if (rerun && ::rename(tmp.c_str(), path.c_str()) != 0) Die(path);
    }
    return 0;
}
