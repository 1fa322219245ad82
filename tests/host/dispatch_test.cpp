// Late-bound dispatch driven by the member table: names, argument conversion, errors.
#include <gtest/gtest.h>

#include "support/error_number.h"
#include "host/reference/reference_host.h"
#include "platform/gdi/icon.h"
#include "platform/picture/picture.h"
#include "probe_control.h"

namespace ov::host::testing {
namespace {

using testing_support::ErrorNumberOf;

class DispatchTest : public ::testing::Test {
protected:
    ClassRegistry registry = ProbeRegistry();
    ReferenceHost host{registry};
    std::shared_ptr<AutomationObject> p;
    void SetUp() override { p = host.New("P", "Probe"); }
};

TEST_F(DispatchTest, NamesAreCaseInsensitiveAndIdsComeFromTheTable) {
    EXPECT_EQ(p->GetIDOfName("COUNT"), 1);
    EXPECT_EQ(p->GetIDOfName("twice"), 3);
    EXPECT_EQ(p->TypeName(), "Probe");
}

TEST_F(DispatchTest, ArgumentsAreConvertedToTheDeclaredTypes) {
    PutProperty(*p, "Count", Variant::FromString(" 12 "));
    EXPECT_EQ(GetProperty(*p, "Count"), Variant::FromLong(12));
    PutProperty(*p, "Count", Variant::FromDouble(2.5));  // halves to even
    EXPECT_EQ(GetProperty(*p, "Count"), Variant::FromLong(2));
    std::vector<Variant> args{Variant::FromInteger(5), Variant::FromLong(1)};
    EXPECT_EQ(CallMethod(*p, "Small", args), Variant::FromLong(6));
    std::vector<Variant> only_required{Variant::FromString("7")};
    EXPECT_EQ(CallMethod(*p, "Small", only_required), Variant::FromLong(7));
}

TEST_F(DispatchTest, ErrorsCarryTheRuntimeNumbers) {
    std::vector<Variant> too_big{Variant::FromLong(40000)};
    EXPECT_EQ(ErrorNumberOf([&] { CallMethod(*p, "Small", too_big); }), 6);
    EXPECT_EQ(ErrorNumberOf([&] { PutProperty(*p, "Count", Variant::FromString("abc")); }), 13);
    EXPECT_EQ(ErrorNumberOf([&] { GetProperty(*p, "Nonexistent"); }), 438);
    std::vector<Variant> none;
    EXPECT_EQ(ErrorNumberOf([&] { CallMethod(*p, "Small", none); }), 450);
    std::vector<Variant> three{Variant::FromInteger(1), Variant::FromInteger(2), Variant::FromInteger(3)};
    EXPECT_EQ(ErrorNumberOf([&] { CallMethod(*p, "Small", three); }), 450);
    EXPECT_EQ(ErrorNumberOf([&] { GetProperty(*p, "Count", {Variant::FromInteger(1)}); }), 450);
    std::vector<Variant> put_without_value;
    EXPECT_EQ(ErrorNumberOf([&] { p->Invoke(1, InvokeKind::PropertyPut, put_without_value); }), 450);
    std::vector<Variant> nothing;
    EXPECT_EQ(ErrorNumberOf([&] { p->Invoke(12345, InvokeKind::PropertyGet, nothing); }), 438);
    // A failed conversion leaves the property unchanged.
    PutProperty(*p, "Count", Variant::FromLong(4));
    EXPECT_EQ(ErrorNumberOf([&] { PutProperty(*p, "Count", Variant::FromDouble(3e10)); }), 6);
    EXPECT_EQ(GetProperty(*p, "Count"), Variant::FromLong(4));
}

// Errors name their source: the class whose member raised them (nested objects keep their
// own), the runtime for what no class raised; a put on a read-only member is 383.
TEST_F(DispatchTest, ErrorsNameTheClassTheyLeave) {
    const auto source_of = [](const std::function<void()>& action) -> std::string {
        try {
            action();
        } catch (const AutomationError& e) {
            return e.source();
        }
        return "(none)";
    };
    EXPECT_EQ(source_of([&] { PutProperty(*p, "Count", Variant::FromString("abc")); }), "OrvelleControls.Probe");
    std::vector<Variant> nothing;
    EXPECT_EQ(source_of([&] { p->Invoke(12345, InvokeKind::PropertyGet, nothing); }), "OrvelleControls.Probe");
    EXPECT_EQ(source_of([] { CInt(Variant::FromLong(70000)); }), "OrvelleRuntime");
    EXPECT_EQ(source_of([] { throw AutomationError(error::kObjectErrorBase + 3000, "Own", "TrayIcon"); }), "TrayIcon");
    auto picture = Picture::FromIcon(gdi::CreateIconFromArgb(1, 1, std::vector<std::uint32_t>{0}.data()));
    EXPECT_EQ(ErrorNumberOf([&] { PutProperty(*picture, "Handle", Variant::FromLong(1)); }), error::kPropertyReadOnly);
    EXPECT_EQ(source_of([&] { PutProperty(*picture, "Handle", Variant::FromLong(1)); }), "OrvelleRuntime");
}

TEST_F(DispatchTest, ByReferenceArgumentsComeBackByValueOnesDoNot) {
    std::vector<Variant> args{Variant::FromInteger(21), Variant::FromLong(5)};
    CallMethod(*p, "Twice", args);
    EXPECT_EQ(args[0], Variant::FromLong(42));  // converted to Long and doubled
    EXPECT_EQ(args[1], Variant::FromLong(5));
}

TEST_F(DispatchTest, RaisingAnEventChecksItsArguments) {
    Control& c = *host.FindControl("P");
    std::vector<Variant> none;
    EXPECT_EQ(ErrorNumberOf([&] { c.RaiseEvent("Changing", none); }), 450);
    EXPECT_EQ(ErrorNumberOf([&] { c.RaiseEvent("NoSuchEvent", none); }), 438);
    EXPECT_EQ(ErrorNumberOf([&] { c.RaiseEvent(2, none); }), 0);  // "Done" is event 2
}

TEST(ClassRegistryTest, CreatesByNameAndProgId) {
    ClassRegistry registry = ProbeRegistry();
    EXPECT_NE(registry.Find("OrvelleControls.Probe"), nullptr);
    EXPECT_EQ(registry.Find("probe")->name, "Probe");
    EXPECT_EQ(registry.Create("Nope"), nullptr);
    auto made = registry.Create("OrvelleControls.Probe");
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->TypeName(), "Probe");
    ReferenceHost host(registry);
    EXPECT_EQ(ErrorNumberOf([&] { host.New("X", "Nope"); }), 429);
    host.New("X", "Probe");
    EXPECT_EQ(ErrorNumberOf([&] { host.New("x", "Probe"); }), 5);
}

}  // namespace
}  // namespace ov::host::testing
