#include <gtest/gtest.h>

#include "info/ErrorReport.h"

using namespace info;

// The console run and the window quote differently; both are pinned here,
// side by side, so that neither drifts into the other.
TEST(ErrorReport, TheConsoleAndTheWindowQuoteDifferently) {
    const std::vector<std::string> errors = {"plain", "file a?b,c.xls", "say \"hi\"", "it's", "tab\there"};
    EXPECT_EQ(ErrorReportAction(errors, TReportQuoting::Console),
              "err&e=plain,\"file a%3Fb,c.xls\",\"say \"\"hi\"\"\",it's,\"tab\there\"");
    EXPECT_EQ(ErrorReportAction(errors, TReportQuoting::Window),
              "err&e=plain,\"file a%3Fb,c.xls\",\"say \"hi\"\",\"it's\",tab\there");
}

TEST(ErrorReport, BothEscapeQuestionMarksAndJoinWithCommas) {
    for (TReportQuoting q : {TReportQuoting::Console, TReportQuoting::Window}) {
        EXPECT_EQ(ErrorReportAction({"why?"}, q), "err&e=why%3F");
        EXPECT_EQ(ErrorReportAction({"a", "b"}, q), "err&e=a,b");
        EXPECT_EQ(ErrorReportAction({}, q), "err&e=");
    }
}
