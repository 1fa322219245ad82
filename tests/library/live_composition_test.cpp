// The kept composition of a live form is composed again only where the drawing layer says the
// pixels it drew from changed, and in full after a host-side change. Whatever the controls do,
// that must give the form as composing it afresh gives it: every put of every control with
// values of every kind, every method without arguments, pointer moves and timer ticks.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "host/reference/form.h"
#include "library/classes.h"
#include "library/typelib_json.h"
#include "support/error_number.h"
#include "support/hosted_control.h"

namespace ov::library {
namespace {

using nlohmann::json;

// Values worth putting into a property of `type`: enough to move the control to states it
// draws differently, valid or not (a refused put changes nothing, which must show too).
std::vector<Variant> ValuesFor(const json& type, const Variant& current, const json& enums) {
    const std::string kind = type["kind"], name = type["name"];
    if (kind == "enum") {
        std::vector<Variant> values;
        for (const json& e : enums)
            if (e["name"] == name)
                for (const json& v : e["values"]) values.push_back(Variant::FromLong(v["value"].get<std::int32_t>()));
        return values;
    }
    if (kind == "color")
        return {Variant::FromLong(0x0000FF), Variant::FromLong(static_cast<std::int32_t>(0x80000005u)),
                Variant::FromLong(0x00C000)};
    if (kind != "value") return {};
    if (name == "Boolean") return {Variant::FromBoolean(!CBool(current)), Variant::FromBoolean(CBool(current))};
    if (name == "String") return {Variant::FromString("Quarterly figures|Q2|Q3"), Variant::FromString("")};
    if (name == "Long" || name == "Integer" || name == "Single" || name == "Double" || name == "Byte") {
        const double now = CDbl(current);
        return {Variant::FromDouble(now + 1), Variant::FromDouble(now * 2 + 3), Variant::FromDouble(now)};
    }
    return {};
}

class LiveComposition : public ::testing::Test {
protected:
    host::ClassRegistry registry_ = Classes();
    testing_support::HostRecord record_;
    std::unique_ptr<host::ReferenceHost> host_ = testing_support::FreshHost(registry_, record_);
    int mismatches_ = 0;

    // The kept image against a fresh composition of the whole form.
    void ExpectFresh(const std::string& after) {
        if (mismatches_ > 5) return;  // the first few say enough
        const host::ComposedImage& kept = host_->Compose();
        const host::ComposedImage fresh = host_->ComposeOver(host_->form().BackColor());
        ASSERT_EQ(kept.width, fresh.width) << after;
        ASSERT_EQ(kept.height, fresh.height) << after;
        for (std::size_t i = 0; i < kept.pixels.size(); ++i)
            if (kept.pixels[i] != fresh.pixels[i]) {
                ADD_FAILURE() << "after " << after << ": pixel (" << i % kept.width << ", " << i / kept.width
                              << ") kept " << std::hex << kept.pixels[i] << ", fresh " << fresh.pixels[i];
                ++mismatches_;
                return;
            }
    }
};

TEST_F(LiveComposition, EveryChangeOfEveryControlShowsAsAFreshCompositionShowsIt) {
    const json metadata = TypeLibraryJson(Classes());
    host_->form().SetWidth(9000);
    host_->form().SetHeight(6000);
    int changes = 0;
    for (const json& cls : metadata["classes"]) {
        if (!cls["control"].get<bool>()) continue;
        const std::string class_name = cls["name"];
        // Two of the class, the second overlapping the first: a change of one must not leave a
        // stale part of the other.
        host_->New("A", class_name, host::Placement{.left = 300, .top = 300});
        host_->New("B", class_name, host::Placement{.left = 900, .top = 600});
        ExpectFresh(class_name + " placed");
        IDispatch& control = *host_->Find("A");
        for (const json& m : cls["interface"]["members"]) {
            const std::string member = m["name"];
            const std::string what = class_name + "." + member;
            if (m["kind"] == "method" && m["params"].empty()) {
                testing_support::ErrorNumberOf([&] {
                    std::vector<Variant> none;
                    CallMethod(control, member, none);
                });
                ExpectFresh(what + "()");
                ++changes;
                continue;
            }
            if (m["kind"] != "property" || !m["params"].empty()) continue;
            const json& access = m["access"];
            if (std::find(access.begin(), access.end(), "put") == access.end()) continue;
            const Variant current = GetProperty(control, member);
            for (const Variant& value : ValuesFor(m["type"], current, metadata["enums"])) {
                testing_support::ErrorNumberOf([&] { PutProperty(control, member, value); });
                ExpectFresh(what);
                ++changes;
            }
        }
        // The pointer over both, then time for every timer to tick a few times.
        for (const auto& [x, y] : {std::pair{5, 5}, std::pair{40, 20}, std::pair{70, 30}}) {
            testing_support::ErrorNumberOf([&] {
                host_->Fire("B", "surface", "MouseMove",
                            {Variant::FromInteger(0), Variant::FromInteger(0), Variant::FromSingle(x * 15.0f),
                             Variant::FromSingle(y * 15.0f)});
            });
            ExpectFresh(class_name + " MouseMove");
        }
        for (int i = 0; i < 6; ++i) {
            host_->Wait(250);
            ExpectFresh(class_name + " after a wait");
        }
        host_->Terminate("A");
        host_->Terminate("B");
        ExpectFresh(class_name + " gone");
    }
    EXPECT_GT(changes, 200);
}

}  // namespace
}  // namespace ov::library
