#include "support/Golden.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

void ExpectGoldenFile(const std::filesystem::path& path, const std::string& actual) {
    if (std::getenv("QUINDLE_UPDATE_GOLDEN")) {
        std::ofstream(path, std::ios::binary) << actual;
        return;
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << "missing " << path;
    std::stringstream want;
    want << in.rdbuf();
    EXPECT_EQ(actual, want.str()) << "differs from " << path;
}
