#pragma once
#include <filesystem>
#include <functional>
#include <string>

// Runs `body` as a user that folder permissions apply to. Root reads every
// folder, so when the tests run as root, `tree` is handed to the user
// "nobody" and `body` runs in a child process as that user; otherwise it runs
// here. `body` answers "" when all is well, else what went wrong, which is
// answered in turn.
std::string Unprivileged(const std::filesystem::path& tree, const std::function<std::string()>& body);

// The words that run a command as that user ("" when the tests are not root);
// `tree` is handed to that user first.
std::string UnprivilegedPrefix(const std::filesystem::path& tree);
