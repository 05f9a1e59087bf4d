#pragma once
#include <string>
#include <string_view>

// UTF-8 text helpers. Letter case is compared by Unicode case folding, the
// same on every machine.
std::string FoldCase(std::string_view s);
bool SameText(std::string_view a, std::string_view b);

// The folder part of a path: up to and including its last '/'; empty when
// there is none.
std::string FolderPart(std::string_view path);
// The name part: after the last '/'.
std::string NamePart(std::string_view path);
