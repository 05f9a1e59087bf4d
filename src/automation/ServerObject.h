#pragma once
#include <functional>
#include <string>
#include <vector>

#include "automation/Dispatch.h"

namespace automation {

// A member call as a server sees it: the positional arguments in their
// natural order, and the value of a property put.
struct CallArgs {
    uint16_t flags = 0;
    std::vector<Variant> positional;
    Variant putValue;  // only with kDispatchPropertyPut

    size_t Count() const { return positional.size(); }
    // The argument at `i`, or an omitted value when absent.
    const Variant& At(size_t i) const;
};

// A failure a server reports with a readable description.
struct ServerError {
    std::string description;
    HResult code = kDISP_E_EXCEPTION;
};
// A failure a server reports with a bare status code.
struct ServerStatus {
    HResult code;
};

// Base for objects served in-process: members are registered by name
// (compared ignoring case) with the kinds of call they accept; a handler
// throws ServerError or ServerStatus to fail the call.
class ServerObject : public IDispatchObject {
public:
    using Handler = std::function<Variant(const CallArgs&)>;

    HResult GetIdOfName(const std::string& name, DispId& id) override;
    HResult Invoke(DispId id, uint16_t flags, const DispParams& params, Variant* result, ExcepInfo* excep) override;

protected:
    // `kinds`: the InvokeFlags the member accepts.
    void AddMember(const std::string& name, uint16_t kinds, Handler handler);

private:
    struct Member {
        std::string name;
        uint16_t kinds;
        Handler handler;
    };
    std::vector<Member> members_;
};

}  // namespace automation
