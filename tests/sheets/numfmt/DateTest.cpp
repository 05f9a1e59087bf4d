#include "NumfmtCases.h"

using numfmt_test::ExpectShown;

namespace {
constexpr double kSecond = 1.0 / 86400;
}

TEST(NumfmtDate, The1900SystemWithItsLeapDay) {
    ExpectShown({
        {"m/d/yyyy", 45000, "3/15/2023"},
        {"m/d/yyyy", 0, "1/0/1900"},
        {"m/d/yyyy", 1, "1/1/1900"},
        {"m/d/yyyy", 59, "2/28/1900"},
        {"m/d/yyyy", 60, "2/29/1900"},
        {"m/d/yyyy", 61, "3/1/1900"},
        {"dddd", 0, "Saturday"},
        {"dddd", 1, "Sunday"},
        {"ddd", 60, "Wed"},
        {"ddd", 61, "Thu"},
        {"dddd", 45000, "Wednesday"},
        {"yyyy-mm-dd", 2958465, "9999-12-31"},
        {"yyyy-mm-dd", 2958465.9999999, "########"},  // rounds into the year 10000
        {"yyyy-mm-dd", 2958466, "########"},
        {"m/d/yyyy", -1, "########"},
        {"yyyy-mm-dd", 36585, "2000-02-29"},
    });
}

TEST(NumfmtDate, The1904System) {
    ExpectShown(
        {
            {"m/d/yyyy", 0, "1/1/1904"},
            {"m/d/yyyy", 45000 - 1462, "3/15/2023"},
            {"dddd", 0, "Friday"},
            {"yyyy-mm-dd", 2957003, "9999-12-31"},
            {"yyyy-mm-dd", 2957004, "########"},
            {"h:mm", -0.0625, "-1:30"},
            {"[h]:mm", -1.5, "-36:00"},
            {"m/d/yyyy", -1, "-1/2/1904"},
        },
        true);
}

TEST(NumfmtDate, EveryDateToken) {
    ExpectShown({
        {"y yy yyy yyyy e", 45000, "23 23 2023 2023 2023"},
        {"m mm mmm mmmm mmmmm", 45000, "3 03 Mar March M"},
        {"mmmmmm", 45000, "March"},
        {"d dd ddd dddd", 45000, "15 15 Wed Wednesday"},
        {"d-mmm-yy", 45000, "15-Mar-23"},
        {"[$-409]mmmm d, yyyy", 45000, "March 15, 2023"},
        {"[$-411]ggge\"年\"m\"月\"d\"日\"", 45000, "2023年3月15日"},
        {"DD/MM/YYYY", 45000, "15/03/2023"},
        {"yyyy\\-mm\\-dd", 45000, "2023-03-15"},
        {"\"day\" d", 45000, "day 15"},
        // The system's long date and time, whatever code follows.
        {"[$-F800]dddd\\,\\ mmmm\\ dd\\,\\ yyyy", 45000, "Wednesday, March 15, 2023"},
        {"[$-F800]dddd, mmmm dd, yyyy", 44992, "Tuesday, March 7, 2023"},
        {"[$-x-sysdate]dddd, mmmm dd, yyyy", 45000, "Wednesday, March 15, 2023"},
        {"[$-F400]h:mm:ss\\ AM/PM", 0.75, "6:00:00 PM"},
        {"[$-x-systime]hh:mm", 0.25, "6:00:00 AM"},
    });
}

TEST(NumfmtDate, MinutesAfterHoursOrBeforeSeconds) {
    ExpectShown({
        {"h:mm", 0.75 + 5 * 60 * kSecond, "18:05"},
        {"h:m", 0.75 + 5 * 60 * kSecond, "18:5"},
        {"mm:ss", 0.75 + 125 * kSecond, "02:05"},
        {"m:ss", 125 * kSecond, "2:05"},
        {"h \"h\" mm \"min\"", 0.5, "12 h 00 min"},
        {"mm/dd hh:mm", 45000.5, "03/15 12:00"},
        {"m/d/yyyy h:mm", 45000.5, "3/15/2023 12:00"},
        {"[h]:mm", 1.5, "36:00"},
        {"mm", 0.5, "01"},  // alone it is the month
    });
}

TEST(NumfmtDate, TwelveHourClock) {
    ExpectShown({
        {"h:mm AM/PM", 0, "12:00 AM"},
        {"h:mm AM/PM", 0.5, "12:00 PM"},
        {"h:mm:ss AM/PM", 0.75, "6:00:00 PM"},
        {"h:mm am/pm", 0.25, "6:00 am"},
        {"hh:mm A/P", 0.75, "06:00 P"},
        {"h a/p", 0.1, "2 a"},
    });
}

TEST(NumfmtDate, RoundsToTheSecondsShown) {
    ExpectShown({
        {"h:mm:ss", 0.5 + 59.6 * kSecond, "12:01:00"},
        {"h:mm", 0.5 + 59.6 * kSecond, "12:01"},
        {"h:mm", 0.5 + 40 * kSecond, "12:00"},  // minutes are cut, not rounded
        {"m/d/yyyy h:mm:ss", 45000 + 86399.6 * kSecond, "3/16/2023 0:00:00"},
        {"mm:ss.0", 1.06 * kSecond, "00:01.1"},
        {"ss.00", 1.234 * kSecond, "01.23"},
        {"ss.000", 1.2345 * kSecond, "01.235"},  // at most three digits
        {"hh:mm:ss.00", 0.5 + 59.999 * kSecond, "12:01:00.00"},
    });
}

TEST(NumfmtDate, ElapsedTime) {
    ExpectShown({
        {"[h]:mm:ss", 1.5, "36:00:00"},
        {"[h]:mm:ss", 10.6320601851852, "255:10:10"},
        {"[hh]", 0.25, "06"},
        {"[mm]:ss", 1.0 / 24, "60:00"},
        {"[ss]", 1.0 / 24, "3600"},
        {"[m]", 2.5, "3600"},
        {"[h]:mm", -0.5, "########"},
    });
}

TEST(NumfmtDate, KnowsWhichCodesAreDates) {
    for (const char* code : {"m/d/yyyy", "h:mm", "[h]:mm:ss", "yyyy;@", "mmm-yy", "ss.0", "AM/PM h"}) {
        auto f = sheets::NumberFormat::Compile(code);
        EXPECT_TRUE(f->IsDate()) << code;
        EXPECT_TRUE(f->Format(45000.25, false).isDateOrTime) << code;
    }
    for (const char* code : {"General", "0.00", "\"m/d/yyyy\"0", "\\d0", "@", "0.00E+00", "# ?/?"}) {
        auto f = sheets::NumberFormat::Compile(code);
        EXPECT_FALSE(f->IsDate()) << code;
        EXPECT_FALSE(f->Format(45000.25, false).isDateOrTime) << code;
    }
}
