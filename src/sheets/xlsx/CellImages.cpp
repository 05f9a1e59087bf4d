#include "sheets/xlsx/CellImages.h"

#include <algorithm>
#include <string_view>

#include "sheets/Errors.h"
#include "sheets/xlsx/ValueText.h"

namespace sheets::xlsx {

namespace {

using namespace std::string_view_literals;

// An index as the file states it; -1 when absent or unreadable.
int64_t IndexAttr(Attrs a, std::string_view name) {
    const int64_t v = AttrInt(a, name, -1);
    return v >= 0 && v < int64_t(kCellImageMaxEntries) ? v : -1;
}

template <class T>
bool Room(const std::vector<T>& v) {
    return v.size() < kCellImageMaxEntries;
}

// The value metadata: which rich value each `vm` of a cell stands for.
class MetadataHandler final : public SaxHandler {
public:
    std::vector<std::string> types;  // metadataType names; `t` counts from 1
    std::vector<int64_t> richValues;  // the XLRICHVALUE blocks' rich value indices
    struct Entry {
        int64_t type = -1, value = -1;
    };
    std::vector<Entry> values;  // valueMetadata blocks; `vm` counts from 1

    void Start(std::string_view n, Attrs a) override {
        if (n == "metadataType") {
            if (Room(types)) types.push_back(AttrString(a, "name"));
        } else if (n == "futureMetadata") {
            inRich_ = AttrString(a, "name") == "XLRICHVALUE";
        } else if (n == "valueMetadata") {
            inValues_ = true;
        } else if (n == "bk") {
            if (inRich_ && Room(richValues)) richValues.push_back(-1);
            else if (inValues_ && Room(values)) values.push_back(Entry{});
            firstRc_ = true;
        } else if (n == "rvb" && inRich_ && !richValues.empty()) {
            richValues.back() = IndexAttr(a, "i");
        } else if (n == "rc" && inValues_ && firstRc_ && !values.empty()) {
            firstRc_ = false;
            values.back() = Entry{IndexAttr(a, "t"), IndexAttr(a, "v")};
        }
    }

    void End(std::string_view n) override {
        if (n == "futureMetadata") inRich_ = false;
        else if (n == "valueMetadata") inValues_ = false;
    }

private:
    bool inRich_ = false, inValues_ = false, firstRc_ = false;
};

enum class ImageKind : uint8_t { None, Local, Web };

// Which keys of each rich value structure hold a picture's reference and its text.
class StructuresHandler final : public SaxHandler {
public:
    struct Structure {
        ImageKind kind = ImageKind::None;
        int64_t imageKey = -1, textKey = -1, keys = 0;
    };
    std::vector<Structure> structures;

    void Start(std::string_view n, Attrs a) override {
        if (n == "s") {
            inS_ = Room(structures);
            if (inS_) structures.emplace_back();
        } else if (n == "k" && inS_) {
            Structure& s = structures.back();
            const std::string key = AttrString(a, "n");
            if (key == "_rvRel:LocalImageIdentifier"sv) {
                s.kind = ImageKind::Local;
                s.imageKey = s.keys;
            } else if (key == "_rvRel:WebImageIdentifier"sv) {
                s.kind = ImageKind::Web;
                s.imageKey = s.keys;
            } else if (key == "Text"sv) {
                s.textKey = s.keys;
            }
            ++s.keys;
        }
    }
    void End(std::string_view n) override {
        if (n == "s") inS_ = false;
    }

private:
    bool inS_ = false;
};

struct RichImage {
    ImageKind kind = ImageKind::None;
    int64_t ref = -1;  // into the relationship or web-image list
    std::string text;
};

// The rich values; only the pictures among them keep what they say.
class ValuesHandler final : public SaxHandler {
public:
    explicit ValuesHandler(const std::vector<StructuresHandler::Structure>& s) : structures_(s) {}
    std::vector<RichImage> values;

    void Start(std::string_view n, Attrs a) override {
        if (n == "rv") {
            inRv_ = Room(values);
            if (!inRv_) return;
            values.emplace_back();
            const int64_t s = AttrInt(a, "s", -1);
            shape_ = s >= 0 && uint64_t(s) < structures_.size() ? &structures_[size_t(s)] : nullptr;
            if (shape_) values.back().kind = shape_->kind;
            key_ = 0;
        } else if (n == "v" && inRv_ && shape_) {
            wantText = key_ == shape_->imageKey || key_ == shape_->textKey;
            text_.clear();
        }
    }

    void End(std::string_view n) override {
        if (n == "rv") {
            inRv_ = false;
        } else if (n == "v" && inRv_ && shape_) {
            if (wantText) Keep();
            wantText = false;
            ++key_;
        }
    }

    void Text(std::string_view t) override {
        if (text_.size() < 2 * kCellImageMaxAltBytes) text_.append(t.substr(0, 2 * kCellImageMaxAltBytes));
    }

private:
    void Keep() {
        RichImage& v = values.back();
        if (key_ == shape_->imageKey) {
            int64_t i;
            if (ParseInt(text_, i) && i >= 0 && i < int64_t(kCellImageMaxEntries)) v.ref = i;
            return;
        }
        DecodeEscapes(text_);
        size_t end = std::min(text_.size(), kCellImageMaxAltBytes);
        while (end < text_.size() && (static_cast<unsigned char>(text_[end]) & 0xC0) == 0x80) --end;
        v.text = text_.substr(0, end);
    }

    const std::vector<StructuresHandler::Structure>& structures_;
    const StructuresHandler::Structure* shape_ = nullptr;
    int64_t key_ = 0;
    std::string text_;
    bool inRv_ = false;
};

// The relationship ids a list part gives in order: `rel` elements of the
// rich-value relationship list, the `blip` of each web image.
class IdListHandler final : public SaxHandler {
public:
    explicit IdListHandler(bool webImages) : web_(webImages) {}
    std::vector<std::string> ids;

    void Start(std::string_view n, Attrs a) override {
        if (!web_ && n == "rel") {
            if (Room(ids)) ids.push_back(AttrString(a, "id"));
        } else if (web_ && n == "webImageSrd") {
            inImage_ = Room(ids);
            if (inImage_) ids.emplace_back();
        } else if (web_ && inImage_ && n == "blip") {
            ids.back() = AttrString(a, "id");
        }
    }
    void End(std::string_view n) override {
        if (n == "webImageSrd") inImage_ = false;
    }

private:
    bool web_;
    bool inImage_ = false;
};

const Relationship* PartOfType(const Package& pkg, const std::vector<Relationship>& rels, std::string_view type) {
    const Relationship* r = FindRelOfType(rels, type);
    return r && !r->external && pkg.Has(r->target) ? r : nullptr;
}

// The image parts a list part names, in its order; "" where it names none.
std::vector<std::string> ImageTargets(const Package& pkg, const Relationship* list, bool webImages) {
    if (!list) return {};
    IdListHandler h(webImages);
    pkg.Parse(list->target, h);
    const auto rels = pkg.Rels(list->target);
    RelIndex byId(rels);
    std::vector<std::string> out;
    out.reserve(h.ids.size());
    for (const std::string& id : h.ids) {
        const Relationship* r = byId.Find(id);
        out.push_back(r && !r->external && pkg.Has(r->target) ? r->target : std::string());
    }
    return out;
}

}  // namespace

std::vector<int64_t> ReadValueMetadataXml(const Package& pkg, const std::string& part) {
    MetadataHandler mh;
    pkg.Parse(part, mh);
    std::vector<int64_t> out(mh.values.size(), -1);
    for (size_t i = 0; i < mh.values.size(); ++i) {
        const auto& e = mh.values[i];
        if (e.type < 1 || uint64_t(e.type) > mh.types.size() || mh.types[size_t(e.type - 1)] != "XLRICHVALUE") continue;
        if (e.value >= 0 && uint64_t(e.value) < mh.richValues.size()) out[i] = mh.richValues[size_t(e.value)];
    }
    return out;
}

CellImages::CellImages(const Package& pkg, const std::vector<Relationship>& wbRels,
                       const ValueMetadataReader& readMetadata) {
    const Relationship* metadata = PartOfType(pkg, wbRels, "sheetMetadata");
    const Relationship* values = PartOfType(pkg, wbRels, "rdRichValue");
    const Relationship* structures = PartOfType(pkg, wbRels, "rdRichValueStructure");
    if (!metadata || !values || !structures) return;
    try {
        const std::vector<std::string> local = ImageTargets(pkg, PartOfType(pkg, wbRels, "richValueRel"), false);
        const std::vector<std::string> web = ImageTargets(pkg, PartOfType(pkg, wbRels, "rdRichValueWebImage"), true);
        if (local.empty() && web.empty()) return;
        StructuresHandler sh;
        pkg.Parse(structures->target, sh);
        ValuesHandler vh(sh.structures);
        pkg.Parse(values->target, vh);
        const std::vector<int64_t> richValueOfVm = readMetadata(pkg, metadata->target);

        std::vector<int32_t> imageOf(vh.values.size(), -1);  // rich value -> images_
        for (size_t i = 0; i < vh.values.size(); ++i) {
            RichImage& v = vh.values[i];
            const std::vector<std::string>& list = v.kind == ImageKind::Local ? local : web;
            if (v.kind == ImageKind::None || v.ref < 0 || uint64_t(v.ref) >= list.size()) continue;
            const std::string& part = list[size_t(v.ref)];
            if (part.empty()) continue;
            imageOf[i] = int32_t(images_.size());
            images_.push_back(CellImage{part, std::move(v.text)});
        }
        byVm_.assign(std::min(richValueOfVm.size(), kCellImageMaxEntries), -1);
        for (size_t i = 0; i < byVm_.size(); ++i) {
            const int64_t rv = richValueOfVm[i];
            if (rv >= 0 && uint64_t(rv) < imageOf.size()) byVm_[i] = imageOf[size_t(rv)];
        }
    } catch (const Error&) {
        // A damaged part of the chain: the cells show what they cache.
        images_.clear();
        byVm_.clear();
    }
}

const CellImage* CellImages::Find(uint32_t vm) const {
    if (vm == 0 || vm > byVm_.size() || byVm_[vm - 1] < 0) return nullptr;
    return &images_[size_t(byVm_[vm - 1])];
}

void CellImages::Place(const Package& pkg, const std::vector<SheetRefs::ValueMeta>& cells, Sheet& sheet,
                       uint64_t& budget, std::vector<RichString>& strings) {
    if (Empty()) return;
    for (const SheetRefs::ValueMeta& m : cells) {
        const CellImage* image = Find(m.vm);
        if (!image) continue;
        auto row = std::lower_bound(sheet.rows.begin(), sheet.rows.end(), m.row,
                                    [](const Row& r, uint32_t v) { return r.index < v; });
        if (row == sheet.rows.end() || row->index != m.row) continue;
        auto cell = std::lower_bound(row->cells.begin(), row->cells.end(), m.col,
                                     [](const Cell& c, uint32_t v) { return c.col < v; });
        // A cell written over later in the part holds what the last writing says.
        if (cell == row->cells.end() || cell->col != m.col || cell->type != CellType::Error) continue;
        auto& bytes = read_[image->part];
        if (!bytes) {
            std::string data;
            try {
                data = pkg.Read(image->part);
            } catch (const Error&) {
                // A damaged image entry: the cells that show it keep their cached values.
            }
            bytes = std::make_shared<const std::string>(std::move(data));
        }
        if (bytes->empty() || bytes->size() > budget) continue;
        budget -= bytes->size();
        if (noText_ < 0) {
            noText_ = int64_t(strings.size());
            strings.emplace_back();
        }
        cell->type = CellType::String;
        cell->string = uint32_t(noText_);
        sheet.cellPictures.push_back(CellPicture{m.row, m.col, pkg.ImageType(image->part), bytes, image->description});
    }
    std::stable_sort(
        sheet.cellPictures.begin(), sheet.cellPictures.end(),
        [](const CellPicture& a, const CellPicture& b) { return a.row != b.row ? a.row < b.row : a.col < b.col; });
}

}  // namespace sheets::xlsx
