#pragma once
// Calendar arithmetic on serial numbers, for the "dates occurring" rules.
#include <cstdint>

namespace sheets::cond {

// year * 12 + month - 1 of a serial number; false for what is no date.
bool MonthOf(double serial, bool date1904, int64_t& monthIndex);

}  // namespace sheets::cond
