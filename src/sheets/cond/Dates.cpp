#include <chrono>
#include <cmath>
#include <ctime>

#include "sheets/cond/Dates.h"
#include "sheets/cond/Engine.h"
#include "sheets/model/Calendar.h"

namespace sheets::cond {
namespace {

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

}  // namespace

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
    CivilFromDays(days + EpochDay(date1904), y, m);
    monthIndex = y * 12 + (m - 1);
    return true;
}

}  // namespace sheets::cond
