#pragma once
#include <string>
#include <vector>

// Running the built program and other commands the way a user's shell does.

// The build's program (QUINDLE_BINARY_DIR/quindle).
std::string BuiltProgram();
// The text in single quotes, safe as one word of a shell command.
std::string ShellQuote(const std::string& text);
// Runs a shell command; answers its exit status (-1 when it did not exit).
int RunShell(const std::string& command);
// The lines of a text file, without their line ends (CR LF or LF).
std::vector<std::string> FileLines(const std::string& path);
// Whether a program is on the PATH.
bool HaveProgram(const std::string& name);
