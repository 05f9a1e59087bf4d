#pragma once
#include <cstdint>
#include <exception>
#include <mutex>
#include <string>

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

    int32_t InstallStamp() const { return installStamp_; }
    // The stored value of a counter (0 when missing); for reports and tests.
    std::string Stat(const std::string& name) const;

    void LoadStats();
    void SaveStats();

private:
    // ... implementation-defined members
    std::string exePath_;
    std::string statsFileName_;
    int32_t installStamp_ = -1;
    mutable std::mutex mutex_;  // guards the store
    struct Store;
    Store* stats_ = nullptr;
};

extern TkvInfo* kvInfo;

// The vendor's address and the support mailbox.
inline constexpr const char* kVendorUrl = "http://www.quindle.example";
inline constexpr const char* kSupportMail = "support@quindle.example";
