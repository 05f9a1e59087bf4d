#pragma once
#include <filesystem>
#include <string>
#include <string_view>

// A fresh folder under the system's temporary folder, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // The path of `rel` inside the folder, as text.
    std::string operator/(std::string_view rel) const { return (path_ / rel).string(); }
    // Writes a file (creating its folders) and returns its path.
    std::string Write(std::string_view rel, std::string_view content) const;

private:
    std::filesystem::path path_;
};

std::string ReadFileText(const std::string& path);
