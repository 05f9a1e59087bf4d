#include <exception>
#include <system_error>
#include <thread>

#include "sheets/html/SheetRows.h"

namespace sheets::html {
namespace {

// Below this many rows a sheet is written on one thread: a second one would
// not pay for itself, and small workbooks never start it.
constexpr uint32_t kSideBySideRows = 16384;
// Rows written in turn first: they hand out the classes and rules the rest
// of a plain sheet mostly reuses.
constexpr uint32_t kLeadRows = 512;
// Rows per chunk; two chunks are written at a time, one on each thread.
constexpr uint32_t kChunkRows = 4096;

// What one sheet's rows share beyond the style sheet: a sheet with merges,
// comments, tables or column formats carries state from row to row, and is
// written on one thread.
bool Plain(const SheetState& s) {
    return s.merges.empty() && s.comments.empty() && s.tables.Empty() && s.styledCols.empty();
}

// Writes rows [from, to) ahead of their turn into `out`; false when one of
// them needs something only the writer in turn may make.
bool WriteAhead(SheetState& s, const Axis& rows, const Axis& cols, uint32_t from, uint32_t to, std::string& out) {
    out.clear();
    RowWriter writer(s, rows, cols, out, true);
    try {
        for (uint32_t u = from; u < to; ++u) writer.WriteRow(u);
    } catch (const FrozenMiss&) {
        return false;
    }
    return true;
}

}  // namespace

void WriteRows(SheetState& s, const Axis& rows, const Axis& cols, std::string& out) {
    RowWriter inTurn(s, rows, cols, out, false);
    const uint32_t n = static_cast<uint32_t>(rows.Units().size());
    uint32_t u = 0;
    if (n >= kSideBySideRows && Plain(s) && std::thread::hardware_concurrency() > 1) {
        for (; u < kLeadRows; ++u) inTurn.WriteRow(u);
        // Chunks written ahead; the first is this thread's, the second the helper's.
        std::string chunk[2];
        const auto settle = [&](uint32_t from, uint32_t to, bool written, std::string& text) {
            if (!written) {
                for (uint32_t r = from; r < to; ++r) inTurn.WriteRow(r);
                return;
            }
            out += text;
            if (s.doc.drain && out.size() >= kDrainAt) s.doc.drain(out);
        };
        while (n - u >= 2 * kChunkRows) {
            const uint32_t mid = u + kChunkRows, end = mid + kChunkRows;
            bool written[2] = {false, false};
            std::exception_ptr failed;
            s.doc.styles.Freeze(true);
            std::thread helper;
            try {
                helper = std::thread([&] {
                    try {
                        written[1] = WriteAhead(s, rows, cols, mid, end, chunk[1]);
                    } catch (...) {
                        failed = std::current_exception();
                    }
                });
            } catch (const std::system_error&) {
                s.doc.styles.Freeze(false);
                break;  // no second thread to be had: the rest in turn
            }
            try {
                written[0] = WriteAhead(s, rows, cols, u, mid, chunk[0]);
            } catch (...) {
                helper.join();
                s.doc.styles.Freeze(false);
                throw;
            }
            helper.join();
            s.doc.styles.Freeze(false);
            if (failed) std::rethrow_exception(failed);
            settle(u, mid, written[0], chunk[0]);
            settle(mid, end, written[1], chunk[1]);
            u = end;
        }
    }
    for (; u < n; ++u) inTurn.WriteRow(u);
}

}  // namespace sheets::html
