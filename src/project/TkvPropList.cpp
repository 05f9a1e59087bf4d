#include "project/TkvPropList.h"

#include "platform/Text.h"
#include "project/PropertyHost.h"

namespace project {

std::string TkvPropList::GetProp(const std::string& name) const {
    try {
        if (!Instance || Instance->PropertyKind(name) == IPropertyHost::Kind::Missing) return {};
        return Instance->Read(name);
    } catch (...) {
        return {};
    }
}

void TkvPropList::SetProp(const std::string& name, const std::string& value) {
    try {
        if (!Instance) return;
        switch (Instance->PropertyKind(name)) {
        case IPropertyHost::Kind::Missing: return;
        case IPropertyHost::Kind::Text: Instance->Write(name, value); return;
        case IPropertyHost::Kind::Integer: {
            int32_t n;
            if (platform::TryParseInt32(value, n)) Instance->Write(name, std::to_string(n));
            return;
        }
        case IPropertyHost::Kind::Enum: {
            std::string wanted = value.empty() ? std::string("False") : value;
            const auto ids = Instance->EnumNames(name);
            // A Boolean property also takes the numbers that every option
            // reader takes as Booleans, so that Subdir=1 shows as checked
            // and is not turned into False by the next save.
            double number;
            if (ids.size() == 2 && platform::SameText(ids[0], "False") && platform::SameText(ids[1], "True") &&
                platform::TryParseNumber(wanted, number))
                wanted = number != 0 ? "True" : "False";
            for (const auto& id : ids) {
                if (platform::SameText(id, wanted)) {
                    Instance->Write(name, id);
                    return;
                }
            }
            return;
        }
        }
    } catch (...) {
        // A value the control refuses leaves it as it was.
    }
}

}  // namespace project
