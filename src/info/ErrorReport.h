#pragma once
#include <string>
#include <vector>

namespace info {

// The two ways a run joins its distinct failure messages into the action
// text of the error-report page. They differ, and stored reports and the
// page rely on each as it is, so both stay:
// - Console: a message that holds a character at or below the blank, a
//   comma or a double quote is put in double quotes, its double quotes
//   doubled.
// - Window: a message that holds a blank, a comma, a double quote or an
//   apostrophe is put in double quotes as it is (the page's link drops every
//   double quote anyway).
// Either way the messages are joined with ",", every "?" becomes "%3F" and
// "err&e=" goes in front.
enum class TReportQuoting { Console, Window };

std::string ErrorReportAction(const std::vector<std::string>& errors, TReportQuoting quoting);

}  // namespace info
