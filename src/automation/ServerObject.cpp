#include "automation/ServerObject.h"

#include <exception>

#include "automation/AsciiText.h"

namespace automation {

const Variant& CallArgs::At(size_t i) const {
    static const Variant omitted = Variant::Omitted();
    return i < positional.size() ? positional[i] : omitted;
}

void ServerObject::AddMember(const std::string& name, uint16_t kinds, Handler handler) {
    members_.push_back(Member{name, kinds, std::move(handler)});
}

HResult ServerObject::GetIdOfName(const std::string& name, DispId& id) {
    for (size_t i = 0; i < members_.size(); ++i) {
        if (SameName(members_[i].name, name)) {
            id = static_cast<DispId>(i + 1);
            return S_OK_;
        }
    }
    id = kDispIdUnknown;
    return kDISP_E_UNKNOWNNAME;
}

HResult ServerObject::Invoke(DispId id, uint16_t flags, const DispParams& params, Variant* result, ExcepInfo* excep) {
    if (id < 1 || static_cast<size_t>(id) > members_.size()) return kDISP_E_MEMBERNOTFOUND;
    const Member& m = members_[static_cast<size_t>(id) - 1];
    if ((m.kinds & flags) == 0) return kDISP_E_MEMBERNOTFOUND;

    CallArgs call;
    call.flags = static_cast<uint16_t>(flags & m.kinds);
    size_t named = params.namedArgs.size();
    if (named > params.args.size()) return kE_INVALIDARG;
    for (size_t i = 0; i < named; ++i) {
        if (params.namedArgs[i] != kDispIdPropertyPut || !(flags & kDispatchPropertyPut)) return kDISP_E_PARAMNOTFOUND;
        call.putValue = params.args[i];
    }
    if ((flags & kDispatchPropertyPut) && named == 0) return kDISP_E_PARAMNOTFOUND;
    for (size_t i = params.args.size(); i > named; --i) call.positional.push_back(params.args[i - 1]);

    try {
        Variant r = m.handler(call);
        if (result) *result = std::move(r);
        return S_OK_;
    } catch (const ServerError& e) {
        if (excep) {
            excep->source = m.name;
            excep->description = e.description;
            excep->scode = e.code;
        }
        return kDISP_E_EXCEPTION;
    } catch (const ServerStatus& e) {
        return e.code;
    } catch (const std::bad_alloc&) {
        return kE_OUTOFMEMORY;
    } catch (const std::exception& e) {
        // Nothing may escape a server as a C++ exception: it would cross the
        // call boundary that real servers keep.
        if (excep) {
            excep->source = m.name;
            excep->description = e.what();
            excep->scode = kE_FAIL;
        }
        return kDISP_E_EXCEPTION;
    }
}

}  // namespace automation
