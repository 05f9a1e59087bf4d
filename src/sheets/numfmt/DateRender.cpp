// Serial numbers as dates and times, in the 1900 or the 1904 date system.
#include <cmath>
#include <cstdint>

#include "sheets/numfmt/FormatCode.h"

namespace sheets::numfmt {
namespace {

constexpr const char* kMonths[12] = {"January", "February", "March",     "April",   "May",      "June",
                                     "July",    "August",   "September", "October", "November", "December"};
constexpr const char* kDays[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

// The last day a spreadsheet can show: 9999-12-31.
constexpr int64_t kMaxSerial1900 = 2958465;
constexpr int64_t kMaxSerial1904 = kMaxSerial1900 - 1462;

struct Civil {
    int y, m, d;
};

// Days since 1970-01-01 to a proleptic Gregorian date.
Civil FromDays(int64_t z) {
    z += 719468;
    int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t y = yoe + era * 400;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    int d = int(doy - (153 * mp + 2) / 5 + 1);
    int m = int(mp < 10 ? mp + 3 : mp - 9);
    return {int(y + (m <= 2)), m, d};
}

constexpr int64_t kDays1899_12_31 = -25568;  // days from 1970-01-01
constexpr int64_t kDays1904_01_01 = -24107;

void Num(std::string& out, int64_t v, int width) {
    char buf[24];
    int n = 0;
    bool neg = v < 0;
    uint64_t u = neg ? uint64_t(-v) : uint64_t(v);
    do {
        buf[n++] = char('0' + u % 10);
        u /= 10;
    } while (u);
    while (n < width && n < 20) buf[n++] = '0';
    if (neg) out += '-';
    while (n) out += buf[--n];
}

}  // namespace

bool RenderDate(const Section& s, double serial, bool date1904, std::string& out, size_t* fillAt) {
    if (!(serial >= 0)) return false;
    int64_t maxSerial = date1904 ? kMaxSerial1904 : kMaxSerial1900;
    if (serial >= double(maxSerial + 1)) return false;

    // Round once, to the precision of the seconds shown, so that 23:59:59.7
    // under "h:mm:ss" rolls over into the next day as the spreadsheet does.
    int64_t perSec = 1;
    for (int i = 0; i < s.secDecimals; ++i) perSec *= 10;
    const int64_t perDay = 86400 * perSec;
    int64_t days = static_cast<int64_t>(std::floor(serial));
    int64_t units = static_cast<int64_t>(std::floor((serial - double(days)) * double(perDay) + 0.5));
    if (units >= perDay) {
        ++days;
        units -= perDay;
    }
    if (days > maxSerial) return false;
    const int64_t totalUnits = days * perDay + units;
    const int64_t secOfDay = units / perSec;
    const int hour = int(secOfDay / 3600), minute = int(secOfDay / 60 % 60), second = int(secOfDay % 60);
    const int64_t sub = units % perSec;

    Civil c;
    int weekday;
    if (date1904) {
        c = FromDays(kDays1904_01_01 + days);
        weekday = int((days + 5) % 7);
    } else {
        // The 1900 system counts a 29 February 1900 that never was (serial
        // 60), and serial 0 is the day before 1 January 1900.
        if (days == 0) c = {1900, 1, 0};
        else if (days == 60) c = {1900, 2, 29};
        else c = FromDays(kDays1899_12_31 + days - (days > 60 ? 1 : 0));
        weekday = int((days + 6) % 7);
    }

    for (const Token& t : s.tokens) {
        switch (t.kind) {
        case Tok::Literal: out += t.text; break;
        case Tok::Fill: MarkFill(out, fillAt); break;
        case Tok::Year2: Num(out, c.y % 100, 2); break;
        case Tok::Year4: Num(out, c.y, 4); break;
        case Tok::Month: Num(out, c.m, 1); break;
        case Tok::Month2: Num(out, c.m, 2); break;
        case Tok::MonthAbbr: out.append(kMonths[c.m - 1], 3); break;
        case Tok::MonthFull: out += kMonths[c.m - 1]; break;
        case Tok::MonthLetter: out += kMonths[c.m - 1][0]; break;
        case Tok::Day: Num(out, c.d, 1); break;
        case Tok::Day2: Num(out, c.d, 2); break;
        case Tok::DayAbbr: out.append(kDays[weekday], 3); break;
        case Tok::DayFull: out += kDays[weekday]; break;
        case Tok::Hour:
        case Tok::Hour2: {
            int h = hour;
            if (s.hasAmPm) h = h % 12 == 0 ? 12 : h % 12;
            Num(out, h, t.kind == Tok::Hour ? 1 : 2);
            break;
        }
        case Tok::Minute: Num(out, minute, 1); break;
        case Tok::Minute2: Num(out, minute, 2); break;
        case Tok::Second: Num(out, second, 1); break;
        case Tok::Second2: Num(out, second, 2); break;
        case Tok::SecFrac: {
            out += '.';
            // Shown digits beyond what this token asks for are cut, not rounded again.
            int64_t v = sub;
            for (int i = t.pos; i < s.secDecimals; ++i) v /= 10;
            Num(out, v, t.pos);
            break;
        }
        case Tok::AmPm: out += hour < 12 ? t.text : t.alt; break;
        case Tok::ElapsedH: Num(out, totalUnits / perSec / 3600, t.pos); break;
        case Tok::ElapsedM: Num(out, totalUnits / perSec / 60, t.pos); break;
        case Tok::ElapsedS: Num(out, totalUnits / perSec, t.pos); break;
        case Tok::Text: break;
        default: break;
        }
    }
    return true;
}

}  // namespace sheets::numfmt
