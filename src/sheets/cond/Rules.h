#pragma once
// One rule over the cells of its ranges: which of them it matches, and what
// it gives them. Shared by the engine's files.
#include <cstdint>
#include <vector>

#include "sheets/cond/CellSource.h"
#include "sheets/cond/Engine.h"
#include "sheets/cond/Formula.h"

namespace sheets::cond {

struct RuleCell {
    uint32_t row = 0, col = 0;
    Value value;
};

struct RuleInput {
    const CondRule& rule;
    const std::vector<RuleCell>& cells;  // every stored cell of the rule's ranges, once
    const CellSource& source;
    uint32_t anchorRow = 0, anchorCol = 0;
    double today = 0;
    bool date1904 = false;
    Budget& budget;
};

// What one rule does to one cell.
struct RuleHit {
    uint32_t cell = 0;  // index into RuleInput::cells
    bool bar = false;
    uint8_t barPercent = 0;
    uint8_t barStart = 0;  // bars of 2010 and later (PlaceBar)
    bool barFromRight = false, negative = false;
    int8_t barAxis = -1;
    int8_t icon = -1;
    bool fill = false;  // a colour scale's colour
    uint32_t color = 0;
};

// The cells a highlight or formula rule matches; false when the rule cannot
// be evaluated (then it is left unapplied).
bool MatchHighlight(const RuleInput& in, std::vector<RuleHit>& hits);
// Colour scales, data bars and icon sets.
bool MatchScale(const RuleInput& in, std::vector<RuleHit>& hits);

// Where the bar of a 2010 data bar rule lies for v between lo and hi.
void PlaceBar(const CondRule& r, double v, double lo, double hi, RuleHit& hit);

// The numbers among the cells, ascending.
std::vector<double> SortedNumbers(const std::vector<RuleCell>& cells);
// PERCENTILE over sorted numbers, p in [0, 1], linear between neighbours.
double Percentile(const std::vector<double>& sorted, double p);
// A two- or three-colour scale's colour for v between points at stops.
uint32_t ScaleColor(double v, const std::vector<double>& stops, const std::vector<uint32_t>& colors);

}  // namespace sheets::cond
