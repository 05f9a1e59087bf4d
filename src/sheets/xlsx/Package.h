#pragma once
// The parts of an OOXML package and the relationships between them.
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "sheets/container/Zip.h"
#include "sheets/xlsx/Xml.h"

namespace sheets::xlsx {

struct Relationship {
    std::string id;
    std::string type;  // the last segment of the type URI, e.g. "worksheet"
    std::string target;  // a part name (resolved, no leading '/'), or the address when external
    bool external = false;
};

class Package {
public:
    explicit Package(std::string_view bytes) : zip_(bytes) {}

    const ZipPackage& Zip() const { return zip_; }
    bool Has(std::string_view part) const { return zip_.Has(part); }
    std::string Read(std::string_view part) const { return zip_.Read(part); }
    // Streams a part through an XML handler without holding it whole. A
    // large part is inflated and parsed on a second thread while this one
    // runs the handler (see ReadAhead.h): the handler must not use the
    // package meanwhile.
    void Parse(std::string_view part, SaxHandler& handler) const;

    // The relationships of a part ("" for the package itself); empty when
    // the part has none.
    std::vector<Relationship> Rels(std::string_view part) const;
    // The content type declared for a part, or "" when none is.
    std::string ContentType(std::string_view part) const;
    // The content type of an image part: the declared one, else the one its
    // extension names, so that a page can always say what it embeds.
    std::string ImageType(std::string_view part) const;
    // The parts (present in the archive) whose declared content type ends
    // with `suffix`, in the order they are declared.
    std::vector<std::string> PartsOfType(std::string_view suffix) const;

private:
    void LoadContentTypes() const;
    ZipPackage zip_;
    mutable bool typesLoaded_ = false;
    mutable std::vector<std::pair<std::string, std::string>> overrides_;  // normalized part, type
    mutable std::vector<std::pair<std::string, std::string>> defaults_;  // lower-case extension, type
    mutable std::unordered_map<std::string, std::string> overrideIndex_;  // the first override of a part
};

// What Package::Parse does on one thread: small parts are parsed whole,
// large ones streamed in batches of records of about `batchBytes`.
void StreamPart(const ZipPackage& zip, std::string_view part, SaxHandler& handler, size_t batchBytes = size_t(1) << 20);

// Resolves a relationship target against the part that holds it.
std::string ResolvePartName(std::string_view sourcePart, std::string_view target);

const Relationship* FindRel(const std::vector<Relationship>& rels, std::string_view id);

// Relationships by id, for parts that look up many (a sheet's hyperlinks).
class RelIndex {
public:
    explicit RelIndex(const std::vector<Relationship>& rels);
    const Relationship* Find(std::string_view id) const;

private:
    std::unordered_map<std::string_view, const Relationship*> byId_;
};
const Relationship* FindRelOfType(const std::vector<Relationship>& rels, std::string_view type);

}  // namespace sheets::xlsx
