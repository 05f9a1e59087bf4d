#pragma once
#include <chrono>
#include <functional>

// Asks `done` again and again until it answers true or `limit` has passed,
// and answers its last word: a test asserts it, so that a fault fails the
// test instead of hanging it. Between two questions it sleeps `pause`, or
// only yields when `pause` is zero (for waits that must react at once).
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(20),
               std::chrono::milliseconds pause = std::chrono::milliseconds(1));
