#include <gtest/gtest.h>

#include "automation/OleObject.h"
#include "automation/Registry.h"
#include "automation/ServerObject.h"

using namespace automation;

namespace {

// Records how it was called so that the calling convention can be checked.
class Probe : public ServerObject {
public:
    uint16_t lastFlags = 0;
    std::vector<Variant> lastArgs;
    Variant lastPut;
    int lookups = 0;

    Probe() {
        auto record = [this](const CallArgs& a) {
            lastFlags = a.flags;
            lastArgs = a.positional;
            lastPut = a.putValue;
            return Variant(static_cast<int32_t>(a.Count()));
        };
        AddMember("Call", kDispatchMethod | kDispatchPropertyGet | kDispatchPropertyPut, record);
        AddMember("Fail", kDispatchMethod,
                  [](const CallArgs&) -> Variant { throw ServerError{"Cannot open the file.\r\n  ..  "}; });
        AddMember("Status", kDispatchMethod, [](const CallArgs& a) -> Variant {
            int32_t code = 0;
            a.At(0).ToInt(code);
            throw ServerStatus{code};
        });
        AddMember("Throws", kDispatchMethod,
                  [](const CallArgs&) -> Variant { throw std::runtime_error("engine gave up."); });
        AddMember("GetOnly", kDispatchPropertyGet, [](const CallArgs&) { return Variant(1); });
    }
    HResult GetIdOfName(const std::string& name, DispId& id) override {
        ++lookups;
        return ServerObject::GetIdOfName(name, id);
    }
};

Variant Wrap(const std::shared_ptr<Probe>& p) { return Variant(ObjectRef(p)); }

}  // namespace

TEST(OleCalls, CallingConventionPerKindOfCall) {
    auto probe = std::make_shared<Probe>();
    Variant obj = Wrap(probe);

    CallMethod(obj, "call", {Variant("a"), Variant::Omitted(), Variant(true)});
    EXPECT_EQ(probe->lastFlags, kDispatchMethod);
    ASSERT_EQ(probe->lastArgs.size(), 3u);  // back in their natural order
    std::string s;
    EXPECT_TRUE(probe->lastArgs[0].ToText(s));
    EXPECT_EQ(s, "a");
    EXPECT_TRUE(probe->lastArgs[1].IsOmitted());
    EXPECT_EQ(probe->lastArgs[2].type(), Variant::Type::Bool);

    int32_t n = -1;
    EXPECT_TRUE(GetProperty(obj, "CALL").ToInt(n));
    EXPECT_EQ(n, 0);
    EXPECT_EQ(probe->lastFlags, kDispatchMethod | kDispatchPropertyGet);

    GetIndexedProperty(obj, "Call", {Variant(2)});
    EXPECT_EQ(probe->lastFlags, kDispatchPropertyGet);

    SetProperty(obj, "Call", Variant(false));
    EXPECT_EQ(probe->lastFlags, kDispatchPropertyPut);
    EXPECT_TRUE(probe->lastArgs.empty());
    bool b = true;
    EXPECT_TRUE(probe->lastPut.ToBool(b));
    EXPECT_FALSE(b);

    // Names are looked up afresh at every call.
    EXPECT_EQ(probe->lookups, 4);
}

TEST(OleCalls, FailureTexts) {
    auto probe = std::make_shared<Probe>();
    Variant obj = Wrap(probe);
    auto message = [&](auto&& call) -> std::string {
        try {
            call();
        } catch (const OleError& e) {
            return e.what();
        }
        return "(no error)";
    };

    EXPECT_EQ(message([&] { CallMethod(obj, "Fail"); }), "Cannot open the file");
    EXPECT_EQ(message([&] { CallMethod(obj, "Throws"); }), "engine gave up");
    EXPECT_EQ(message([&] { CallMethod(obj, "Status", {Variant(static_cast<int32_t>(0x80020005))}); }),
              "Type mismatch");
    EXPECT_EQ(message([&] { CallMethod(obj, "Status", {Variant(static_cast<int32_t>(0x8ABC0001))}); }),
              "OLE error 8abc0001");
    EXPECT_EQ(message([&] { CallMethod(obj, "Nope"); }), "Method 'Nope' not supported by automation object");
    EXPECT_EQ(message([&] { GetProperty(Variant(), "Version"); }), "Variant does not reference an automation object");
    EXPECT_EQ(message([&] { GetProperty(Variant("text"), "Version"); }),
              "Variant does not reference an automation object");
    // A known name called in a way the member does not support.
    EXPECT_EQ(message([&] { SetProperty(obj, "GetOnly", Variant(1)); }), "Member not found");

    std::vector<Variant> many(65, Variant(1));
    EXPECT_NE(message([&] { CallMethod(obj, "Call", many); }), "(no error)");
    std::vector<Variant> most(64, Variant(1));
    EXPECT_EQ(message([&] { CallMethod(obj, "Call", most); }), "(no error)");
}

TEST(OleCalls, TrimDescriptionKeepsInnerText) {
    EXPECT_EQ(TrimDescription("A. B.  \t\n."), "A. B");
    EXPECT_EQ(TrimDescription("...."), "");
    EXPECT_EQ(TrimDescription("ok"), "ok");
}

TEST(OleRegistry, CreationAndItsFailures) {
    auto message = [](const std::string& progId) -> std::string {
        try {
            CreateOleObject(progId);
        } catch (const OleError& e) {
            return e.what();
        }
        return "(created)";
    };
    EXPECT_EQ(message("No.Such.Server"), "Invalid class string, ProgID: \"No.Such.Server\"");

    ServerFactory previous = RegisterServer("Test.Failing", [](ObjectRef&) { return kREGDB_E_CLASSNOTREG; });
    EXPECT_FALSE(previous);
    EXPECT_EQ(message("test.failing"), "Class not registered, ProgID: \"test.failing\"");
    RegisterServer("Test.Failing", [](ObjectRef&) { return static_cast<HResult>(0x80990001); });
    EXPECT_EQ(message("Test.Failing"), "OLE error 80990001, ProgID: \"Test.Failing\"");
    RegisterServer("Test.Failing", [](ObjectRef&) -> HResult { throw std::runtime_error("x"); });
    EXPECT_EQ(message("Test.Failing"), "Unspecified error, ProgID: \"Test.Failing\"");
    RegisterServer("Test.Failing", nullptr);
    EXPECT_EQ(message("Test.Failing"), "Invalid class string, ProgID: \"Test.Failing\"");

    // The built-in server is there from the start and can be stood in for.
    EXPECT_TRUE(CreateOleObject("Excel.Application").IsObject());
    ServerFactory builtin = RegisterServer("Excel.Application", [](ObjectRef& out) {
        out = std::make_shared<Probe>();
        return S_OK_;
    });
    ASSERT_TRUE(builtin);
    EXPECT_NO_THROW(GetProperty(CreateOleObject("Excel.Application"), "GetOnly"));
    RegisterServer("Excel.Application", builtin);
    EXPECT_EQ(GetProperty(CreateOleObject("excel.application"), "Version").type(), Variant::Type::String);
}

TEST(OleVariant, Coercions) {
    int32_t i = 0;
    EXPECT_TRUE(Variant("  12 ").ToInt(i));
    EXPECT_EQ(i, 12);
    EXPECT_TRUE(Variant(2.5).ToInt(i));  // banker's rounding, as Automation does
    EXPECT_EQ(i, 2);
    EXPECT_FALSE(Variant("12abc").ToInt(i));
    EXPECT_FALSE(Variant("1e20").ToInt(i));
    EXPECT_FALSE(Variant::Omitted().ToInt(i));
    EXPECT_TRUE(Variant(true).ToInt(i));
    EXPECT_EQ(i, -1);
    bool b = false;
    EXPECT_TRUE(Variant("TRUE").ToBool(b));
    EXPECT_TRUE(b);
    EXPECT_TRUE(Variant("0").ToBool(b));
    EXPECT_FALSE(b);
    EXPECT_FALSE(Variant("maybe").ToBool(b));
    EXPECT_FALSE(Variant(ObjectRef()).IsObject());
}
