#include "info/TkvInfo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <cstdlib>
#include <ctime>
#include <stdexcept>
#include <utility>
#include <vector>

#include "info/Counters.h"
#include "platform/Files.h"
#include "platform/FolderLock.h"
#include "platform/InstallLayout.h"
#include "platform/Shell.h"
#include "platform/Text.h"
#include "text/Utf8.h"

namespace info {

TkvInfo* kvInfo = nullptr;

// Entries in the order they were first set; names compare exactly, so that
// the marker "v" and a counter "V" stay apart.
struct TkvInfo::Store {
    // A change not yet in the file: set `value` when it is above 0, else add `step`.
    struct Change {
        std::string name;
        int32_t value, step;
    };
    std::vector<std::pair<std::string, std::string>> entries;  // what the counters say here
    std::vector<std::pair<std::string, std::string>> base;  // the file as last read or written
    std::vector<Change> pending;  // this process's changes since then

    std::pair<std::string, std::string>* Find(const std::string& name) {
        for (auto& e : entries)
            if (e.first == name) return &e;
        return nullptr;
    }
    void Set(const std::string& name, const std::string& value) {
        if (auto* e = Find(name)) e->second = value;
        else entries.emplace_back(name, value);
    }
    void Apply(const Change& c);
};

namespace {

// The store file is plain name=value lines under a header, so that a person
// can read it and set the quiet flag "+" by hand.
constexpr const char* kStoreHeader = "# Quindle usage counters";
constexpr size_t kMaxStoreBytes = 1 << 20;

std::string Encode(const std::vector<std::pair<std::string, std::string>>& entries) {
    std::string out = kStoreHeader;
    out += '\n';
    for (const auto& [name, value] : entries) out += name + "=" + value + "\n";
    return out;
}

bool Decode(const std::string& text, std::vector<std::pair<std::string, std::string>>& entries) {
    if (text.find('\0') != std::string::npos || !text::IsValidUtf8(text)) return false;
    std::vector<std::pair<std::string, std::string>> out;
    size_t pos = 0;
    bool first = true;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (first) {
            if (line != kStoreHeader) return false;
            first = false;
            continue;
        }
        if (line.empty() || line[0] == '#') continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos || eq == 0) return false;
        std::string name = line.substr(0, eq);
        bool dup = false;
        for (auto& e : out)
            if (e.first == name) dup = true;
        if (!dup) out.emplace_back(std::move(name), line.substr(eq + 1));
    }
    if (first) return false;
    entries = std::move(out);
    return true;
}

// A store of ours read whole; false when it is missing, unreadable, damaged
// or someone else's (no start counter).
bool ReadStore(const std::string& fileName, std::vector<std::pair<std::string, std::string>>& entries) {
    std::vector<std::pair<std::string, std::string>> read;
    try {
        if (!Decode(platform::ReadWholeFile(fileName, kMaxStoreBytes), read)) return false;
    } catch (const std::exception&) {
        return false;
    }
    for (const auto& e : read) {
        if (e.first == kCountStarts) {
            entries = std::move(read);
            return true;
        }
    }
    return false;
}

std::string RemoveQuotes(std::string s) {
    std::erase(s, '"');
    return s;
}

int32_t FolderStamp(const std::string& exePath) {
    std::string folder = platform::FolderPart(exePath);
    if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    if (folder.empty()) folder = ".";
    struct statx stx {};
    if (::statx(AT_FDCWD, folder.c_str(), 0, STATX_BTIME | STATX_MTIME, &stx) != 0) return -1;
    if (stx.stx_mask & STATX_BTIME) return TkvInfo::PackDosTime(stx.stx_btime.tv_sec);
    if (stx.stx_mask & STATX_MTIME) return TkvInfo::PackDosTime(stx.stx_mtime.tv_sec);
    return -1;
}

}  // namespace

int32_t TkvInfo::PackDosTime(int64_t unixSeconds) {
    const time_t t = static_cast<time_t>(unixSeconds);
    struct tm tm {};
    if (!gmtime_r(&t, &tm)) return -1;
    const int year = tm.tm_year + 1900;
    if (year < 1980 || year > 2107) return -1;
    const uint32_t date = (uint32_t(year - 1980) << 9) | (uint32_t(tm.tm_mon + 1) << 5) | uint32_t(tm.tm_mday);
    const uint32_t time = (uint32_t(tm.tm_hour) << 11) | (uint32_t(tm.tm_min) << 5) | uint32_t(tm.tm_sec / 2);
    return static_cast<int32_t>((date << 16) | time);
}

std::string TkvInfo::DefaultStatsFileName(const std::string& exePath) {
    return platform::WritableBeside(exePath, platform::ChangeFileExt(platform::NamePart(exePath), ".ext"));
}

TkvInfo::TkvInfo(std::string exePath, std::string statsFileName)
    : exePath_(std::move(exePath)), statsFileName_(std::move(statsFileName)), stats_(new Store) {
    installStamp_ = FolderStamp(exePath_);
    LoadStats();
    try {
        Tally(kCountStarts, 0, 1);
    } catch (const std::exception&) {
        // A store that cannot be written (read-only home on a server) must
        // not keep the program from starting; the count stays in memory.
    }
}

TkvInfo::~TkvInfo() {
    try {
        SaveStats();
    } catch (...) {
        // The last save at exit has nobody left to report to.
    }
    delete stats_;
}

void TkvInfo::SetProduct(std::string title, std::string shortName, std::string version) {
    std::lock_guard lock(mutex_);
    title_ = std::move(title);
    shortName_ = std::move(shortName);
    version_ = std::move(version);
}

void TkvInfo::LoadStats() {
    std::vector<std::pair<std::string, std::string>> entries;
    if (!ReadStore(statsFileName_, entries)) entries.clear();
    std::lock_guard lock(mutex_);
    stats_->entries = std::move(entries);
    stats_->Set(kStoreFormat, kStoreFormatValue);
    stats_->base = stats_->entries;
    stats_->pending.clear();
}

void TkvInfo::SaveStats() {
    std::lock_guard lock(mutex_);
    SaveLocked();
}

void TkvInfo::SaveLocked() {
    if (statsFileName_.empty()) return;
    const std::string folder = platform::FolderPart(statsFileName_);
    if (!folder.empty() && !platform::DirectoryExists(folder)) platform::ForceDirectories(folder);
    // Other runs of the program count into the same file at the same time:
    // under the lock the file is read again and this process's changes are
    // applied to what it holds now, so no run's counts are lost.
    platform::TFolderLock lock(statsFileName_);
    std::vector<std::pair<std::string, std::string>> current;
    if (ReadStore(statsFileName_, current)) stats_->base = std::move(current);
    Store merged;
    merged.entries = stats_->base;
    merged.Set(kStoreFormat, kStoreFormatValue);
    for (const Store::Change& c : stats_->pending) merged.Apply(c);
    stats_->entries = merged.entries;
    platform::AtomicWriteFile(statsFileName_, Encode(merged.entries), platform::TDurability::Replaceable);
    stats_->base = std::move(merged.entries);
    stats_->pending.clear();
}

void TkvInfo::Store::Apply(const Change& c) {
    int32_t value = c.value;
    if (value <= 0) {
        int32_t old = 0;
        const auto* e = Find(c.name);
        if (!e || !platform::TryParseInt32(e->second, old)) old = 0;
        // Counters wrap like the 32-bit numbers they are instead of
        // overflowing.
        value = static_cast<int32_t>(static_cast<uint32_t>(old) + static_cast<uint32_t>(c.step));
    }
    Set(c.name, std::to_string(value));
}

void TkvInfo::Tally(const std::string& name, int32_t value, int32_t step) {
    std::lock_guard lock(mutex_);
    const Store::Change change{name, value, step};
    const std::string before = ValueLocked(name);
    stats_->Apply(change);
    if (ValueLocked(name) == before) return;
    stats_->pending.push_back(change);
    SaveLocked();
}

std::string TkvInfo::ValueLocked(const std::string& name) const {
    auto* e = stats_->Find(name);
    return e ? e->second : std::string();
}

std::string TkvInfo::Stat(const std::string& name) const {
    std::lock_guard lock(mutex_);
    return ValueLocked(name);
}

bool TkvInfo::QuietLocked() const {
    bool quiet = false;
    if (const char* env = std::getenv("QUINDLE_QUIET"); env && platform::TryParseBool(env, quiet) && quiet) return true;
    quiet = false;
    return platform::TryParseBool(ValueLocked(kQuietFlag), quiet) && quiet;
}

bool TkvInfo::IsQuiet() const {
    std::lock_guard lock(mutex_);
    return QuietLocked();
}

std::string TkvInfo::LinkText(const std::string& page, const std::string& action, const std::string& extra) const {
    std::lock_guard lock(mutex_);
    if (page == "supports") {
        std::string title = title_;
        if (const size_t amp = title.find('&'); amp != std::string::npos) title.replace(amp, 1, "And");
        return std::string("mailto:") + kSupportMail + "?subject=Support required for " + title + " " + version_ +
               " - " + std::to_string(installStamp_);
    }
    if (page == "h") {
        // The manual is HTML, shipped beside the build and with the
        // installation; a system that left it out (a minimal image drops
        // /usr/share/doc) still gets the same manual from the web.
        const std::string manual = platform::ManualFile(exePath_);
        return manual.empty() ? std::string(kVendorUrl) + "/en/" + shortName_ + "/manual.htm" : manual;
    }
    std::string address = kVendorUrl;
    if (!page.empty()) {
        address += "/en/" + shortName_ + "/" + page + ".htm";
    } else if (!action.empty()) {
        if (QuietLocked()) return {};
        address += "/net/";
    }
    std::string counters;
    for (const auto& [name, value] : stats_->entries) {
        if (!name.empty() && name[0] >= 'A' && name[0] <= 'Z') {
            counters += static_cast<char>(name[0] - 'A' + 'a');
            counters += value;
        }
    }
    std::string query;
    auto add = [&](const char* key, const std::string& value) {
        if (value.empty()) return;
        if (!query.empty()) query += '&';
        query += key;
        query += '=';
        query += RemoveQuotes(value);
    };
    add("a", action);
    add("p", shortName_);
    add("v", version_);
    add("c", counters);
    add("i", std::to_string(installStamp_));
    if (!extra.empty()) query += "&" + extra;
    return address + "?" + query;
}

void TkvInfo::OpenLink(const std::string& page, const std::string& action, const std::string& extra) {
    const std::string text = LinkText(page, action, extra);
    if (!text.empty()) platform::ShellOpen(text);
}

void TkvInfo::HandleAppException(const std::exception& e) { HandleAppException(std::string(e.what())); }

void TkvInfo::HandleAppException(const std::string& message) {
    try {
        Tally(kCountErrors, 0, 1);
    } catch (...) {
        // Reporting the error matters more than counting it.
    }
    OpenLink("", "err&e=" + message, "");
}

}  // namespace info
