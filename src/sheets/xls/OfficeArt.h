#pragma once
// The drawing layer of a binary workbook: the drawing group's picture store
// and the shapes of a sheet's drawing, as their records state them. Every
// length and offset is checked against the bytes at hand; work and memory
// are bounded by what the records hold and by the limits below.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sheets/model/Shape.h"
#include "sheets/model/Workbook.h"

namespace sheets::xls {

// One picture of the store; `data` empty when its kind is not shown
// (metafiles, PICT, TIFF) or its bytes are missing or damaged.
struct Blip {
    std::string contentType;  // image/png, image/jpeg, image/bmp
    std::string data;
};

// The drawing group's store, indexed from 0 (shapes count from 1). `budget`
// is the image bytes still allowed; pictures past it are left empty.
std::vector<Blip> ReadBlipStore(std::string_view group, uint64_t& budget);

// A device-independent bitmap as a .bmp file, or empty when its header does
// not fit the bytes that follow it.
std::string DibToBmp(std::string_view dib);

// A colour as OfficeArt stores it: RGB, or an index into the workbook's palette.
struct ArtColor {
    bool set = false;
    bool indexed = false;
    uint32_t value = 0;  // 0xRRGGBB, or the palette index
};

// The type of a shape drawn by its own outline (a freeform), which its
// record states as no type at all.
constexpr uint16_t kFreeformType = 0x1000;

struct ArtShape {
    // The shape type (1 rectangle, 75 picture frame, 202 text box ...,
    // kFreeformType); 0 for a group or a deleted shape, which are not drawn
    // but whose OBJ and TXO records still count.
    uint16_t type = 0;
    bool flipH = false, flipV = false;
    bool hasClientData = false;  // an OBJ record belongs to it
    bool hasTextbox = false;  // a TXO record belongs to it
    // The top-level anchor, and the shape's box in it as fractions.
    Anchor from, to;
    double x = 0, y = 0, w = 1, h = 1;
    uint32_t blip = 0;  // 1-based index into the store; 0 none
    double crop[4] = {};  // left, top, right, bottom, as fractions of the picture
    bool filled = true, lined = true;
    ArtColor fill{true, false, 0xFFFFFF}, line{true, false, 0};
    double lineWidthPt = 0.75;
    double rotation = 0;  // degrees
    bool headArrow = false, tailArrow = false;
    int64_t inset[4] = {91440, 45720, 91440, 45720};  // EMU
    std::vector<PathStep> path;  // a freeform's outline, in fractions of its box
};

// The shapes of a sheet's drawing (the MSODRAWING records' bodies joined), in
// drawing order; groups are flattened, the patriarch and deleted shapes left
// out. At most kShapeMaxPerSheet are kept and nesting is read to kShapeMaxGroupDepth.
std::vector<ArtShape> ReadSheetDrawing(std::string_view drawing);

}  // namespace sheets::xls
