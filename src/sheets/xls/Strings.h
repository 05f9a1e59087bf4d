#pragma once
// The string forms of the workbook stream: 8-bit strings in the workbook's
// code page (older files), 8-or-16-bit strings with optional rich-text runs
// (newer files), and the shared string table that spans CONTINUE records.
#include <cstdint>
#include <string>
#include <vector>

#include "sheets/model/Workbook.h"
#include "sheets/xls/CodePage.h"
#include "sheets/xls/Records.h"

namespace sheets::xls {

struct StringContext {
    bool biff8 = true;
    const CodePage* codePage = nullptr;
    // Rich-text runs name fonts by their record index with 4 skipped; the
    // runs carry that index minus one from 5 up, i.e. the index of the
    // FONT record. Checked against the font count once all are read.
};

// A string whose length field is 16 bits (`wideLength`) or 8 bits.
// Newer files: flags byte, optional run count and extension, characters,
// runs. Older files: bytes in the code page. Runs are kept only when
// `keepRuns`. `offsets`, when given, receives the byte offset in the text of
// every character (and of the end), for runs stored after the string; it is
// left empty when characters cannot be placed (multi-byte code pages).
RichString ReadString(Continued& in, const StringContext& ctx, bool wideLength, bool keepRuns = false,
                      std::vector<uint32_t>* offsets = nullptr);

// The shared string table: the SST record's body and its CONTINUE bodies.
// A table that claims more strings than it holds ends where its data ends
// (or where a string is cut short); one that claims fewer keeps the strings
// it holds.
std::vector<RichString> ReadSst(std::vector<std::string_view> pieces, const StringContext& ctx);

// The font record index a run or cell format refers to (index 4 does not
// exist and is taken as the first font).
inline uint32_t FontRecordIndex(uint32_t ifnt) { return ifnt < 4 ? ifnt : ifnt == 4 ? 0 : ifnt - 1; }

// Rich-text runs (first character index, font) to byte ranges of the text.
std::vector<TextRun> MakeRuns(const std::vector<std::pair<uint32_t, uint32_t>>& runs,
                              const std::vector<uint32_t>& offsets);

}  // namespace sheets::xls
