// The property bag: defaults omitted, stored types kept, JSON round trips, wrong-typed values.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "../support/error_number.h"
#include "host/property_bag.h"
#include "host/reference_host.h"
#include "platform/picture/picture.h"
#include "platform/picture/std_font.h"
#include "probe_control.h"

namespace ov::host::testing {
namespace {

TEST(PropertyBagTest, ValuesEqualToTheDefaultAreOmitted) {
    PropertyBag bag;
    bag.WriteProperty("A", Variant::FromLong(0), Variant::FromLong(0));
    bag.WriteProperty("B", Variant::FromLong(5), Variant::FromLong(0));
    bag.WriteProperty("C", Variant::FromString(""), Variant::FromString(""));
    EXPECT_EQ(bag.entries().size(), 1u);
    EXPECT_EQ(bag.entries()[0].first, "B");
    // Writing the default again removes an earlier value, so reading gives the default.
    bag.WriteProperty("B", Variant::FromLong(0), Variant::FromLong(0));
    EXPECT_TRUE(bag.empty());
    // Type matters: an Integer 0 is not the Long default 0.
    bag.WriteProperty("D", Variant::FromInteger(0), Variant::FromLong(0));
    EXPECT_TRUE(bag.Contains("D"));
}

TEST(PropertyBagTest, ReadingKeepsTheStoredTypeOrGivesTheDefault) {
    PropertyBag bag;
    bag.Set("Small", Variant::FromInteger(3));
    EXPECT_EQ(bag.ReadProperty("small", Variant::FromLong(9)), Variant::FromInteger(3));
    EXPECT_EQ(bag.ReadProperty("Missing", Variant::FromLong(9)), Variant::FromLong(9));
}

TEST(PropertyBagTest, JsonRoundTripKeepsOrderTypesAndValues) {
    PropertyBag bag;
    bag.Set("Z", Variant::FromBoolean(true));
    bag.Set("Int", Variant::FromInteger(-5));
    bag.Set("Long", Variant::FromLong(static_cast<std::int32_t>(0x80000015u)));
    bag.Set("Single", Variant::FromSingle(2.5f));
    bag.Set("Double", Variant::FromDouble(0.1));
    bag.Set("Text", Variant::FromString("a \"quoted\"\nline"));
    bag.Set("When", Variant::FromDate(45657.5));  // 2024-12-31 12:00:00
    bag.Set("Nothing", Variant::FromObject(nullptr));
    bag.Set("Font", Variant::FromObject(StdFont::Create(FontDesc{"Arial", 9.75, true, false, true, false})));
    const std::uint32_t pixels[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    bag.Set("Picture", Variant::FromObject(Picture::FromPixels(2, 2, pixels)));

    const PropertyBag back = PropertyBag::FromJsonText(bag.ToJsonText());
    ASSERT_EQ(back.entries().size(), bag.entries().size());
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(back.entries()[i].first, bag.entries()[i].first);
        EXPECT_EQ(back.entries()[i].second, bag.entries()[i].second) << bag.entries()[i].first;
    }
    EXPECT_EQ(FontFromObject(back.ReadProperty("Font").object()), (FontAttributes{"Arial", 9.75, true, false, true, false}));
    const auto* picture = dynamic_cast<const Picture*>(back.ReadProperty("Picture").object().get());
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->width_pixels(), 2);
    EXPECT_EQ(picture->height_pixels(), 2);
    const auto json = nlohmann::json::parse(bag.ToJsonText());
    EXPECT_EQ(json[6]["value"], "2024-12-31 12:00:00");
}

TEST(PropertyBagTest, FontsEqualByAttributesCountAsTheDefault) {
    PropertyBag bag;
    auto a = StdFont::Create(FontDesc{"Arial", 10});
    auto b = StdFont::Create(FontDesc{"Arial", 10});
    bag.WriteProperty("Font", Variant::FromObject(a), Variant::FromObject(b));
    EXPECT_TRUE(bag.empty());
}

TEST(PropertyBagTest, MalformedJsonIsATypeMismatch) {
    EXPECT_EQ(testing_support::ErrorNumberOf(
                  [] { PropertyBag::FromJsonText(R"([{"key": "A", "type": "Long", "value": "x"}])"); }),
              13);
}

TEST(PropertyBagTest, WrongTypedValueFailsInTheControlAndTheNextKeyIsRead) {
    ClassRegistry registry = ProbeRegistry();
    ReferenceHost host(registry);
    std::vector<std::string> errors;
    host.SetListener({.on_lifecycle_error = [&](const std::string& o, const std::string& step, const std::string& key,
                                                const AutomationError& e) {
        errors.push_back(o + " " + step + " " + key + " " + std::to_string(e.number()));
    }});
    PropertyBag bag;
    bag.Set("Count", Variant::FromString("many"));
    bag.Set("Caption", Variant::FromString("read anyway"));
    host.Load("P", "Probe", bag);
    auto& p = dynamic_cast<Probe&>(*host.FindControl("P"));
    EXPECT_EQ(errors, (std::vector<std::string>{"P ReadProperties Count 13"}));
    EXPECT_EQ(p.Count(), 0);
    EXPECT_EQ(p.Caption(), "read anyway");
}

TEST(PropertyBagTest, SaveAndLoadRoundTripThroughTheHost) {
    ClassRegistry registry = ProbeRegistry();
    ReferenceHost host(registry);
    host.New("A", "Probe");
    PutProperty(*host.Find("A"), "Count", Variant::FromLong(17));
    PropertyBag saved = host.Save("A");
    ASSERT_EQ(saved.entries().size(), 1u);  // Caption "" is the default
    host.Load("B", "Probe", PropertyBag::FromJsonText(saved.ToJsonText()));
    EXPECT_EQ(GetProperty(*host.Find("B"), "Count"), Variant::FromLong(17));
}

}  // namespace
}  // namespace ov::host::testing
