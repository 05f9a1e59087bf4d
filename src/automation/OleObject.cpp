#include "automation/OleObject.h"

namespace automation {
namespace {

Variant Dispatch(const Variant& object, const std::string& name, uint16_t flags, const std::vector<Variant>& args,
                 const Variant* putValue) {
    if (!object.IsObject()) throw OleError(NotAnObjectText(), kE_INVALIDARG);
    if (args.size() > kMaxArguments) throw OleError("Too many parameters", kDISP_E_BADPARAMCOUNT);
    IDispatchObject& target = *object.Object();

    DispId id = kDispIdUnknown;
    if (Failed(target.GetIdOfName(name, id))) throw OleError(UnknownMemberText(name), kDISP_E_UNKNOWNNAME);

    DispParams params;
    params.args.reserve(args.size() + 1);
    if (putValue) {
        params.args.push_back(*putValue);
        params.namedArgs.push_back(kDispIdPropertyPut);
    }
    for (auto it = args.rbegin(); it != args.rend(); ++it) params.args.push_back(*it);

    Variant result;
    ExcepInfo excep;
    HResult hr = target.Invoke(id, flags, params, putValue ? nullptr : &result, &excep);
    if (hr == kDISP_E_EXCEPTION && !excep.description.empty())
        throw OleError(TrimDescription(excep.description), excep.scode ? excep.scode : hr);
    if (Failed(hr)) throw OleError(StatusText(hr), hr);
    return result;
}

}  // namespace

Variant CallMethod(const Variant& object, const std::string& name, const std::vector<Variant>& args) {
    return Dispatch(object, name, kDispatchMethod, args, nullptr);
}

Variant GetProperty(const Variant& object, const std::string& name) {
    return Dispatch(object, name, kDispatchMethod | kDispatchPropertyGet, {}, nullptr);
}

void SetProperty(const Variant& object, const std::string& name, const Variant& value) {
    Dispatch(object, name, kDispatchPropertyPut, {}, &value);
}

Variant GetIndexedProperty(const Variant& object, const std::string& name, const std::vector<Variant>& args) {
    return Dispatch(object, name, kDispatchPropertyGet, args, nullptr);
}

}  // namespace automation
