// The icons of icon sets, drawn small enough for a row of the default height.
#include <string_view>

#include "sheets/html/CondStyle.h"

namespace sheets::html {
namespace {

constexpr std::string_view kGreen = "#63be7b", kYellow = "#ffc000", kRed = "#f8696b", kGray = "#808080",
                           kBlack = "#404040", kPink = "#f4a0a0";

enum class Shape : uint8_t {
    Up,
    Right,
    Down,
    UpRight,
    DownRight,
    Circle,
    Flag,
    Diamond,
    Warning,
    Cross,
    Bang,
    Check,
    StarEmpty,
    StarHalf,
    StarFull,
    TriUp,
    TriDown,
    Dash,
    Bars,
    Pie,
    Box
};

struct Icon {
    Shape shape;
    std::string_view color;
    uint8_t level = 0;  // Bars, Pie, Box: how much is filled, of 4
};

// Each set's icons, lowest first.
const Icon* IconsOf(IconSetKind k, size_t& n) {
    static const Icon kArrows3[] = {{Shape::Down, kRed}, {Shape::Right, kYellow}, {Shape::Up, kGreen}};
    static const Icon kGray3[] = {{Shape::Down, kGray}, {Shape::Right, kGray}, {Shape::Up, kGray}};
    static const Icon kFlags3[] = {{Shape::Flag, kRed}, {Shape::Flag, kYellow}, {Shape::Flag, kGreen}};
    static const Icon kLights3[] = {{Shape::Circle, kRed}, {Shape::Circle, kYellow}, {Shape::Circle, kGreen}};
    static const Icon kSigns3[] = {{Shape::Diamond, kRed}, {Shape::Warning, kYellow}, {Shape::Circle, kGreen}};
    static const Icon kSymbols3[] = {{Shape::Cross, kRed}, {Shape::Bang, kYellow}, {Shape::Check, kGreen}};
    static const Icon kStars3[] = {{Shape::StarEmpty, kYellow}, {Shape::StarHalf, kYellow}, {Shape::StarFull, kYellow}};
    static const Icon kTriangles3[] = {{Shape::TriDown, kRed}, {Shape::Dash, kYellow}, {Shape::TriUp, kGreen}};
    static const Icon kArrows4[] = {
        {Shape::Down, kRed}, {Shape::DownRight, kYellow}, {Shape::UpRight, kYellow}, {Shape::Up, kGreen}};
    static const Icon kGray4[] = {
        {Shape::Down, kGray}, {Shape::DownRight, kGray}, {Shape::UpRight, kGray}, {Shape::Up, kGray}};
    static const Icon kRedBlack4[] = {
        {Shape::Circle, kBlack}, {Shape::Circle, kGray}, {Shape::Circle, kPink}, {Shape::Circle, kRed}};
    static const Icon kRating4[] = {
        {Shape::Bars, kGray, 1}, {Shape::Bars, kGray, 2}, {Shape::Bars, kGray, 3}, {Shape::Bars, kGray, 4}};
    static const Icon kLights4[] = {
        {Shape::Circle, kBlack}, {Shape::Circle, kRed}, {Shape::Circle, kYellow}, {Shape::Circle, kGreen}};
    static const Icon kArrows5[] = {{Shape::Down, kRed},
                                    {Shape::DownRight, kYellow},
                                    {Shape::Right, kYellow},
                                    {Shape::UpRight, kYellow},
                                    {Shape::Up, kGreen}};
    static const Icon kGray5[] = {{Shape::Down, kGray},
                                  {Shape::DownRight, kGray},
                                  {Shape::Right, kGray},
                                  {Shape::UpRight, kGray},
                                  {Shape::Up, kGray}};
    static const Icon kRating5[] = {{Shape::Bars, kGray, 0},
                                    {Shape::Bars, kGray, 1},
                                    {Shape::Bars, kGray, 2},
                                    {Shape::Bars, kGray, 3},
                                    {Shape::Bars, kGray, 4}};
    static const Icon kQuarters5[] = {{Shape::Pie, kGray, 0},
                                      {Shape::Pie, kGray, 1},
                                      {Shape::Pie, kGray, 2},
                                      {Shape::Pie, kGray, 3},
                                      {Shape::Pie, kGray, 4}};
    static const Icon kBoxes5[] = {{Shape::Box, kGray, 0},
                                   {Shape::Box, kGray, 1},
                                   {Shape::Box, kGray, 2},
                                   {Shape::Box, kGray, 3},
                                   {Shape::Box, kGray, 4}};
    switch (k) {
    case IconSetKind::Arrows3: n = 3; return kArrows3;
    case IconSetKind::ArrowsGray3: n = 3; return kGray3;
    case IconSetKind::Flags3: n = 3; return kFlags3;
    case IconSetKind::TrafficLights3:
    case IconSetKind::TrafficLightsRimmed3: n = 3; return kLights3;
    case IconSetKind::Signs3: n = 3; return kSigns3;
    case IconSetKind::Symbols3:
    case IconSetKind::SymbolsCircled3: n = 3; return kSymbols3;
    case IconSetKind::Stars3: n = 3; return kStars3;
    case IconSetKind::Triangles3: n = 3; return kTriangles3;
    case IconSetKind::Arrows4: n = 4; return kArrows4;
    case IconSetKind::ArrowsGray4: n = 4; return kGray4;
    case IconSetKind::RedToBlack4: n = 4; return kRedBlack4;
    case IconSetKind::Rating4: n = 4; return kRating4;
    case IconSetKind::TrafficLights4: n = 4; return kLights4;
    case IconSetKind::Arrows5: n = 5; return kArrows5;
    case IconSetKind::ArrowsGray5: n = 5; return kGray5;
    case IconSetKind::Rating5: n = 5; return kRating5;
    case IconSetKind::Quarters5: n = 5; return kQuarters5;
    case IconSetKind::Boxes5: n = 5; return kBoxes5;
    }
    n = 0;
    return nullptr;
}

// The shape's SVG, on a 16 by 16 grid, filled with `c`.
std::string Body(const Icon& icon) {
    const std::string c(icon.color);
    const std::string fill = " fill=\"" + c + "\"";
    const std::string line = " fill=\"none\" stroke=\"" + c + "\" stroke-width=\"2.5\"";
    constexpr const char* kStar = "M8 1l2.1 4.6 5 .5-3.8 3.4 1.1 4.9L8 11.9 3.6 14.4l1.1-4.9L.9 6.1l5-.5z";
    switch (icon.shape) {
    case Shape::Up: return "<path d=\"M8 1l6 7h-4v7H6V8H2z\"" + fill + "/>";
    case Shape::Down: return "<path d=\"M8 15l6-7h-4V1H6v7H2z\"" + fill + "/>";
    case Shape::Right: return "<path d=\"M15 8l-7-6v4H1v4h7v4z\"" + fill + "/>";
    case Shape::UpRight: return "<path d=\"M14 2v9l-3-3-7 7-3-3 7-7-3-3z\"" + fill + "/>";
    case Shape::DownRight: return "<path d=\"M14 14H5l3-3-7-7 3-3 7 7 3-3z\"" + fill + "/>";
    case Shape::Circle: return "<circle cx=\"8\" cy=\"8\" r=\"6.5\"" + fill + "/>";
    case Shape::Flag:
        return "<path d=\"M3 1v14\" stroke=\"#404040\" stroke-width=\"1.5\"/><path d=\"M4 2h10l-3 3.5 3 3.5H4z\"" +
               fill + "/>";
    case Shape::Diamond: return "<path d=\"M8 1l7 7-7 7-7-7z\"" + fill + "/>";
    case Shape::Warning: return "<path d=\"M8 1l7 14H1z\"" + fill + "/>";
    case Shape::Cross: return "<path d=\"M3 3l10 10M13 3L3 13\"" + line + "/>";
    case Shape::Bang: return "<path d=\"M8 1v9M8 12v3\"" + line + "/>";
    case Shape::Check: return "<path d=\"M2 8l4 4 8-9\"" + line + "/>";
    case Shape::StarEmpty: return std::string("<path d=\"") + kStar + "\" fill=\"none\" stroke=\"" + c + "\"/>";
    case Shape::StarHalf:
        return std::string("<path d=\"") + kStar + "\" fill=\"none\" stroke=\"" + c +
               "\"/><path d=\"M8 1v10.9L3.6 14.4l1.1-4.9L.9 6.1l5-.5z\"" + fill + "/>";
    case Shape::StarFull: return std::string("<path d=\"") + kStar + "\"" + fill + "/>";
    case Shape::TriUp: return "<path d=\"M8 3l6 9H2z\"" + fill + "/>";
    case Shape::TriDown: return "<path d=\"M8 13l6-9H2z\"" + fill + "/>";
    case Shape::Dash: return "<path d=\"M2 6.5h12v3H2z\"" + fill + "/>";
    default: break;
    }
    std::string out;
    for (int i = 0; i < 4; ++i) {
        const std::string tone = i < icon.level ? c : "#d9d9d9";
        if (icon.shape == Shape::Bars)
            out += "<rect x=\"" + std::to_string(1 + i * 4) + "\" y=\"" + std::to_string(11 - i * 3) +
                   "\" width=\"3\" height=\"" + std::to_string(4 + i * 3) + "\" fill=\"" + tone + "\"/>";
        else if (icon.shape == Shape::Box)
            out += std::string("<rect x=\"") + (i % 2 ? "8.5" : "1.5") + "\" y=\"" +
                   std::string(i < 2 ? "1.5" : "8.5") + "\" width=\"6\" height=\"6\" fill=\"" + tone + "\"/>";
    }
    if (icon.shape == Shape::Pie) {
        static constexpr const char* kSlices[] = {"", "M8 8V1.5A6.5 6.5 0 0 1 14.5 8z",
                                                  "M8 8V1.5A6.5 6.5 0 0 1 8 14.5z", "M8 8V1.5A6.5 6.5 0 1 1 1.5 8z"};
        out = "<circle cx=\"8\" cy=\"8\" r=\"6.5\" fill=\"#fff\" stroke=\"" + c + "\"/>";
        if (icon.level >= 4) out += "<circle cx=\"8\" cy=\"8\" r=\"6.5\"" + fill + "/>";
        else if (icon.level > 0) out += std::string("<path d=\"") + kSlices[icon.level] + "\"" + fill + "/>";
    }
    return out;
}

}  // namespace

void AppendIcon(std::string& out, const cond::CellLook& look) {
    size_t n = 0;
    const Icon* icons = IconsOf(look.iconSet, n);
    if (!icons || look.icon < 0 || size_t(look.icon) >= n) return;
    out +=
        "<svg width=\"16\" height=\"16\" viewBox=\"0 0 16 16\" style=\"float:left;margin-top:1px\" "
        "aria-hidden=\"true\">";
    out += Body(icons[look.icon]);
    out += "</svg>";
}

}  // namespace sheets::html
