#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "automation/Variant.h"

namespace automation {

using DispId = int32_t;
inline constexpr DispId kDispIdPropertyPut = -3;
inline constexpr DispId kDispIdUnknown = -1;

enum InvokeFlags : uint16_t {
    kDispatchMethod = 1,
    kDispatchPropertyGet = 2,
    kDispatchPropertyPut = 4,
};

// Arguments as they travel through Invoke: positional arguments in reverse
// order (the last one first), named arguments before them.
struct DispParams {
    std::vector<Variant> args;
    std::vector<DispId> namedArgs;  // ids of the first namedArgs.size() args
};

// What a server reports about a failed call besides its status code.
struct ExcepInfo {
    std::string source;
    std::string description;
    HResult scode = 0;
};

// An object whose members are found by name and then invoked: the late-bound
// interface every server implements. Objects live on the thread that created
// them; callers never share one between threads.
class IDispatchObject {
public:
    virtual ~IDispatchObject() = default;
    virtual HResult GetIdOfName(const std::string& name, DispId& id) = 0;
    // Returns kDISP_E_EXCEPTION with `excep` filled when the server has a
    // description of the failure.
    virtual HResult Invoke(DispId id, uint16_t flags, const DispParams& params, Variant* result, ExcepInfo* excep) = 0;
};

}  // namespace automation
