// The physical floor of one workbook: what reading it costs before a page is
// made. Each mode times itself (wall clock, best of the runs) and prints it.
//   physical inflate FILE [RUNS]   inflate every part, keeping nothing
//   physical load FILE [RUNS]      read the workbook into the engine's model,
//                                  writing nothing
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "sheets/Loader.h"
#include "sheets/container/Zip.h"

namespace {

double Seconds(const std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || (std::strcmp(argv[1], "inflate") != 0 && std::strcmp(argv[1], "load") != 0)) {
        std::fputs("usage: physical inflate|load FILE [RUNS]\n", stderr);
        return 2;
    }
    const bool inflate = std::strcmp(argv[1], "inflate") == 0;
    const int runs = argc > 3 ? std::atoi(argv[3]) : 3;
    double best = 1e9;
    size_t bytes = 0;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        if (inflate) {
            std::ifstream in(argv[2], std::ios::binary);
            const std::string file((std::istreambuf_iterator<char>(in)), {});
            const sheets::ZipPackage zip(file);
            bytes = 0;
            for (const std::string& name : zip.Names())
                zip.Stream(name, [&](const char*, size_t n) {
                    bytes += n;
                    return true;
                });
        } else {
            const sheets::Workbook wb = sheets::LoadWorkbook(argv[2]);
            bytes = wb.sheets.size();
        }
        const double s = Seconds(start);
        if (s < best) best = s;
    }
    std::printf("%s %.3f s (best of %d)%s\n", argv[1], best, runs,
                inflate ? (", " + std::to_string(bytes) + " bytes inflated").c_str() : "");
    return 0;
}
