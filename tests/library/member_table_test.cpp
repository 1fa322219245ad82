// The member tables against what the controls do: the designer metadata (orvelle typelib
// --json) says which notification every put raises and what a new instance starts with, and a
// put through the reference host must raise exactly that and a new control must show exactly
// that. Beside it, what the dispatch layer refuses for every control: font attributes a font
// object refuses, objects of another class.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "host/reference/bag_file.h"
#include "library/classes.h"
#include "library/typelib_json.h"
#include "platform/gdi/icon.h"
#include "platform/picture/picture.h"
#include "platform/picture/std_font.h"
#include "support/error_number.h"
#include "support/hosted_control.h"

namespace ov::library {
namespace {

using nlohmann::json;
using testing_support::ErrorNumberOf;

const json& Metadata() {
    static const json metadata = TypeLibraryJson(Classes());
    return metadata;
}

std::vector<const json*> ControlClasses() {
    std::vector<const json*> controls;
    for (const json& c : Metadata()["classes"])
        if (c["control"].get<bool>()) controls.push_back(&c);
    return controls;
}

bool Has(const json& list, const char* item) { return std::find(list.begin(), list.end(), item) != list.end(); }

// Every index parameter of the property is optional (a plain put or get needs none).
bool TakesNoIndex(const json& member) {
    for (const json& p : member["params"])
        if (!p["optional"].get<bool>()) return false;
    return true;
}

class MemberTable : public ::testing::Test {
protected:
    host::ClassRegistry registry_ = Classes();
    testing_support::HostRecord record_;
    std::unique_ptr<host::ReferenceHost> host_ = testing_support::FreshHost(registry_, record_);

    IDispatch& NewInstance(const std::string& class_name) {
        const std::string name = "C" + std::to_string(++count_);
        host_->New(name, class_name);
        record_.Clear();
        return *host_->Find(name);
    }

private:
    int count_ = 0;
};

// A put of every writable property, with the value it has (so that every put is one the
// control accepts), raises exactly the notification the metadata gives, or none.
TEST_F(MemberTable, EveryPutNotifiesAsTheMetadataSays) {
    int checked = 0;
    for (const json* cls : ControlClasses()) {
        const std::string class_name = (*cls)["name"];
        for (const json& m : (*cls)["interface"]["members"]) {
            if (m["kind"] != "property" || !TakesNoIndex(m)) continue;
            const json& access = m["access"];
            const bool put = Has(access, "put") || Has(access, "put byref"), put_ref = Has(access, "putref");
            if (!put && !put_ref) continue;
            ASSERT_TRUE(Has(access, "get")) << class_name << "." << m["name"];
            IDispatch& control = NewInstance(class_name);
            const std::string property = m["name"];
            const Variant value = GetProperty(control, property);
            record_.Clear();
            EXPECT_EQ(ErrorNumberOf([&] {
                          if (put_ref) PutPropertyRef(control, property, value);
                          else PutProperty(control, property, value);
                      }),
                      0)
                << class_name << "." << property;
            std::vector<std::string> expected;
            if (!m["notification"].is_null()) expected.push_back(m["notification"]);
            EXPECT_EQ(record_.changed, expected) << class_name << "." << property;
            ++checked;
        }
    }
    EXPECT_GT(checked, 80);
}

// A new instance shows, for every property with an initial value, exactly that value; one the
// site gives is the reference host's (its ambient font, the instance's name).
TEST_F(MemberTable, NewInstancesStartAtTheInitialValuesTheMetadataGives) {
    int checked = 0;
    for (const json& cls : Metadata()["classes"]) {
        const std::string class_name = cls["name"];
        for (const json& m : cls["interface"]["members"]) {
            if (m["kind"] != "property" || !TakesNoIndex(m) || !Has(m["access"], "get") || m["initial"].is_null())
                continue;
            IDispatch& control = NewInstance(class_name);
            json expected = m["initial"];
            if (m["initialFrom"].is_object() && m["initialFrom"]["source"] == "AmbientDisplayName")
                expected = host::VariantToJson(Variant::FromString(host_->NameOf(&control)));
            // Compared in the property's declared type, which the metadata gives the value in (a
            // 16-bit accessor behind an enumeration reads as a Long).
            const std::string property = m["name"];
            const TypeDesc& type = Classes().Find(class_name)->info->FindMember(property)->type;
            EXPECT_EQ(host::VariantToJson(type.Coerce(GetProperty(control, property))), expected)
                << class_name << "." << property;
            ++checked;
        }
    }
    EXPECT_GT(checked, 80);
}

// What the metadata lists is consistent with itself: a class's notifications are exactly its
// members' ones, and every persisted key names its own property.
TEST(DesignerMetadata, ClassListsAgreeWithTheirMembers) {
    for (const json& cls : Metadata()["classes"]) {
        std::set<std::string> notifications, keys;
        for (const json& m : cls["interface"]["members"]) {
            if (m["kind"] != "property") continue;
            if (!m["notification"].is_null()) notifications.insert(m["notification"].get<std::string>());
            if (!m["persistedKey"].is_null()) keys.insert(m["persistedKey"].get<std::string>());
        }
        EXPECT_EQ(notifications, (cls["notifications"].get<std::set<std::string>>())) << cls["name"];
        std::set<std::string> listed;
        for (const json& key : cls["persisted"]) listed.insert(key["key"].get<std::string>());
        EXPECT_EQ(keys, listed) << cls["name"];
    }
}

// Font attributes the platform's font object refuses are refused by every control's put too,
// with 380, changing nothing and telling nobody, so that whatever is saved loads back.
TEST_F(MemberTable, FontAttributePutsRefuseWhatAFontObjectRefuses) {
    const struct {
        const char* property;
        Variant value;
    } refused[] = {{"FontSize", Variant::FromSingle(0)},
                   {"FontSize", Variant::FromSingle(-5)},
                   {"FontSize", Variant::FromSingle(3000)},
                   {"FontName", Variant::FromString("")}};
    for (const char* class_name : {"OVGradientPanel", "OVMaskedTextBox"}) {
        for (const auto& [property, value] : refused) {
            IDispatch& control = NewInstance(class_name);
            const Variant before = GetProperty(control, property);
            EXPECT_EQ(ErrorNumberOf([&] { PutProperty(control, property, value); }), error::kInvalidPropertyValue)
                << class_name << "." << property;
            EXPECT_EQ(GetProperty(control, property), before) << class_name << "." << property;
            EXPECT_TRUE(record_.changed.empty()) << class_name << "." << property;
        }
        // What the font object itself accepts is accepted here, and a saved font loads back.
        IDispatch& control = NewInstance(class_name);
        PutProperty(control, "FontSize", Variant::FromSingle(2160));
        PutProperty(control, "FontName", Variant::FromString("Arial"));
        const host::PropertyBag bag = host_->Save(host_->NameOf(&control));
        const std::size_t errors = host_->lifecycle_errors().size();
        IDispatch& loaded = *host_->Load("Loaded" + std::string(class_name), class_name, bag);
        EXPECT_EQ(host_->lifecycle_errors().size(), errors) << class_name;
        EXPECT_EQ(CSng(GetProperty(loaded, "FontSize")), 2160.0f) << class_name;
        EXPECT_EQ(CStr(GetProperty(loaded, "FontName")), "Arial") << class_name;
    }
}

std::shared_ptr<Picture> SmallIcon() {
    const std::uint32_t pixel = 0xFF000000;
    return Picture::FromIcon(gdi::CreateIconFromArgb(1, 1, &pixel));
}

// An object-valued put of another class than the property's is a type mismatch: nothing is
// written and nobody is told.
TEST_F(MemberTable, ObjectPutsOfAnotherClassAreTypeMismatches) {
    const Variant font = Variant::FromObject(StdFont::Create());
    const Variant picture = Variant::FromObject(SmallIcon());
    const struct {
        const char* class_name;
        const char* property;
        const Variant& wrong;
    } cases[] = {{"OVGradientPanel", "Font", picture}, {"OVGradientPanel", "MouseIcon", font},
                 {"OVGradientPanel", "Picture", font}, {"OVHotLabel", "Font", picture},
                 {"OVHotLabel", "Picture", font},      {"OVSideLogo", "Font", picture},
                 {"OVMaskedTextBox", "Font", picture}, {"OVMaskedTextBox", "MouseIcon", font}};
    for (const auto& [class_name, property, wrong] : cases) {
        IDispatch& control = NewInstance(class_name);
        const json before = host::VariantToJson(GetProperty(control, property));
        EXPECT_EQ(ErrorNumberOf([&] { PutPropertyRef(control, property, wrong); }), error::kTypeMismatch)
            << class_name << "." << property;
        EXPECT_EQ(host::VariantToJson(GetProperty(control, property)), before) << class_name << "." << property;
        EXPECT_TRUE(record_.changed.empty()) << class_name << "." << property;
    }
}

}  // namespace
}  // namespace ov::library
