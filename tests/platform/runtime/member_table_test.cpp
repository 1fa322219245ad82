// The member-table builder and the dispatch it drives: what a declaration gives by default
// (notification names, new-instance values, key order), what it refuses to build, members
// bound to a field, by-reference arguments and object classes.
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/runtime/automation_error.h"
#include "platform/runtime/automation_object.h"

namespace ov {
namespace {

// An object with a few members of each kind; `changed` records what member-bound puts report.
class Gauge : public AutomationObject {
public:
    enum Member : std::int32_t { kLevel = 1, kLabel, kColour, kMode, kScale, kStep, kFace, kNote };

    static ClassInfo Table(bool is_control) {
        return ClassBuilder<Gauge>("Gauge", is_control)
            .Property("Level", kLevel, TypeDesc::Of(VarType::Long), &Gauge::Level, &Gauge::SetLevel)
            .Default(Variant::FromLong(5))
            .Persist()
            .Field("Label", kLabel, TypeDesc::Of(VarType::String), &Gauge::label)
            .Default(Variant::FromString("g"))
            .Persist()
            .Property("Colour", kColour, TypeDesc::Color(), &Gauge::Level, &Gauge::SetLevel)
            .Notifies("Tint")
            .Property("Mode", kMode, TypeDesc::Of(VarType::Integer), &Gauge::Level, &Gauge::SetLevel)
            .Silent()
            .Default(Variant::FromInteger(1))
            .Persist([](Gauge& g, const Variant& v) { g.level = CLng(v); },
                     [](Gauge& g) { return Variant::FromLong(g.level); })
            .AsCreated()
            .ReadOnly("Scale", kScale, TypeDesc::Of(VarType::Long), &Gauge::Level)
            .Method("Step", kStep, {Ref("By", TypeDesc::Of(VarType::Long)), Ref("Times", TypeDesc::Of(VarType::Long))},
                    [](Gauge& g, std::vector<Variant>& args) {
                        g.level += CLng(args[0]);  // reads By, assigns only Times
                        args[1] = Variant::FromLong(CLng(args[1]) + 1);
                        return Variant();
                    })
            .ObjectProperty("Face", kFace, TypeDesc::Object("Gauge"), &Gauge::Face, &Gauge::SetFace)
            .Field("Note", kNote, TypeDesc::Of(VarType::String), &Gauge::note)
            .PutByRef()
            .Build();
    }
    const ClassInfo& Info() const override {
        static const ClassInfo info = Table(true);
        return info;
    }
    void MemberChanged(std::int32_t dispid) override { changed.push_back(dispid); }

    std::int32_t Level() const { return level; }
    void SetLevel(std::int32_t v) { level = v; }
    std::shared_ptr<IDispatch> Face() const { return face; }
    void SetFace(std::shared_ptr<IDispatch> f) { face = std::move(f); }

    std::int32_t level = 0;
    std::string label, note;
    std::shared_ptr<IDispatch> face;
    std::vector<std::int32_t> changed;
};

// Any object of a class with another name.
class Other : public IDispatch {
public:
    std::string TypeName() const override { return "Other"; }
    std::int32_t GetIDOfName(std::string_view) const override { return kDispidUnknown; }
    Variant Invoke(std::int32_t, InvokeKind, std::vector<Variant>&) override {
        throw AutomationError(error::kObjectDoesntSupport);
    }
};

TEST(MemberTableBuilder, ControlPutsNotifyUnderTheirNameUnlessDeclaredOtherwise) {
    const ClassInfo control = Gauge::Table(true), object = Gauge::Table(false);
    EXPECT_EQ(control.FindMember("Level")->notification, std::optional<std::string>("Level"));
    EXPECT_EQ(control.FindMember("Colour")->notification, std::optional<std::string>("Tint"));
    EXPECT_EQ(control.FindMember("Mode")->notification, std::nullopt);
    EXPECT_EQ(control.FindMember("Scale")->notification, std::nullopt);  // read-only
    EXPECT_EQ(object.FindMember("Level")->notification, std::nullopt);   // no site to tell
}

TEST(MemberTableBuilder, NewInstancesTakeTheDefaultThroughTheKeyUnlessAsCreated) {
    const ClassInfo info = Gauge::Table(true);
    const MemberDesc& level = *info.FindMember("Level");
    ASSERT_TRUE(level.initial);
    EXPECT_EQ(level.initial->value, Variant::FromLong(5));
    EXPECT_TRUE(level.initial_applied);
    EXPECT_FALSE(info.FindMember("Mode")->initial_applied);
    EXPECT_FALSE(info.FindMember("Colour")->initial);  // no default, nothing stated
    // Keys in declaration order, each through what its declaration says.
    ASSERT_EQ(info.persisted.size(), 3u);
    EXPECT_EQ(info.PersistedMember(0).name, "Level");
    EXPECT_EQ(info.PersistedMember(1).name, "Label");
    EXPECT_EQ(info.PersistedMember(2).name, "Mode");
    EXPECT_TRUE(info.PersistedMember(0).persist->through_property);
    EXPECT_FALSE(info.PersistedMember(1).persist->through_property);
}

TEST(MemberTableBuilder, KeyOrdersAndKeysWithoutDefaultsAreRefused) {
    const auto with = [](auto&& declare) {
        ClassBuilder<Gauge> b("Gauge");
        b.Property("A", 1, TypeDesc::Of(VarType::Long), &Gauge::Level, &Gauge::SetLevel)
            .Default(Variant::FromLong(0))
            .Persist();
        b.Property("B", 2, TypeDesc::Of(VarType::Long), &Gauge::Level, &Gauge::SetLevel)
            .Default(Variant::FromLong(0))
            .Persist();
        declare(b);
        return b.Build();
    };
    const ClassInfo reordered = with([](ClassBuilder<Gauge>& b) { b.PersistOrder({"B", "A"}); });
    EXPECT_EQ(reordered.PersistedMember(0).name, "B");
    EXPECT_THROW(with([](ClassBuilder<Gauge>& b) { b.PersistOrder({"B"}); }), std::logic_error);
    EXPECT_THROW(with([](ClassBuilder<Gauge>& b) { b.PersistOrder({"A", "A"}); }), std::logic_error);
    EXPECT_THROW(with([](ClassBuilder<Gauge>& b) {
                     b.Property("C", 3, TypeDesc::Of(VarType::Long), &Gauge::Level, &Gauge::SetLevel).Persist();
                 }),
                 std::logic_error);
    EXPECT_THROW(with([](ClassBuilder<Gauge>& b) { b.Persist("A"); }), std::logic_error);  // twice
}

TEST(MemberTableBuilder, FieldPutsStoreAndReportAndTheirKeysOnlyStore) {
    Gauge g;
    PutProperty(g, "Label", Variant::FromLong(42));
    EXPECT_EQ(g.label, "42");
    EXPECT_EQ(g.changed, std::vector<std::int32_t>{Gauge::kLabel});
    EXPECT_EQ(GetProperty(g, "Label"), Variant::FromString("42"));
    const MemberDesc& label = *g.Info().FindMember("Label");
    EXPECT_TRUE(label.bound_to_member);
    label.persist->load(g, Variant::FromString("loaded"));
    EXPECT_EQ(g.label, "loaded");
    EXPECT_EQ(g.changed.size(), 1u);
    EXPECT_EQ(label.persist->save(g), Variant::FromString("loaded"));
}

// By-reference arguments the member leaves alone come back as passed, type and value; those it
// assigns come back assigned.
TEST(MemberTableDispatch, ByReferenceArgumentsComeBackAsPassedUnlessAssigned) {
    Gauge g;
    std::vector<Variant> args{Variant::FromInteger(3), Variant::FromDouble(2.5)};
    CallMethod(g, "Step", args);
    EXPECT_EQ(g.level, 3);
    EXPECT_EQ(args[0], Variant::FromInteger(3));
    EXPECT_EQ(args[1], Variant::FromLong(3));  // 2.5 rounds to 2 for the member, which adds 1
    std::vector<Variant> text{Variant::FromString("4"), Variant::FromString("7")};
    CallMethod(g, "Step", text);
    EXPECT_EQ(text[0], Variant::FromString("4"));
    EXPECT_EQ(text[1], Variant::FromLong(8));
    // A put taking its value by reference leaves it as passed too.
    std::vector<Variant> value{Variant::FromInteger(5)};
    g.Invoke(Gauge::kNote, InvokeKind::PropertyPut, value);
    EXPECT_EQ(value[0], Variant::FromInteger(5));
    EXPECT_EQ(g.note, "5");
}

TEST(MemberTableDispatch, ObjectsOfAnotherClassAreTypeMismatches) {
    Gauge g;
    auto same = std::make_shared<Gauge>();
    PutPropertyRef(g, "Face", Variant::FromObject(same));
    EXPECT_EQ(g.face, same);
    try {
        PutPropertyRef(g, "Face", Variant::FromObject(std::make_shared<Other>()));
        ADD_FAILURE() << "no error";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number(), error::kTypeMismatch);
    }
    EXPECT_EQ(g.face, same);
    PutPropertyRef(g, "Face", Variant::FromObject(nullptr));
    EXPECT_EQ(g.face, nullptr);
    EXPECT_NO_THROW(TypeDesc::Object("Object").Coerce(Variant::FromObject(std::make_shared<Other>())));
}

}  // namespace
}  // namespace ov
