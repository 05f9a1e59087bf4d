#include "sheets/model/Calendar.h"

namespace sheets {

int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    // Counted from March, so that the leap day ends a year.
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + int64_t(doe) - 719468;
}

int64_t EpochDay(bool date1904) { return date1904 ? DaysFromCivil(1904, 1, 1) : DaysFromCivil(1899, 12, 30); }

double DateSerial(int64_t year, unsigned month, unsigned day, bool date1904) {
    double days = double(DaysFromCivil(year, month, day) - EpochDay(date1904));
    if (!date1904 && days < 61) days -= 1;
    return days;
}

}  // namespace sheets
