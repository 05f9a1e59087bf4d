#pragma once
// Days of the proleptic Gregorian calendar, which workbook date serials count.
#include <cstdint>

namespace sheets {

// Days from 1970-01-01 to the given date (month 1..12, day 1..31); negative before.
int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day);
// The day a workbook's serial 0 stands for, in the same count: 1899-12-30,
// or 1904-01-01 in the 1904 date system.
int64_t EpochDay(bool date1904);
// The serial number of a date in a workbook's date system. The 1900 system
// counts a 29 February 1900 that never was, so its serials from March 1900 on
// are one higher than the days since its epoch.
double DateSerial(int64_t year, unsigned month, unsigned day, bool date1904);

}  // namespace sheets
