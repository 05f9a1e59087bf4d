#include "sheets/xlsb/Metadata.h"

#include "sheets/xlsb/RecordTypes.h"
#include "sheets/xlsx/CellImages.h"

namespace sheets::xlsb {

namespace {

// Every list stops growing here, whatever counts the part states.
constexpr size_t kMaxEntries = xlsx::kCellImageMaxEntries;

template <class T>
bool Room(const std::vector<T>& v) {
    return v.size() < kMaxEntries;
}

}  // namespace

bool ValueMetadataReader::OnRecord(const Record& r) {
    Payload in(r.data);
    if (r.type == rt::FRTBegin) {
        ++futureDepth_;
        return true;
    }
    if (r.type == rt::FRTEnd) {
        if (futureDepth_ > 0) --futureDepth_;
        return true;
    }
    if (futureDepth_ > 0) {
        // The only future record read: the rich value of the store's last entry.
        if (r.type != rt::BeginRichValueBlock || !inRichStore_ || richValues_.empty()) return true;
        in.Skip(4);  // the future-record header
        const uint32_t rv = in.U32();
        if (in.Ok() && rv < kMaxEntries) richValues_.back() = rv;
        return true;
    }
    switch (r.type) {
    case rt::Mdtinfo: {
        in.Skip(8);  // flags, version
        std::string name = in.WideString();
        if (Room(types_)) types_.push_back(in.Ok() ? std::move(name) : std::string());
        break;
    }
    case rt::BeginEsfmd: {
        in.Skip(4);  // the count, a hint
        inRichStore_ = in.WideString() == "XLRICHVALUE" && in.Ok();
        break;
    }
    case rt::EndEsfmd: inRichStore_ = false; break;
    case rt::BeginFmd:
        if (inRichStore_ && Room(richValues_)) richValues_.push_back(-1);
        break;
    case rt::BeginEsmdb: {
        in.Skip(4);  // the count, a hint
        const uint32_t cellMeta = in.U32();
        inValueBlocks_ = in.Ok() && cellMeta == 0;
        break;
    }
    case rt::EndEsmdb: inValueBlocks_ = false; break;
    case rt::Mdb: {
        if (!inValueBlocks_ || !Room(entries_)) break;
        // An entry is kept even when unreadable, so that the later ones keep their numbers.
        Entry& e = entries_.emplace_back();
        const uint32_t count = in.U32();
        const int32_t type = in.I32(), value = in.I32();
        if (in.Ok() && count > 0 && type > 0 && value >= 0) e = Entry{type, value};
        break;
    }
    default: break;
    }
    return true;
}

std::vector<int64_t> ValueMetadataReader::Resolve() const {
    std::vector<int64_t> out(entries_.size(), -1);
    for (size_t i = 0; i < entries_.size(); ++i) {
        const Entry& e = entries_[i];
        if (e.type < 1 || uint64_t(e.type) > types_.size() || types_[size_t(e.type - 1)] != "XLRICHVALUE") continue;
        if (e.value >= 0 && uint64_t(e.value) < richValues_.size()) out[i] = richValues_[size_t(e.value)];
    }
    return out;
}

std::vector<int64_t> ReadValueMetadata(const xlsx::Package& pkg, const std::string& part) {
    ValueMetadataReader reader;
    RecordSplitter splitter(reader);
    pkg.Zip().Stream(part, [&](const char* p, size_t n) { return splitter.Feed(p, n); });
    return reader.Resolve();
}

}  // namespace sheets::xlsb
