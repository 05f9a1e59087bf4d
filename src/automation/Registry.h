#pragma once
#include <functional>
#include <string>

#include "automation/Dispatch.h"

namespace automation {

// Creates an instance of an in-process server, or returns a failure status.
using ServerFactory = std::function<HResult(ObjectRef& out)>;

// Registers `factory` under `progId` (compared ignoring case) and returns
// the factory it replaces (empty when none). An empty factory unregisters.
// "Excel.Application" is registered from the start.
ServerFactory RegisterServer(const std::string& progId, ServerFactory factory);

// Creates the object registered under `progId`; throws OleError with the
// creation text when the ProgID is unknown or its server fails.
Variant CreateOleObject(const std::string& progId);

}  // namespace automation
