#pragma once
#include <sys/types.h>

#include <map>
#include <mutex>
#include <string>
#include <tuple>

namespace batch {

// The pages of one run and the source each is written for. Within a run a
// page belongs to the first source that claims it: a second source that maps
// to the same page (report.xls and report.xlsx) must not replace it. A page
// is known by its folder (the folder itself, however its path is written)
// and its name.
class TkvTargetClaims {
public:
    // Claims `target` for `source`; answers the source that holds it already
    // (empty when it is free or held by `source`, which then holds it).
    std::string Claim(const std::string& target, const std::string& source);

private:
    struct TKey {
        dev_t Dev;
        ino_t Ino;
        std::string Name;  // the whole path when the folder cannot be looked at
        bool operator<(const TKey& o) const { return std::tie(Dev, Ino, Name) < std::tie(o.Dev, o.Ino, o.Name); }
    };
    static TKey KeyOf(const std::string& target);

    std::mutex mutex_;  // guards owners_
    std::map<TKey, std::string> owners_;
};

}  // namespace batch
