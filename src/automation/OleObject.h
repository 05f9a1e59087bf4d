#pragma once
#include <string>
#include <vector>

#include "automation/Dispatch.h"
#include "automation/OleError.h"

namespace automation {

// Late-bound calls on the object a variant holds. The member name is looked
// up at every call; failures throw OleError with the layer's texts.
// At most 64 arguments.
Variant CallMethod(const Variant& object, const std::string& name, const std::vector<Variant>& args = {});
Variant GetProperty(const Variant& object, const std::string& name);
void SetProperty(const Variant& object, const std::string& name, const Variant& value);
Variant GetIndexedProperty(const Variant& object, const std::string& name, const std::vector<Variant>& args);

inline constexpr size_t kMaxArguments = 64;

}  // namespace automation
