// quindle-engine: converts workbooks, or folders of them, to HTML with the
// spreadsheet engine alone, on several threads.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/ProcessSetup.h"
#include "sheets/Loader.h"
#include "sheets/html/HtmlWriter.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kUsage =
    "usage: quindle-engine [-j N] [-o OUT] [--active | --sheet N] INPUT...\n"
    "Converts each workbook (.xls .xlsx .xlsm .xlsb) to OUT/<name>.htm; a folder is\n"
    "searched with its sub-folders, which are kept below OUT. OUT defaults to \".\".\n";

struct Job {
    fs::path source, target;
};

bool IsWorkbook(const fs::path& p) {
    std::string ext = p.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    const std::string name = p.filename().string();
    // "~$" files are the lock files an office application leaves beside an open workbook.
    return name.rfind("~$", 0) != 0 && (ext == ".xls" || ext == ".xlsx" || ext == ".xlsm" || ext == ".xlsb");
}

void Collect(const fs::path& input, const fs::path& out, std::vector<Job>& jobs) {
    std::error_code ec;
    if (fs::is_directory(input, ec)) {
        std::vector<fs::path> found;
        for (auto it = fs::recursive_directory_iterator(input, fs::directory_options::skip_permission_denied, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
            if (it->is_regular_file(ec) && IsWorkbook(it->path())) found.push_back(it->path());
        std::sort(found.begin(), found.end());
        for (const fs::path& p : found) {
            const fs::path rel = p.lexically_relative(input);
            jobs.push_back({p, (out / rel).replace_extension(".htm")});
        }
    } else {
        jobs.push_back({input, (out / input.filename()).replace_extension(".htm")});
    }
}

}  // namespace

int main(int argc, char** argv) {
    platform::PinLocalTimeZone();
    platform::KeepFreedMemory();
    unsigned threads = 1;
    fs::path out = ".";
    sheets::HtmlOptions options;
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::fputs(kUsage, stderr);
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "-j") {
            threads = static_cast<unsigned>(std::max(1, std::atoi(value().c_str())));
        } else if (a.rfind("-j", 0) == 0 && a.size() > 2) {
            threads = static_cast<unsigned>(std::max(1, std::atoi(a.c_str() + 2)));
        } else if (a == "-o") {
            out = value();
        } else if (a == "--active") {
            options.scope = sheets::HtmlOptions::Scope::ActiveSheet;
        } else if (a == "--sheet") {
            options.scope = sheets::HtmlOptions::Scope::SheetAt;
            options.sheetPosition = static_cast<uint32_t>(std::atoi(value().c_str()));
        } else if (a == "-h" || a == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else {
            inputs.emplace_back(a);
        }
    }
    if (inputs.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }

    std::vector<Job> jobs;
    for (const fs::path& in : inputs) Collect(in, out, jobs);
    // Folders first, once each, so that the workers only convert.
    std::vector<fs::path> folders;
    for (const Job& j : jobs) folders.push_back(j.target.parent_path());
    std::sort(folders.begin(), folders.end());
    folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
    for (const fs::path& f : folders) {
        std::error_code ec;
        fs::create_directories(f, ec);
    }

    const auto start = std::chrono::steady_clock::now();
    std::atomic<size_t> next{0};
    std::atomic<size_t> failed{0};
    std::mutex printLock;  // guards standard error between workers
    const auto work = [&] {
        for (size_t i; (i = next.fetch_add(1)) < jobs.size();) {
            const Job& job = jobs[i];
            try {
                const sheets::Workbook wb = sheets::LoadWorkbook(job.source.string());
                sheets::WriteHtml(wb, job.target.string(), options);
            } catch (const std::exception& e) {
                ++failed;
                std::lock_guard<std::mutex> lock(printLock);
                std::fprintf(stderr, "%s: %s\n", job.source.string().c_str(), e.what());
            }
        }
    };
    threads = std::min<unsigned>(threads, static_cast<unsigned>(std::max<size_t>(1, jobs.size())));
    std::vector<std::thread> pool;
    for (unsigned t = 1; t < threads; ++t) pool.emplace_back(work);
    work();
    for (std::thread& t : pool) t.join();

    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%zu workbooks: %zu converted, %zu failed in %.2f s on %u thread%s\n", jobs.size(),
                jobs.size() - failed.load(), failed.load(), seconds, threads, threads == 1 ? "" : "s");
    return failed ? 1 : 0;
}
