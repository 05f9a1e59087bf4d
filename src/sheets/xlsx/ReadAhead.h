#pragma once
// A large part read on two threads. A second thread inflates the part and
// parses its XML into batches of events, while the calling thread hands the
// batches it already has to the handler: the two halves of the work of one
// large sheet run side by side.
#include <string_view>

#include "sheets/container/Zip.h"
#include "sheets/xlsx/Xml.h"

namespace sheets::xlsx {

// As StreamPart: the handler gets the same events in the same order, and the
// same error at the same point, on the calling thread. A few batches wait at
// most, so memory stays bounded however large the part. The rest of the part
// is not read once the handler has finished or thrown. Falls back to one
// thread when a second one cannot be had.
void ParseAhead(const ZipPackage& zip, std::string_view part, SaxHandler& handler);

}  // namespace sheets::xlsx
