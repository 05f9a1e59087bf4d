#pragma once
// The text forms that values take in the parts of a package: numbers, cell
// references, and the escapes of characters that XML cannot carry.
#include <cstdint>
#include <string>
#include <string_view>

namespace sheets::xlsx {

bool ParseDouble(std::string_view s, double& out);
bool ParseInt(std::string_view s, int64_t& out);

// Reads "B12" into 0-based column and row. False for anything else, or for a
// reference beyond the sheet's limits (`beyond` set then).
bool ParseCellRef(std::string_view ref, uint32_t& col, uint32_t& row, bool* beyond = nullptr);

// Decodes the _xHHHH_ escapes that OOXML uses for characters XML cannot carry.
void DecodeEscapes(std::string& s);

}  // namespace sheets::xlsx
