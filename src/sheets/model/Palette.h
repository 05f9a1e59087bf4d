#pragma once
#include <cstdint>

namespace sheets {

// The default indexed colour palette (indices 0..63); 64 is the system
// foreground (black) and 65 the system background (white). Workbooks may
// override entries 8..63. Returns false for an index outside 0..65.
bool DefaultIndexedColor(uint32_t index, uint32_t& rgb);

}  // namespace sheets
