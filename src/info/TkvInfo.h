#pragma once
#include <cstdint>
#include <exception>
#include <mutex>
#include <string>

namespace info {

// Application information: the installation stamp, the usage-counter store,
// and the one operation that opens every outside resource (help file,
// support mail, the vendor's web pages).
class TkvInfo {
public:
    // statsFileName: where the usage store lives; exePath: the program file
    // (its folder gives InstallStamp, its name the help file).
    TkvInfo(std::string exePath, std::string statsFileName);
    ~TkvInfo();

    // value <= 0: add `step` to the counter; value > 0: set it. Safe from
    // any thread.
    void Tally(const std::string& name, int32_t value, int32_t step);
    void OpenLink(const std::string& page, const std::string& action, const std::string& extra);
    bool IsQuiet() const;
    void HandleAppException(const std::exception& e);
    void HandleAppException(const std::string& message);

    // The product profile values that links carry; set at start-up, before
    // any link is opened.
    void SetProduct(std::string title, std::string shortName, std::string version);

    // Stats file name used when none is given: beside the program (its
    // extension replaced by ".ext") or in the user's state folder.
    static std::string DefaultStatsFileName(const std::string& exePath);

    int32_t InstallStamp() const { return installStamp_; }
    // The stored value of a counter (0 when missing); for reports and tests.
    std::string Stat(const std::string& name) const;

    void LoadStats();
    void SaveStats();

    // Builds the text OpenLink hands to the shell; empty when nothing is to
    // be opened (a notice while quiet).
    std::string LinkText(const std::string& page, const std::string& action, const std::string& extra) const;

    // Packs a UTC time as a DOS date-time number; -1 outside 1980..2107.
    static int32_t PackDosTime(int64_t unixSeconds);

private:
    void SaveLocked();  // caller holds mutex_
    std::string ValueLocked(const std::string& name) const;
    bool QuietLocked() const;

    const std::string exePath_;
    const std::string statsFileName_;
    int32_t installStamp_ = -1;  // set in the constructor, read-only afterwards
    mutable std::mutex mutex_;  // guards stats_ and the product values below
    struct Store;
    Store* stats_ = nullptr;
    std::string title_, shortName_, version_;
};

extern TkvInfo* kvInfo;

// The vendor's address and the support mailbox.
inline constexpr const char* kVendorUrl = "http://www.quindle.example";
inline constexpr const char* kSupportMail = "support@quindle.example";

}  // namespace info
