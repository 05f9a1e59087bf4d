#include "automation/Registry.h"

#include <map>
#include <mutex>

#include "automation/AsciiText.h"
#include "automation/ExcelServer.h"
#include "automation/OleError.h"

namespace automation {
namespace {

struct RegistryState {
    std::mutex mutex;  // guards servers
    std::map<std::string, ServerFactory> servers;  // key: folded ProgID
};

RegistryState& State() {
    static RegistryState* state = [] {
        auto* s = new RegistryState;  // never destroyed: workers may create late in shutdown
        s->servers[LowerName("Excel.Application")] = CreateExcelApplication;
        return s;
    }();
    return *state;
}

}  // namespace

ServerFactory RegisterServer(const std::string& progId, ServerFactory factory) {
    RegistryState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    std::string key = LowerName(progId);
    ServerFactory old;
    auto it = s.servers.find(key);
    if (it != s.servers.end()) {
        old = std::move(it->second);
        s.servers.erase(it);
    }
    if (factory) s.servers[key] = std::move(factory);
    return old;
}

Variant CreateOleObject(const std::string& progId) {
    ServerFactory factory;
    {
        RegistryState& s = State();
        std::lock_guard<std::mutex> lock(s.mutex);
        auto it = s.servers.find(LowerName(progId));
        if (it == s.servers.end()) throw OleError(CreationErrorText(kCO_E_CLASSSTRING, progId), kCO_E_CLASSSTRING);
        factory = it->second;
    }
    ObjectRef object;
    HResult hr = S_OK_;
    try {
        hr = factory(object);
    } catch (...) {
        hr = kE_FAIL;
    }
    if (!Failed(hr) && !object) hr = kE_NOINTERFACE;
    if (Failed(hr)) throw OleError(CreationErrorText(hr, progId), hr);
    return Variant(std::move(object));
}

}  // namespace automation
