// The property bag: defaults omitted, stored types kept, JSON round trips, malformed files,
// values out of their type's range, Windows-1252 text, and the cost of large bags.
#include <gtest/gtest.h>

#include <chrono>
#include <limits>
#include <string>

#include <nlohmann/json.hpp>

#include "host/reference/bag_file.h"
#include "support/error_number.h"
#include "host/contract/property_bag.h"
#include "host/reference/reference_host.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/icon.h"
#include "platform/picture/picture.h"
#include "support/picture_files.h"
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
    // A key written again after it was dropped goes to the end; one rewritten keeps its place.
    bag.WriteProperty("B", Variant::FromLong(7), Variant::FromLong(0));
    bag.WriteProperty("d", Variant::FromInteger(1), Variant::FromLong(0));
    ASSERT_EQ(bag.entries().size(), 2u);
    EXPECT_EQ(bag.entries()[0], (std::pair<std::string, Variant>{"D", Variant::FromInteger(1)}));
    EXPECT_EQ(bag.entries()[1], (std::pair<std::string, Variant>{"B", Variant::FromLong(7)}));
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
    bag.Set("Text", Variant::FromString("a \"quoted\"\nline, caf\xE9 \x80 \x81"));
    bag.Set("When", Variant::FromDate(45657.5));             // 2024-12-31 12:00:00
    bag.Set("Instant", Variant::FromDate(45657.123456789));  // not a whole second
    bag.Set("Nothing", Variant::FromObject(nullptr));
    bag.Set("Font", Variant::FromObject(StdFont::Create(FontDesc{"Arial", 9.75, true, false, true, false})));
    const std::uint32_t pixels[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    bag.Set("Picture", Variant::FromObject(Picture::FromPixels(2, 2, pixels)));

    const PropertyBag back = BagFromJsonText(BagToJsonText(bag));
    ASSERT_EQ(back.entries().size(), bag.entries().size());
    for (std::size_t i = 0; i < 9; ++i) {
        EXPECT_EQ(back.entries()[i].first, bag.entries()[i].first);
        EXPECT_EQ(back.entries()[i].second, bag.entries()[i].second) << bag.entries()[i].first;
    }
    EXPECT_EQ(FontFromObject(back.ReadProperty("Font").object()),
              (FontAttributes{"Arial", 9.75, true, false, true, false}));
    const auto* picture = dynamic_cast<const Picture*>(back.ReadProperty("Picture").object().get());
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->width_pixels(), 2);
    EXPECT_EQ(picture->height_pixels(), 2);
    const auto json = nlohmann::json::parse(BagToJsonText(bag));
    EXPECT_EQ(json[6]["value"], "2024-12-31 12:00:00");
    EXPECT_EQ(json[7]["value"], 45657.123456789);
    // Text is UTF-8 in the file, Windows-1252 in the bag.
    EXPECT_EQ(json[5]["value"], "a \"quoted\"\nline, caf\xC3\xA9 \xE2\x82\xAC \xC2\x81");
    EXPECT_EQ(BagFromJsonText(R"([{"key": "T", "type": "String", "value": "\u65e5 caf\u00e9"}])").ReadProperty("T"),
              Variant::FromString("? caf\xE9"));
}

TEST(PropertyBagTest, FontsEqualByAttributesCountAsTheDefault) {
    PropertyBag bag;
    auto a = StdFont::Create(FontDesc{"Arial", 10});
    auto b = StdFont::Create(FontDesc{"Arial", 10});
    bag.WriteProperty("Font", Variant::FromObject(a), Variant::FromObject(b));
    EXPECT_TRUE(bag.empty());
}

std::string Entry(const std::string& type, const std::string& value_members) {
    return R"({"key": "A", "type": ")" + type + "\", " + value_members + "}";
}

// The error number and description loading `text` raises; 0 when it loads.
std::pair<std::int32_t, std::string> LoadError(const std::string& text) {
    try {
        BagFromJsonText(text);
    } catch (const AutomationError& error) {
        return {error.number(), error.description()};
    }
    return {0, ""};
}

TEST(PropertyBagTest, MalformedFilesAreAnInvalidFormatNamingThePlace) {
    const struct {
        std::string text;
        const char* place;
    } cases[] = {
        {"garbage", "line 1, column 1: not valid JSON"},
        {"", "not valid JSON"},
        {R"({"key": "A"})", "a property bag is an array of entries"},
        {"null", "a property bag is an array of entries"},
        {"[1]", "[0]: must be an object, not a number"},
        {R"([{"type": "Long", "value": 1}])", "[0]: missing \"key\""},
        {R"([{"key": 5, "type": "Long", "value": 1}])", "[0].key: must be a string, not a number"},
        {R"([{"key": "", "type": "Long", "value": 1}])", "[0].key: must not be empty"},
        {R"([{"key": "A", "value": 1}])", "[0]: missing \"type\""},
        {R"([{"key": "A", "type": ["Long"]}])", "[0].type: must be a string, not an array"},
        {"[" + Entry("Quad", R"("value": 1)") + "]", "[0].type: unknown type \"Quad\""},
        {R"([{"key": "B", "type": "Empty"}, {"key": "A", "type": "Long"}])", "[1]: missing \"value\""},
        {"[" + Entry("Long", R"("value": "x")") + "]", "[0].value: must be a number or &H hex text"},
        {"[" + Entry("Long", R"("value": "12")") + "]", "[0].value: must be a number or &H hex text"},
        {"[" + Entry("Integer", R"("value": 1.5)") + "]", "[0].value: must be a whole number"},
        {"[" + Entry("Long", R"("value": "&H1G")") + "]", "[0].value: bad hex digit"},
        {"[" + Entry("Byte", R"("value": [1])") + "]", "[0].value: must be a number, not an array"},
        {"[" + Entry("Boolean", R"("value": 1)") + "]", "[0].value: must be true or false, not a number"},
        {"[" + Entry("Single", R"("value": "1.5")") + "]", "[0].value: must be a number, not a string"},
        {"[" + Entry("String", R"("value": null)") + "]", "[0].value: must be a string, not null"},
        {"[" + Entry("String", R"("value": {"text": "a"})") + "]", "[0].value: must be a string, not an object"},
        {"[" + Entry("Date", R"("value": [2024])") + "]", "[0].value: must be date text"},
        {"[" + Entry("Object", R"("value": {})") + "]", "[0].value: an Object entry holds only null"},
        {"[" + Entry("Font", R"("value": [])") + "]", "[0].value: must be an object, not an array"},
        {"[" + Entry("Font", R"("value": {"size": "big"})") + "]", "[0].value.size: must be a number, not a string"},
        {"[" + Entry("Font", R"("value": {"name": 1, "size": 0})") + "]", "[0].value.name: must be a string"},
        {"[" + Entry("Font", R"("value": {"bold": 1})") + "]", "[0].value.bold: must be true or false"},
        {"[" + Entry("Picture", R"("value": 1)") + "]",
         "[0]: a Picture entry needs \"png\", \"ico\", \"wmf\", \"emf\", \"file\" or \"empty\""},
        {"[" + Entry("Picture", R"("png": 7)") + "]", "[0].png: must be a string, not a number"},
        {"[" + Entry("Picture", R"("empty": "yes")") + "]", "[0].empty: must be true or false, not a string"},
        {std::string(100000, '[') + std::string(100000, ']'), "nested deeper than 64 levels"},
    };
    for (const auto& c : cases) {
        const auto [number, description] = LoadError(c.text);
        EXPECT_EQ(number, error::kInvalidFileFormat) << c.text.substr(0, 80);
        EXPECT_NE(description.find("Invalid file format ("), std::string::npos) << description;
        EXPECT_NE(description.find(c.place), std::string::npos) << c.text.substr(0, 80) << "\n" << description;
    }
}

TEST(PropertyBagTest, ValuesTheirTypeCannotHoldLeaveOnlyThatKeyUnreadable) {
    const struct {
        std::string entry;
        std::int32_t error;
    } cases[] = {
        {Entry("Integer", R"("value": 65537)"), error::kOverflow},
        {Entry("Integer", R"("value": -32769)"), error::kOverflow},
        {Entry("Integer", R"("value": "&H8000")"), error::kOverflow},
        {Entry("Byte", R"("value": 256)"), error::kOverflow},
        {Entry("Byte", R"("value": -1)"), error::kOverflow},
        {Entry("Long", R"("value": 1e30)"), error::kOverflow},
        {Entry("Long", R"("value": 2147483648)"), error::kOverflow},
        {Entry("Long", R"("value": 18446744073709551615)"), error::kOverflow},
        {Entry("Long", R"("value": "&H123456789")"), error::kOverflow},
        {Entry("Single", R"("value": 3.5e38)"), error::kOverflow},
        {Entry("Single", R"("value": -1e300)"), error::kOverflow},
        {Entry("Date", R"("value": 1e300)"), error::kOverflow},
        {Entry("Date", R"("value": 2958466)"), error::kOverflow},
        {Entry("Date", R"("value": "2024-13-45")"), error::kTypeMismatch},
        {Entry("Font", R"("value": {"size": 0})"), error::kInvalidPropertyValue},
        {Entry("Font", R"("value": {"size": 5000})"), error::kInvalidPropertyValue},
        {Entry("Font", R"("value": {"name": ""})"), error::kInvalidPropertyValue},
        {Entry("Picture", R"("png": "bm90IGEgcGljdHVyZQ==")"), error::kInvalidPicture},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        const PropertyBag bag = BagFromJsonText("[" + c.entry + R"(, {"key": "B", "type": "Long", "value": 2}])");
        EXPECT_EQ(testing_support::ErrorNumberOf([&] { bag.ReadProperty("a", Variant::FromLong(1)); }), c.error);
        EXPECT_EQ(bag.ReadProperty("B"), Variant::FromLong(2));
        EXPECT_EQ(bag.unreadable(), (std::vector<std::pair<std::string, std::int32_t>>{{"A", c.error}}));
        ASSERT_EQ(bag.entries().size(), 1u);
        // Saved again, the bag holds what could be read.
        EXPECT_EQ(BagFromJsonText(BagToJsonText(bag)).entries(), bag.entries());
    }
}

TEST(PropertyBagTest, ValuesAtTheEdgesOfTheirRangeAreKept) {
    const struct {
        std::string entry;
        Variant value;
    } cases[] = {
        {Entry("Integer", R"("value": 32767)"), Variant::FromInteger(32767)},
        {Entry("Integer", R"("value": -32768)"), Variant::FromInteger(-32768)},
        {Entry("Integer", R"("value": "&H7FFF")"), Variant::FromInteger(32767)},
        {Entry("Integer", R"("value": "&HFFFFFFFF")"), Variant::FromInteger(-1)},
        {Entry("Byte", R"("value": 255)"), Variant::FromByte(255)},
        {Entry("Long", R"("value": -2147483648)"), Variant::FromLong(-2147483647 - 1)},
        {Entry("Long", R"("value": "&H8000000F")"), Variant::FromLong(-2147483633)},
        {Entry("Long", R"("value": "&hff&")"), Variant::FromLong(255)},
        {Entry("Long", R"("value": 1e3)"), Variant::FromLong(1000)},
        {Entry("Single", R"("value": 3.4e38)"), Variant::FromSingle(3.4e38f)},
        {Entry("Double", R"("value": 1e308)"), Variant::FromDouble(1e308)},
        {Entry("Date", R"("value": 2958465.5)"), Variant::FromDate(2958465.5)},
        {Entry("Date", R"("value": "9999-12-31 23:59:59")"), Variant::FromDate(2958465.0 + 86399.0 / 86400.0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entry);
        const PropertyBag bag = BagFromJsonText("[" + c.entry + "]");
        EXPECT_TRUE(bag.unreadable().empty());
        const Variant read = bag.ReadProperty("A");
        if (read.type() == VarType::Date) EXPECT_NEAR(read.real(), c.value.real(), 1e-6);
        else EXPECT_EQ(read, c.value);
    }
}

TEST(PropertyBagTest, TextThatIsNotUtf8SavesAndNumbersJsonCannotHoldDoNot) {
    PropertyBag bag;
    bag.Set("Caption", Variant::FromString("caf\xE9"));
    EXPECT_EQ(BagFromJsonText(BagToJsonText(bag)).ReadProperty("Caption"), Variant::FromString("caf\xE9"));
    for (const double real : {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()}) {
        PropertyBag numbers;
        numbers.Set("D", Variant::FromDouble(real));
        EXPECT_EQ(testing_support::ErrorNumberOf([&] { BagToJsonText(numbers); }), error::kOverflow);
    }
}

// Every picture the loaders read is stored in the bag and comes back as the same type with the
// same size and contents.
TEST(PropertyBagTest, EveryPictureTypeSavesAndLoadsBackAsItself) {
    const std::vector<std::uint32_t> bitmap_pixels = {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xFFFFFF, 0};
    // Opaque, transparent and half-transparent pixels; and an icon with no opaque pixel at all.
    const std::vector<std::uint32_t> icon_pixels = {0xFFFF0000u, 0x00000000u, 0x80336699u,
                                                    0xFF00FF00u, 0x00FFFFFFu, 0xFF000000u};
    const std::vector<std::uint32_t> clear_icon(35 * 3, 0x00102030u);
    const struct {
        const char* what;
        std::shared_ptr<Picture> picture;
        const char* member;
    } cases[] = {
        {"bitmap", Picture::FromPixels(3, 2, bitmap_pixels.data()), "png"},
        {"icon", Picture::FromIcon(gdi::CreateIconFromArgb(3, 2, icon_pixels.data())), "ico"},
        {"clear icon", Picture::FromIcon(gdi::CreateIconFromArgb(35, 3, clear_icon.data())), "ico"},
        {"metafile", LoadPictureFromMemory(picture_files::WmfFile(0, 0, 1440, 720, 1440)), "wmf"},
        {"enhanced metafile", LoadPictureFromMemory(picture_files::EmfFile(0, 0, 2540, 1270)), "emf"},
        {"empty", Picture::Empty(), "empty"},
    };
    for (const auto& c : cases) {
        ASSERT_NE(c.picture, nullptr) << c.what;
        PropertyBag bag;
        bag.WriteProperty("Picture", Variant::FromObject(c.picture), Variant::FromObject(nullptr));
        const std::string text = BagToJsonText(bag);
        EXPECT_TRUE(nlohmann::json::parse(text)[0].contains(c.member)) << c.what << ": " << text;
        const auto loaded = std::dynamic_pointer_cast<Picture>(CObj(BagFromJsonText(text).ReadProperty("Picture")));
        ASSERT_NE(loaded, nullptr) << c.what;
        EXPECT_EQ(loaded->type(), c.picture->type()) << c.what;
        EXPECT_EQ(loaded->width_himetric(), c.picture->width_himetric()) << c.what;
        EXPECT_EQ(loaded->height_himetric(), c.picture->height_himetric()) << c.what;
        EXPECT_EQ(loaded->metafile_data(), c.picture->metafile_data()) << c.what;
        if (c.picture->type() == PictureType::Icon) {
            int w = 0, h = 0, lw = 0, lh = 0;
            std::vector<std::uint32_t> argb, loaded_argb;
            ASSERT_TRUE(gdi::GetIconPixels(c.picture->handle(), &w, &h, &argb));
            ASSERT_TRUE(gdi::GetIconPixels(loaded->handle(), &lw, &lh, &loaded_argb));
            EXPECT_EQ(loaded_argb, argb) << c.what;
        }
        if (c.picture->type() == PictureType::Bitmap) {
            std::vector<std::uint32_t> words(6);
            const gdi::RECT all{0, 0, 3, 2};
            ASSERT_EQ(gdi::GetBitmapBits32(loaded->handle(), &all, words.data()), 2);
            EXPECT_EQ(words, bitmap_pixels) << c.what;
        }
    }
}

// A value no bag can hold fails where it is written, alone: the bag keeps everything else and
// drops an earlier value of that key, and a control saving goes on with its next key.
TEST(PropertyBagTest, AValueNoBagCanHoldFailsItsOwnKeyOnly) {
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char* what;
        Variant value;
        std::int32_t error;
    } cases[] = {
        {"+inf", Variant::FromDouble(inf), error::kOverflow},
        {"-inf Single", Variant::FromSingle(-std::numeric_limits<float>::infinity()), error::kOverflow},
        {"NaN", Variant::FromDouble(std::numeric_limits<double>::quiet_NaN()), error::kOverflow},
        {"a control", Variant::FromObject(std::make_shared<Probe>()), error::kTypeMismatch},
        {"a dead bitmap", Variant::FromObject(Picture::FromBitmap(gdi::CreateDIBSection32(2, 2), false)),
         error::kInvalidPicture},
    };
    for (const auto& c : cases) {
        PropertyBag bag;
        bag.WriteProperty("Before", Variant::FromLong(1), Variant::FromLong(0));
        bag.WriteProperty("Bad", Variant::FromLong(2), Variant::FromLong(0));
        if (c.value.IsObject() && dynamic_cast<Picture*>(c.value.object().get()))
            gdi::DeleteObject(dynamic_cast<Picture&>(*c.value.object()).handle());  // the handle goes first
        EXPECT_EQ(testing_support::ErrorNumberOf([&] { bag.WriteProperty("Bad", c.value, Variant()); }), c.error)
            << c.what;
        bag.WriteProperty("After", Variant::FromLong(3), Variant::FromLong(0));
        EXPECT_FALSE(bag.Contains("Bad")) << c.what;
        const PropertyBag loaded = BagFromJsonText(BagToJsonText(bag));
        EXPECT_EQ(loaded.ReadProperty("Before"), Variant::FromLong(1)) << c.what;
        EXPECT_EQ(loaded.ReadProperty("After"), Variant::FromLong(3)) << c.what;
        EXPECT_FALSE(loaded.Contains("Bad")) << c.what;
    }
}

// Loading a bag stores every entry with Set, saving writes every key with WriteProperty and a
// control reads its keys with ReadProperty; with a scan of the entries per key, 100,000 keys
// took most of a minute. (The JSON text around them is the parser's linear work.)
TEST(PropertyBagTest, AHundredThousandKeysAreStoredReadAndDroppedInLinearTime) {
    constexpr int kKeys = 100000;
    const auto start = std::chrono::steady_clock::now();
    PropertyBag bag;
    for (int i = 0; i < kKeys; ++i) bag.Set("K" + std::to_string(i), Variant::FromLong(i));
    for (int i = 0; i < kKeys; i += 2)
        bag.WriteProperty("k" + std::to_string(i), Variant::FromLong(0), Variant::FromLong(0));
    for (int i = 0; i < kKeys; ++i)
        ASSERT_EQ(bag.ReadProperty("K" + std::to_string(i), Variant()), i % 2 ? Variant::FromLong(i) : Variant()) << i;
    bag.WriteProperty("K0", Variant::FromLong(5), Variant::FromLong(0));
    const auto& entries = bag.entries();
    ASSERT_EQ(entries.size(), static_cast<std::size_t>(kKeys / 2 + 1));
    EXPECT_EQ(entries.front().first, "K1");
    EXPECT_EQ(entries[entries.size() - 2].first, "K" + std::to_string(kKeys - 1));
    EXPECT_EQ(entries.back().first, "K0");  // written again after it was dropped: at the end
    // One key dropped and written again many times stays one entry, after the others.
    for (int i = 0; i < kKeys; ++i) bag.WriteProperty("Again", Variant::FromLong(i % 2), Variant::FromLong(0));
    ASSERT_EQ(bag.entries().size(), static_cast<std::size_t>(kKeys / 2 + 2));
    EXPECT_EQ(bag.entries().back(), (std::pair<std::string, Variant>{"Again", Variant::FromLong(1)}));
    EXPECT_EQ(bag.ReadProperty("K1"), Variant::FromLong(1));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 20.0);  // about 3 s with the sanitizers; a scan per key takes minutes
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

    // A value out of its type's range in a file fails the same way, as overflow.
    host.Load("Q", "Probe", BagFromJsonText(R"([{"key": "Count", "type": "Long", "value": 1e30},
        {"key": "Caption", "type": "String", "value": "next key"}])"));
    EXPECT_EQ(errors.back(), "Q ReadProperties Count 6");
    EXPECT_EQ(dynamic_cast<Probe&>(*host.FindControl("Q")).Caption(), "next key");
}

TEST(PropertyBagTest, SaveAndLoadRoundTripThroughTheHost) {
    ClassRegistry registry = ProbeRegistry();
    ReferenceHost host(registry);
    host.New("A", "Probe");
    PutProperty(*host.Find("A"), "Count", Variant::FromLong(17));
    PropertyBag saved = host.Save("A");
    ASSERT_EQ(saved.entries().size(), 1u);  // Caption "" is the default
    host.Load("B", "Probe", BagFromJsonText(BagToJsonText(saved)));
    EXPECT_EQ(GetProperty(*host.Find("B"), "Count"), Variant::FromLong(17));
}

}  // namespace
}  // namespace ov::host::testing
