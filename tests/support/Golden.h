#pragma once
#include <filesystem>
#include <string>

// Expects `actual` to equal the file at `path`, byte for byte. With
// QUINDLE_UPDATE_GOLDEN set, writes `actual` there instead: after an intended
// change of the output, run so and read the diff before committing it.
void ExpectGoldenFile(const std::filesystem::path& path, const std::string& actual);
