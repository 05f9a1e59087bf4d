#include "batch/TargetClaims.h"

#include <sys/stat.h>

#include "platform/Text.h"

namespace batch {

TkvTargetClaims::TKey TkvTargetClaims::KeyOf(const std::string& target) {
    std::string folder = platform::FolderPart(target);
    struct stat st {};
    if (::stat(folder.empty() ? "." : folder.c_str(), &st) == 0)
        return {st.st_dev, st.st_ino, platform::NamePart(target)};
    return {0, 0, target};
}

std::string TkvTargetClaims::Claim(const std::string& target, const std::string& source) {
    TKey key = KeyOf(target);
    std::lock_guard<std::mutex> lock(mutex_);
    auto [it, added] = owners_.try_emplace(std::move(key), source);
    if (added || it->second == source) return {};
    return it->second;
}

}  // namespace batch
