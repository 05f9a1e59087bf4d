#pragma once
// The drawing surface of one chart: shapes and text appended as SVG
// elements, with the estimates of text size that the layout needs.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sheets/model/Chart.h"

namespace sheets::chart {

struct Rect {
    double x = 0, y = 0, w = 0, h = 0;
    double Right() const { return x + w; }
    double Bottom() const { return y + h; }
};

struct TextStyle {
    double px = 13.333;  // font size in CSS pixels
    bool bold = false, italic = false;
    uint32_t color = 0x000000;
    double LineHeight() const { return px * 1.2; }
};

// A fill and an outline; unset parts are not painted.
struct Paint {
    bool fill = false;
    uint32_t fillColor = 0;
    double fillOpacity = 1;
    bool stroke = false;
    uint32_t strokeColor = 0;
    double strokeWidth = 1;  // px
    double strokeOpacity = 1;
    LineDash dash = LineDash::Solid;
    static Paint Fill(uint32_t c) {
        Paint p;
        p.fill = true;
        p.fillColor = c;
        return p;
    }
    static Paint Stroke(uint32_t c, double w) {
        Paint p;
        p.stroke = true;
        p.strokeColor = c;
        p.strokeWidth = w;
        return p;
    }
};

enum class HAnchor : uint8_t { Start, Middle, End };
enum class VAnchor : uint8_t { Top, Middle, Bottom };

// Width of a line of text, estimated from character classes (no font files
// are read, so the same text always measures the same).
double TextWidth(std::string_view utf8, const TextStyle& style);
// Splits text at spaces into lines no wider than `width` (words are never
// cut), at most `maxLines` (the last one takes the rest); "\n" always breaks.
std::vector<std::string> WrapText(std::string_view text, const TextStyle& style, double width, size_t maxLines);

class Canvas {
public:
    explicit Canvas(std::string& out) : out_(out) {}
    void Rectangle(const Rect& r, const Paint& p, double radius = 0);
    void Line(double x1, double y1, double x2, double y2, const Paint& p);
    // `d` is SVG path data, made with Num().
    void Path(const std::string& d, const Paint& p);
    void Circle(double cx, double cy, double r, const Paint& p);
    // One line of text at (x, y); `rotate` in degrees clockwise about (x, y).
    void Text(double x, double y, std::string_view text, const TextStyle& s, HAnchor h, VAnchor v, double rotate = 0);
    // Text made of runs in their own styles, on one line.
    void Runs(double x, double y, const std::vector<std::pair<std::string, TextStyle>>& runs, HAnchor h, VAnchor v,
              double rotate = 0);
    void Marker(double x, double y, MarkerSymbol symbol, double size, const Paint& p);
    void OpenGroup(const std::string& attrs);
    void CloseGroup();
    std::string& Out() { return out_; }
    double defaultPx = 0;  // the size text has unless it says otherwise

private:
    class Tag;
    void Attrs(Tag& t, const Paint& p, bool fillable = true);
    // "<text" with the place and anchor, attributes still open.
    void Open(Tag& t, double x, double y, double px, HAnchor h, VAnchor v, double rotate);
    void Font(Tag& t, const TextStyle& s);
    std::string& out_;
};

}  // namespace sheets::chart
