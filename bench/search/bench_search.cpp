// Folder search and hand-out timings. See run.sh.
//   bench_search make DIR         builds the tree
//   bench_search run DIR [ROUNDS] times it
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "batch/Match.h"
#include "batch/Search.h"
#include "batch/TkvBatch.h"
#include "platform/Switches.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kTopFolders = 10;
constexpr int kSubFolders = 99;  // per top folder: 10 + 990 = 1,000 folders
constexpr int kFilesPerFolder = 100;
constexpr int kWorkers = 8;
constexpr int kHandOutEntries = 100'000;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void MakeFolderFiles(const std::string& folder, int& serial) {
    static const char* const kWorkbook[] = {".xls", ".xlsx", ".xlsm", ".XLSX"};
    static const char* const kOther[] = {".txt", ".csv", ".docx", ".pdf"};
    for (int i = 0; i < kFilesPerFolder; ++i, ++serial) {
        std::string name;
        if (serial % 29 == 0) name = ".";  // hidden
        if (serial % 31 == 0) name = "~$";  // owner file
        name += "file" + std::to_string(serial);
        name += serial % 10 == 0 ? kWorkbook[(serial / 10) % 4] : kOther[serial % 4];
        int fd = open((folder + name).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        if (fd < 0) {
            perror(name.c_str());
            exit(1);
        }
        close(fd);
    }
}

int Make(const std::string& root) {
    mkdir(root.c_str(), 0755);
    int serial = 0;
    for (int t = 0; t < kTopFolders; ++t) {
        std::string top = root + "/top" + std::to_string(t) + "/";
        mkdir(top.c_str(), 0755);
        MakeFolderFiles(top, serial);
        for (int s = 0; s < kSubFolders; ++s) {
            std::string sub = top + "sub" + std::to_string(s) + "/";
            mkdir(sub.c_str(), 0755);
            MakeFolderFiles(sub, serial);
        }
    }
    std::printf("tree: %d files in %d folders under %s\n", serial, kTopFolders * (kSubFolders + 1), root.c_str());
    return 0;
}

double TimeFind(const std::string& root) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const char* argv[] = {"find", root.c_str(), "-iname", "*.xls?", nullptr};
    auto start = Clock::now();
    pid_t pid;
    if (posix_spawnp(&pid, "find", &actions, nullptr, const_cast<char**>(argv), environ) != 0) {
        perror("find");
        exit(1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    double t = Seconds(Clock::now() - start);
    posix_spawn_file_actions_destroy(&actions);
    return t;
}

// The walk with the file filter, as the batch's search thread does it.
double TimeSearch(const std::string& root, size_t* found) {
    auto start = Clock::now();
    size_t n = 0;
    batch::SearchFolder(
        root + "/", "*.xls?", true, false, [] { return false; },
        [&](const std::string& path) { n += batch::AcceptsFile(path, "*.xls?", "") ? 1 : 0; });
    double t = Seconds(Clock::now() - start);
    *found = n;
    return t;
}

// A whole batch: search thread, entries, and `workers` threads waiting for
// them; ends when every worker got its last answer.
double TimeBatch(const std::string& source, int workers, size_t* handedOut) {
    std::atomic<size_t> taken{0};
    auto start = Clock::now();
    {
        batch::TkvBatch batch;
        batch.Start(source, "/tmp/", true);
        std::vector<std::thread> pool;
        for (int i = 0; i < workers; ++i)
            pool.emplace_back([&] {
                while (batch.NextNode()) taken.fetch_add(1, std::memory_order_relaxed);
            });
        if (workers == 0)
            while (batch.NextNode()) taken.fetch_add(1, std::memory_order_relaxed);
        for (auto& t : pool) t.join();
    }
    *handedOut = taken;
    return Seconds(Clock::now() - start);
}

// Hand-out alone: a batch that already holds the entries, drained by waiting workers.
double TimeHandOut(const std::vector<std::string>& paths, int workers) {
    batch::TkvBatch batch;
    for (const std::string& p : paths) batch.AddFile(p);
    std::atomic<size_t> taken{0};
    auto start = Clock::now();
    std::vector<std::thread> pool;
    for (int i = 0; i < workers; ++i)
        pool.emplace_back([&] {
            while (batch.NextNode()) taken.fetch_add(1, std::memory_order_relaxed);
        });
    for (auto& t : pool) t.join();
    double t = Seconds(Clock::now() - start);
    if (taken != paths.size()) std::printf("hand-out lost entries: %zu of %zu\n", taken.load(), paths.size());
    return t;
}

int Run(const std::string& root, int rounds) {
    batch::TkvMatch matcher;
    batch::kvMatch = &matcher;
    platform::SkipLockFiles = true;

    size_t found = 0, batchFound = 0, all = 0;
    TimeFind(root);  // warm the folder cache for both
    TimeSearch(root, &found);
    std::vector<double> find, search, batch1, batch8, batchAll0, batchAll8;
    for (int r = 0; r < rounds; ++r) {
        find.push_back(TimeFind(root));
        search.push_back(TimeSearch(root, &found));
        batch1.push_back(TimeBatch(root + "/*.xls?", 0, &batchFound));
        batch8.push_back(TimeBatch(root + "/*.xls?", kWorkers, &batchFound));
        batchAll0.push_back(TimeBatch(root + "/*", 0, &all));
        batchAll8.push_back(TimeBatch(root + "/*", kWorkers, &all));
    }
    double f = Median(find), s = Median(search), b1 = Median(batch1), b8 = Median(batch8);
    std::printf("medians of %d rounds\n", rounds);
    std::printf("  find -iname '*.xls?'            %8.1f ms\n", f * 1e3);
    std::printf("  SearchFolder + filter           %8.1f ms  %zu files  ratio %.2f\n", s * 1e3, found, s / f);
    std::printf("  batch search, 1 reader          %8.1f ms  %zu files  ratio %.2f\n", b1 * 1e3, batchFound, b1 / f);
    std::printf("  batch search, %d waiting workers %8.1f ms  %zu files  ratio %.2f\n", kWorkers, b8 * 1e3, batchFound,
                b8 / f);
    std::printf("  batch, mask *, 1 reader         %8.1f ms  %zu files\n", Median(batchAll0) * 1e3, all);
    std::printf("  batch, mask *, %d workers        %8.1f ms  %zu files\n", kWorkers, Median(batchAll8) * 1e3, all);

    std::vector<std::string> paths;
    paths.reserve(kHandOutEntries);
    for (int i = 0; i < kHandOutEntries; ++i) paths.push_back("/in/file" + std::to_string(i) + ".xlsx");
    std::vector<double> hand;
    for (int r = 0; r < rounds; ++r) hand.push_back(TimeHandOut(paths, kWorkers));
    double h = Median(hand);
    std::printf("  hand-out of %d entries to %d workers %8.1f ms  (%.0f ns per entry)\n", kHandOutEntries, kWorkers,
                h * 1e3, h * 1e9 / kHandOutEntries);
    batch::kvMatch = nullptr;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "make") == 0) return Make(argv[2]);
    if (argc >= 3 && std::strcmp(argv[1], "run") == 0)
        return Run(argv[2], argc >= 4 ? std::max(1, std::atoi(argv[3])) : 7);
    std::fprintf(stderr, "usage: bench_search make DIR | run DIR [ROUNDS]\n");
    return 2;
}
