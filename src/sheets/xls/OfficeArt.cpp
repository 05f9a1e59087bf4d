#include "sheets/xls/OfficeArt.h"

#include <algorithm>
#include <cstring>

#include "sheets/model/Shape.h"

namespace sheets::xls {

namespace {

// Metafile pictures (0xF01A to 0xF01C) have no record type here: they are not shown.
namespace art {
constexpr uint16_t DggContainer = 0xF000, BStoreContainer = 0xF001, DgContainer = 0xF002, SpgrContainer = 0xF003,
                   SpContainer = 0xF004, Fbse = 0xF007, Fspgr = 0xF009, Fsp = 0xF00A, Fopt = 0xF00B,
                   ClientTextbox = 0xF00D, ChildAnchor = 0xF00F, ClientAnchor = 0xF010, ClientData = 0xF011,
                   BlipJpeg = 0xF01D, BlipPng = 0xF01E, BlipDib = 0xF01F, BlipTiff = 0xF029, BlipJpegCmyk = 0xF02A;
}  // namespace art

uint16_t U16(std::string_view d, size_t at) {
    return at + 2 <= d.size() ? uint16_t(uint8_t(d[at]) | uint8_t(d[at + 1]) << 8) : 0;
}
uint32_t U32(std::string_view d, size_t at) {
    return at + 4 <= d.size() ? U16(d, at) | uint32_t(U16(d, at + 2)) << 16 : 0;
}
int32_t I32(std::string_view d, size_t at) { return int32_t(U32(d, at)); }

// One record: its header fields and its body, cut to the bytes at hand.
struct Rec {
    uint16_t ver = 0, inst = 0, type = 0;
    std::string_view body;
    bool Container() const { return ver == 0xF; }
};

// Walks the records of `d` in order; false at the end or at a header cut off.
class RecWalk {
public:
    explicit RecWalk(std::string_view d) : d_(d) {}
    bool Next(Rec& r) {
        if (at_ + 8 > d_.size()) return false;
        const uint16_t vi = U16(d_, at_);
        r.ver = vi & 0xF;
        r.inst = vi >> 4;
        r.type = U16(d_, at_ + 2);
        const size_t len = std::min<size_t>(U32(d_, at_ + 4), d_.size() - at_ - 8);
        r.body = d_.substr(at_ + 8, len);
        at_ += 8 + len;
        return true;
    }

private:
    std::string_view d_;
    size_t at_ = 0;
};

bool StartsWith(std::string_view d, std::string_view magic) { return d.substr(0, magic.size()) == magic; }

// The picture a BLIP record holds, checked against its kind's signature.
Blip ReadBlip(const Rec& r) {
    Blip b;
    const bool bitmap = r.type == art::BlipJpeg || r.type == art::BlipJpegCmyk || r.type == art::BlipPng ||
                        r.type == art::BlipDib || r.type == art::BlipTiff;
    if (!bitmap) return b;  // metafiles and PICT are not shown
    // A second identifier follows the first when the instance is odd.
    const size_t skip = 16 + ((r.inst & 1) ? 16 : 0) + 1;
    if (r.body.size() <= skip) return b;
    const std::string_view data = r.body.substr(skip);
    if ((r.type == art::BlipJpeg || r.type == art::BlipJpegCmyk) && StartsWith(data, "\xFF\xD8")) {
        b.contentType = "image/jpeg";
        b.data = data;
    } else if (r.type == art::BlipPng && StartsWith(data, "\x89PNG\r\n\x1A\n")) {
        b.contentType = "image/png";
        b.data = data;
    } else if (r.type == art::BlipDib) {
        b.data = DibToBmp(data);
        if (!b.data.empty()) b.contentType = "image/bmp";
    }
    return b;
}

void PutU32(std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i) s += char((v >> (8 * i)) & 0xFF);
}

}  // namespace

std::string DibToBmp(std::string_view dib) {
    const uint32_t headerSize = U32(dib, 0);
    if (headerSize != 12 && (headerSize < 40 || headerSize > 124)) return {};
    if (dib.size() < headerSize) return {};
    int64_t width, height;
    uint32_t bits, compression = 0, colorsUsed = 0;
    size_t entry = 4;
    if (headerSize == 12) {
        width = U16(dib, 4);
        height = int16_t(U16(dib, 6));
        bits = U16(dib, 10);
        entry = 3;
    } else {
        width = I32(dib, 4);
        height = I32(dib, 8);
        bits = U16(dib, 14);
        compression = U32(dib, 16);
        colorsUsed = U32(dib, 32);
    }
    if (width <= 0 || width > 65535 || height == 0 || height > 65535 || height < -65535) return {};
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return {};
    if (bits <= 8 && (colorsUsed == 0 || colorsUsed > (1u << bits))) colorsUsed = 1u << bits;
    if (colorsUsed > 256) return {};
    uint64_t palette = uint64_t(colorsUsed) * entry;
    if (compression == 3 && headerSize == 40) palette += 12;  // the three channel masks
    const uint64_t pixelsAt = headerSize + palette;
    if (pixelsAt > dib.size()) return {};
    // Uncompressed rows must all be there: a header that claims more pixels
    // than the bytes that follow it is not believed.
    if (compression == 0 || compression == 3) {
        const uint64_t row = (uint64_t(width) * bits + 31) / 32 * 4;
        if (row * uint64_t(height < 0 ? -height : height) > dib.size() - pixelsAt) return {};
    } else if (compression != 1 && compression != 2) {
        return {};  // JPEG or PNG inside a bitmap header: not for a .bmp
    }
    std::string bmp = "BM";
    PutU32(bmp, uint32_t(14 + dib.size()));
    PutU32(bmp, 0);
    PutU32(bmp, uint32_t(14 + pixelsAt));
    bmp.append(dib);
    return bmp;
}

std::vector<Blip> ReadBlipStore(std::string_view group, uint64_t& budget) {
    std::vector<Blip> out;
    RecWalk top(group);
    Rec dgg;
    while (top.Next(dgg)) {
        if (dgg.type != art::DggContainer) continue;
        RecWalk inDgg(dgg.body);
        Rec store;
        while (inDgg.Next(store)) {
            if (store.type != art::BStoreContainer) continue;
            RecWalk entries(store.body);
            Rec fbse;
            while (entries.Next(fbse) && out.size() < 65536) {
                if (fbse.type != art::Fbse) continue;
                Blip b;
                const size_t nameLen = fbse.body.size() >= 36 ? uint8_t(fbse.body[33]) : 0;
                if (fbse.body.size() > 36 + nameLen) {
                    RecWalk blip(fbse.body.substr(36 + nameLen));
                    Rec r;
                    if (blip.Next(r)) b = ReadBlip(r);
                }
                if (b.data.size() > budget) b = Blip{};
                budget -= b.data.size();
                out.push_back(std::move(b));
            }
        }
    }
    return out;
}

namespace {

ArtColor ReadColor(uint32_t v) {
    ArtColor c;
    const uint8_t flags = uint8_t(v >> 24);
    if (flags & 0x10) return c;  // a system colour: the default stays
    c.set = true;
    if (flags & 0x08) {  // an index into the workbook's palette
        c.indexed = true;
        c.value = v & 0xFF;
    } else if (flags & 0x01) {
        c.indexed = true;
        c.value = v & 0xFFFF;
    } else {
        c.value = (v & 0xFF) << 16 | (v & 0xFF00) | ((v >> 16) & 0xFF);
    }
    return c;
}

// A freeform's geometry as its properties state it: the points, how the
// segments use them and the coordinate box they lie in.
struct Geometry {
    std::string_view vertices, segments;
    int32_t box[4] = {0, 0, 21600, 21600};  // left, top, right, bottom
};

// The elements of an array property: its count, then the size of each
// (0xFFF0 stands for points of two 16-bit halves). Cut to the bytes at hand.
std::string_view Elements(std::string_view d, size_t& count, size_t& size) {
    count = size = 0;
    if (d.size() < 6) return {};
    size = U16(d, 4);
    if (size == 0xFFF0) size = 4;
    if (size == 0) return {};
    count = std::min<size_t>(U16(d, 0), (d.size() - 6) / size);
    return d.substr(6);
}

void ReadOutline(const Geometry& g, std::vector<PathStep>& out) {
    size_t count = 0, size = 0;
    const std::string_view pts = Elements(g.vertices, count, size);
    if (size != 4 && size != 8) return;
    const double w = double(g.box[2]) - g.box[0], h = double(g.box[3]) - g.box[1];
    if (w <= 0 || h <= 0) return;
    count = std::min(count, kShapeMaxPathPoints);
    auto point = [&](size_t i, float* xy) {
        const double x = size == 4 ? int16_t(U16(pts, 4 * i)) : I32(pts, 8 * i);
        const double y = size == 4 ? int16_t(U16(pts, 4 * i + 2)) : I32(pts, 8 * i + 4);
        xy[0] = float(std::clamp((x - g.box[0]) / w, -4.0, 5.0));
        xy[1] = float(std::clamp((y - g.box[1]) / h, -4.0, 5.0));
    };
    size_t segCount = 0, segSize = 0;
    const std::string_view segs = Elements(g.segments, segCount, segSize);
    size_t next = 0;  // the next point to use
    auto step = [&](PathStep::Op op, size_t points) {
        if (next + points > count || out.size() >= kShapeMaxPathPoints) return false;
        PathStep ps;
        ps.op = op;
        for (size_t i = 0; i < points; ++i) point(next + i, ps.pt + 2 * i);
        next += points;
        out.push_back(ps);
        return true;
    };
    if (segSize != 2 || segCount == 0) {
        // Without segments the points are joined by lines.
        for (size_t i = 0; i < count; ++i)
            if (!step(i ? PathStep::Op::Line : PathStep::Op::Move, 1)) return;
        return;
    }
    // Segments that want more points than there are end the outline there.
    for (size_t i = 0; i < segCount && out.size() < kShapeMaxPathPoints; ++i) {
        const uint16_t info = U16(segs, 2 * i);
        const size_t n = std::max<size_t>(info & 0x1FFF, 1);
        switch (info >> 13) {
        case 0:
            for (size_t k = 0; k < n; ++k)
                if (!step(PathStep::Op::Line, 1)) return;
            break;
        case 1:
            for (size_t k = 0; k < n; ++k)
                if (!step(PathStep::Op::Cubic, 3)) return;
            break;
        case 2:
            if (!step(PathStep::Op::Move, 1)) return;
            break;
        case 3: out.push_back(PathStep{PathStep::Op::Close, {}}); break;
        case 4: return;  // the end
        default: next = std::min(count, next + (info & 0xFF)); break;  // escapes: their points are passed over
        }
    }
}

double Fixed(uint32_t v) { return double(int32_t(v)) / 65536; }

void ReadProperties(const Rec& r, ArtShape& s) {
    const size_t count = std::min<size_t>(r.inst, r.body.size() / 6);
    // Complex values follow the table, in the order of their properties.
    size_t complexAt = count * 6;
    Geometry geo;
    for (size_t i = 0; i < count; ++i) {
        const uint16_t opid = U16(r.body, 6 * i), id = opid & 0x3FFF;
        const uint32_t v = U32(r.body, 6 * i + 2);
        if (opid & 0x8000) {
            const std::string_view data = complexAt < r.body.size() ? r.body.substr(complexAt, v) : std::string_view();
            complexAt += std::min<size_t>(v, r.body.size());
            if (id == 0x0145) geo.vertices = data;
            else if (id == 0x0146) geo.segments = data;
            continue;
        }
        switch (id) {
        case 0x0140: geo.box[0] = int32_t(v); break;
        case 0x0141: geo.box[1] = int32_t(v); break;
        case 0x0142: geo.box[2] = int32_t(v); break;
        case 0x0143: geo.box[3] = int32_t(v); break;
        case 0x0004: s.rotation = Fixed(v); break;
        case 0x0081: s.inset[0] = v; break;
        case 0x0082: s.inset[1] = v; break;
        case 0x0083: s.inset[2] = v; break;
        case 0x0084: s.inset[3] = v; break;
        case 0x0100: s.crop[1] = std::clamp(Fixed(v), -1.0, 1.0); break;
        case 0x0101: s.crop[3] = std::clamp(Fixed(v), -1.0, 1.0); break;
        case 0x0102: s.crop[0] = std::clamp(Fixed(v), -1.0, 1.0); break;
        case 0x0103: s.crop[2] = std::clamp(Fixed(v), -1.0, 1.0); break;
        case 0x0104: s.blip = v; break;
        case 0x0181: s.fill = ReadColor(v); break;
        case 0x01BF:
            if (v & 0x100000) s.filled = v & 0x10;
            break;
        case 0x01C0: s.line = ReadColor(v); break;
        case 0x01CB: s.lineWidthPt = std::min(double(v) / 12700, 100.0); break;
        case 0x01D0: s.headArrow = v != 0; break;
        case 0x01D1: s.tailArrow = v != 0; break;
        case 0x01FF:
            if (v & 0x80000) s.lined = v & 0x8;
            break;
        default: break;
        }
    }
    if (!geo.vertices.empty()) ReadOutline(geo, s.path);
}

struct Rect {
    double l = 0, t = 0, r = 0, b = 0;
    bool set = false;
};

Rect ReadRect(std::string_view d) {
    Rect r;
    if (d.size() < 16) return r;
    r = Rect{double(I32(d, 0)), double(I32(d, 4)), double(I32(d, 8)), double(I32(d, 12)), true};
    return r;
}

// Where the members of a group go: the group's box in the anchor, and the
// rectangle of its own coordinates that maps onto that box.
struct Frame {
    bool top = true;  // members of the patriarch carry their own anchors
    Anchor from, to;
    double x = 0, y = 0, w = 1, h = 1;
    Rect space;
};

Anchor ReadCell(std::string_view d, size_t at) {
    Anchor a;
    a.col = std::min<uint32_t>(U16(d, at), 16383);
    a.colPart = std::clamp(U16(d, at + 2) / 1024.0, 0.0, 1.0);
    a.row = U16(d, at + 4);
    a.rowPart = std::clamp(U16(d, at + 6) / 256.0, 0.0, 1.0);
    return a;
}

class DrawingWalk {
public:
    std::vector<ArtShape> out;

    void Container(std::string_view d, const Frame& frame, int depth) {
        RecWalk w(d);
        Rec r;
        while (w.Next(r)) {
            if (out.size() >= kShapeMaxPerSheet) return;
            if (r.type == art::DgContainer) Container(r.body, frame, depth);
            else if (r.type == art::SpgrContainer && depth < kShapeMaxGroupDepth) Group(r.body, frame, depth + 1);
        }
    }

private:
    struct Read {
        ArtShape shape;
        uint32_t flags = 0;
        Rect space, child;
        bool clientAnchor = false;
    };

    Read Shape(std::string_view d) {
        Read s;
        s.shape.type = 0;
        RecWalk w(d);
        Rec r;
        while (w.Next(r)) {
            switch (r.type) {
            case art::Fsp:
                s.shape.type = r.inst;
                s.flags = U32(r.body, 4);
                break;
            case art::Fspgr: s.space = ReadRect(r.body); break;
            case art::Fopt: ReadProperties(r, s.shape); break;
            case art::ChildAnchor: s.child = ReadRect(r.body); break;
            case art::ClientAnchor:
                if (r.body.size() >= 18) {
                    s.shape.from = ReadCell(r.body, 2);
                    s.shape.to = ReadCell(r.body, 10);
                    s.clientAnchor = true;
                }
                break;
            case art::ClientData: s.shape.hasClientData = true; break;
            case art::ClientTextbox: s.shape.hasTextbox = true; break;
            default: break;
            }
        }
        s.shape.flipH = s.flags & 0x40;
        s.shape.flipV = s.flags & 0x80;
        if (s.shape.type == 0 && !s.shape.path.empty() && !(s.flags & 0xD)) s.shape.type = kFreeformType;
        if (s.shape.type != kFreeformType) s.shape.path.clear();
        return s;
    }

    // Puts a member into its group's frame.
    static void Place(Read& s, const Frame& f) {
        ArtShape& a = s.shape;
        if (f.top) return;  // its own client anchor, the whole of it
        a.from = f.from;
        a.to = f.to;
        a.x = f.x;
        a.y = f.y;
        a.w = f.w;
        a.h = f.h;
        const double sw = f.space.r - f.space.l, sh = f.space.b - f.space.t;
        if (!s.child.set || sw <= 0 || sh <= 0) return;
        a.x = f.x + f.w * (s.child.l - f.space.l) / sw;
        a.y = f.y + f.h * (s.child.t - f.space.t) / sh;
        a.w = f.w * (s.child.r - s.child.l) / sw;
        a.h = f.h * (s.child.b - s.child.t) / sh;
    }

    void Group(std::string_view d, const Frame& outer, int depth) {
        RecWalk w(d);
        Rec r;
        Frame inner = outer;
        bool first = true;
        while (w.Next(r)) {
            if (out.size() >= kShapeMaxPerSheet) return;
            if (r.type == art::SpgrContainer) {
                if (depth < kShapeMaxGroupDepth) Group(r.body, inner, depth + 1);
                first = false;
                continue;
            }
            if (r.type != art::SpContainer) continue;
            Read s = Shape(r.body);
            const bool group = s.flags & 0x1, patriarch = s.flags & 0x4, deleted = s.flags & 0x8;
            if (first && group) {
                first = false;
                // The group's own shape: the frame its members are placed in.
                if (!patriarch) {
                    Place(s, outer);
                    inner.top = false;
                    inner.from = s.shape.from;
                    inner.to = s.shape.to;
                    inner.x = s.shape.x;
                    inner.y = s.shape.y;
                    inner.w = s.shape.w;
                    inner.h = s.shape.h;
                    inner.space = s.space;
                    // Its OBJ record still counts among the sheet's objects.
                    s.shape.type = 0;
                    if (s.shape.hasClientData || s.shape.hasTextbox) out.push_back(s.shape);
                }
                continue;
            }
            first = false;
            Place(s, inner);
            if (deleted || (!s.clientAnchor && inner.top)) s.shape.type = 0;
            out.push_back(s.shape);
        }
    }
};

}  // namespace

std::vector<ArtShape> ReadSheetDrawing(std::string_view drawing) {
    DrawingWalk walk;
    walk.Container(drawing, Frame{}, 0);
    return std::move(walk.out);
}

}  // namespace sheets::xls
