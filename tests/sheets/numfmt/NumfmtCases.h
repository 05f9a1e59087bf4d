#pragma once
// Table-driven checks for number formats: code, value, the text a
// spreadsheet shows.
#include <gtest/gtest.h>

#include <initializer_list>

#include "sheets/numfmt/NumberFormat.h"

namespace numfmt_test {

struct Case {
    const char* code;
    double value;
    const char* shown;
};

inline void ExpectShown(std::initializer_list<Case> cases, bool date1904 = false) {
    for (const Case& c : cases) {
        auto f = sheets::NumberFormat::Compile(c.code);
        EXPECT_EQ(f->Format(c.value, date1904).text, c.shown)
            << "code " << c.code << " value " << c.value << (date1904 ? " (1904)" : "");
    }
}

}  // namespace numfmt_test
