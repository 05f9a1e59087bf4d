#pragma once
#include <cstdint>

namespace batch {

// What became of a batch entry. An entry waits (or is being converted) until
// its worker reports the result; the window's first three pictures follow
// this order.
enum class TNodeState : int32_t { Waiting = 0, Success = 1, Failure = 2 };

}  // namespace batch
