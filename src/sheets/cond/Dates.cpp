#include <chrono>
#include <cmath>
#include <ctime>

#include "sheets/cond/Dates.h"
#include "sheets/cond/Engine.h"

namespace sheets::cond {
namespace {

int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + int64_t(doe) - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, unsigned& m) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = int64_t(yoe) + era * 400 + (m <= 2);
}

int64_t Epoch(bool date1904) { return date1904 ? DaysFromCivil(1904, 1, 1) : DaysFromCivil(1899, 12, 30); }

}  // namespace

double DateSerial(int year, unsigned month, unsigned day, bool date1904) {
    double days = double(DaysFromCivil(year, month, day) - Epoch(date1904));
    // The 1900 system counts a 29 February 1900 that never was.
    if (!date1904 && days < 61) days -= 1;
    return days;
}

double TodaySerial(bool date1904) {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    localtime_r(&now, &local);
    return DateSerial(local.tm_year + 1900, unsigned(local.tm_mon + 1), unsigned(local.tm_mday), date1904);
}

bool MonthOf(double serial, bool date1904, int64_t& monthIndex) {
    if (!std::isfinite(serial) || serial < 0 || serial > 3e6) return false;
    int64_t days = int64_t(std::floor(serial));
    if (!date1904 && days < 61) days += 1;
    int64_t y;
    unsigned m;
    CivilFromDays(days + Epoch(date1904), y, m);
    monthIndex = y * 12 + (m - 1);
    return true;
}

}  // namespace sheets::cond
