#pragma once

namespace info {

// The names of the usage counters in the store file. A counter is one
// capital letter: links carry every such entry (in lower case) and stored
// files keep these letters, so they never change.
inline constexpr const char* kCountFiles = "A";  // entries of the runs
inline constexpr const char* kCountSuccesses = "S";  // entries converted
inline constexpr const char* kCountFailures = "F";  // entries that failed
inline constexpr const char* kCountRuns = "C";  // conversion runs started
inline constexpr const char* kCountHelp = "H";  // the help file opened
inline constexpr const char* kCountStarts = "R";  // program starts; a store without it is not ours
inline constexpr const char* kCountErrors = "E";  // errors reported
// Not a count: the major version of the last spreadsheet application started.
inline constexpr const char* kExcelVersion = "W";

// The other entries of the store: its format marker (lower case, so that it
// is never taken for a counter) and the quiet flag a person may set by hand.
inline constexpr const char* kStoreFormat = "v";
inline constexpr const char* kStoreFormatValue = "2";
inline constexpr const char* kQuietFlag = "+";

}  // namespace info
