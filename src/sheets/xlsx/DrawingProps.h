#pragma once
// DrawingML properties as chart parts state them: colours (with their
// luminance, tint and shade modifiers), fills and outlines, text runs.
#include <array>
#include <cstdint>
#include <vector>

#include "sheets/model/Chart.h"
#include "sheets/xlsx/Xml.h"
#include "sheets/xlsx/XmlTree.h"

namespace sheets::xlsx {

// Resolves DrawingML colours against the theme's scheme (document order:
// dk1 lt1 dk2 lt2 accent1..6 hlink folHlink).
class DrawingColors {
public:
    explicit DrawingColors(const std::vector<uint32_t>& scheme);
    const std::array<uint32_t, 12>& Scheme() const { return scheme_; }

    // The colour element among the children of `n` (srgbClr, schemeClr, ...);
    // false when there is none that can be read.
    bool Read(const XmlTree& t, uint32_t n, Color& color, double& alpha) const;
    // spPr-like: solidFill / noFill / gradFill (its first stop) and ln.
    void ReadShape(const XmlTree& t, uint32_t spPr, ChartShape& out) const;
    void ReadLine(const XmlTree& t, uint32_t ln, ChartLine& out) const;
    // Run properties (rPr, defRPr): size, bold, italic, fill colour.
    void ReadFont(const XmlTree& t, uint32_t rPr, ChartFont& out) const;
    // c:tx/c:rich or c:txPr: the paragraphs' runs and the default font.
    void ReadRich(const XmlTree& t, uint32_t rich, ChartText& out) const;

private:
    std::array<uint32_t, 12> scheme_;
};

// Applies a luminance modulation and offset in HSL space (both as fractions).
uint32_t LumModOff(uint32_t rgb, double mod, double off);

}  // namespace sheets::xlsx
