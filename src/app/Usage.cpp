#include "app/Usage.h"

namespace app {

TInfoRequest InfoRequestOf(const std::string& firstArg) {
    if (firstArg == "--help" || firstArg == "-h") return TInfoRequest::Help;
    if (firstArg == "--version") return TInfoRequest::Version;
    return TInfoRequest::None;
}

std::string VersionText() { return std::string(kProductTitle) + " " + kProductVersion + "\n"; }

std::string UsageText() {
    return R"(Usage: quindle [PROJECT.batch-quindle | WORKBOOK | -P:OPTIONS | --help | --version]

Converts spreadsheet workbooks (.xls, .xlsx, .xlsm, .xlsb) to HTML pages.
Only the first argument is read.

  (none)                  the window, with the default project
  PROJECT.batch-quindle   that project: converted without a window when it
                          says PureConsole=1, otherwise in the window
  WORKBOOK                the window, with that workbook as the source
  -P:NAME=VALUE,...       inline options, separated by "," or ";"
  -h, --help              this text
  --version               the version

Options (as in a project file, one NAME=VALUE per line):
  Source=/in/*.xls?       a folder and mask, a folder, a workbook or an http(s) address
  Target=/out/            the folder for the pages
  Subdir=1                also search the sub-folders
  ThreadsCount=2          converter threads
  IsOverwrite=True        an existing page: True replace, False write -quindle-NAME.htm, skip keep it
  KeepTargetSubdirs=True  rebuild the source's sub-folders under the target
  KeepFileTime=1          give each page its workbook's times
  DeleteSource=1          delete each workbook once its page is written
  RenameSource=.done      append this to each workbook's name once its page is written
  LogFile=run.log         one line per file: STATE => SOURCE => RESULT
  PureConsole=1           run without a window
  RegExt=REGEX            a regular expression every path must also match
  SkipHidden=1            leave out hidden files

Exit codes:
  0  the run ended (files that failed are in the log)
  1  the run could not start or finish (no Target, a log that cannot be
     written); the reason goes to standard error
  2  the window is needed but there is none (no display, or a build without it)

Example:
  quindle "-P:Source=/data/in/*.xls?,Target=/data/out/,PureConsole=1,LogFile=/data/out/run.log"
)";
}

}  // namespace app
