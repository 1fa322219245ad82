// The class registry, the type library text and the component server entry points.
#include <gtest/gtest.h>

#include "library/classes.h"
#include "library/component_server.h"
#include "library/typelib_text.h"

namespace ov::library {
namespace {

TEST(LibraryClasses, CreatableByNameAndProgId) {
    const auto& classes = Classes();
    ASSERT_NE(classes.Find("OrvelleControls.OV3DLine"), nullptr);
    EXPECT_TRUE(classes.Find("ov3dline")->is_control);
    EXPECT_EQ(classes.Create("OrvelleControls.OV3DLine")->TypeName(), "OV3DLine");
    // Host classes are creatable by a host but not part of the type library.
    ASSERT_NE(classes.Find("Box"), nullptr);
    EXPECT_FALSE(InTypeLibrary(*classes.Find("Box")));
    EXPECT_EQ(classes.Find("OrvelleControls.Box"), nullptr);
}

TEST(TypeLibraryText, ListsOV3DLineInterfaceHelpStringsAndEnumeration) {
    const std::string text = TypeLibraryText(Classes());
    const char* expected[] = {
        "library OrvelleControls\n",
        "class OV3DLine progid OrvelleControls.OV3DLine clsid {6F1C3D01-7A52-4E0B-9C11-0D3E5A2B7001} control\n"
        "  interface _OV3DLine (default)\n"
        "    property ForeColor As OLE_COLOR [get, put] id 1 \"Line's forecolor\"\n"
        "    property BackColor As OLE_COLOR [get, put] id 2 \"Line's backcolor\"\n"
        "    property Orientation As lOrientation [get, put] id 3 \"Line's orientation (Horisontal/Vertical)\"\n"
        "  event interface __OV3DLine\n"
        "    (no events)\n",
        "enum lOrientation\n  Horizontal = 0\n  Vertical = 1\n",
    };
    for (const char* part : expected) EXPECT_NE(text.find(part), std::string::npos) << part << "\n--- in ---\n" << text;
    EXPECT_EQ(text.find("class Box"), std::string::npos);
}

TEST(TypeLibraryText, ListsOVHotLabelMembersInOrderWithTheFontIdAndHelpStrings) {
    const std::string text = TypeLibraryText(Classes());
    const std::string expected =
        "class OVHotLabel progid OrvelleControls.OVHotLabel clsid {6F1C3D01-7A52-4E0B-9C11-0D3E5A2B7003} control\n"
        "  interface _OVHotLabel (default)\n"
        "    property BackColor As OLE_COLOR [get, put] id 1 \"Returns/sets the background color used to display "
        "text and graphics in an object.\"\n"
        "    property Enabled As Boolean [get, put] id 2 \"Returns/sets a value that determines whether an object "
        "can respond to user-generated events.\"\n"
        "    property Font As StdFont [get, putref] id -512 \"Returns a Font object.\"\n"
        "    method Refresh() id 3 \"Forces a complete repaint of a object.\"\n"
        "    property ControlString As String [get, put] id 4 \"Specifies the text in the control, and where the "
        "hotspot region and pictures go. ~ - Hotspotstart ` - Hotspot end * - picture \"\n"
        "    property Picture As StdPicture [get, putref] id 5 \"Returns/sets a graphic to be displayed in a "
        "control.\"\n"
        "    property HotspotColor As OLE_COLOR [get, put] id 6 \"Set/return the hotspot color\"\n"
        "    property ForeColor As OLE_COLOR [get, put] id 7 \"Returns/sets the foreground color used to display "
        "text and graphics in an object.\"\n"
        "    property BorderStyle As Integer [get, put] id 8 \"Returns/sets the border style for an object.\"\n"
        "    property Highlight As Boolean [get, put] id 9 \"Sets whether the hot spot lights up when the  mouse is "
        "over it.\"\n"
        "    property HighlightColor As OLE_COLOR [get, put] id 10\n"
        "  event interface __OVHotLabel\n"
        "    event Click() id 1 \"Click event on the label\"\n"
        "    event DblClick() id 2 \"Double click event on the label\"\n"
        "    event MouseDown(ByRef Button As Integer, ByRef Shift As Integer, ByRef X As Single, ByRef Y As Single) id 3\n"
        "    event MouseMove(ByRef Button As Integer, ByRef Shift As Integer, ByRef X As Single, ByRef Y As Single) id 4\n"
        "    event MouseUp(ByRef Button As Integer, ByRef Shift As Integer, ByRef X As Single, ByRef Y As Single) id 5\n"
        "    event HotSpotClick(ByRef Index As Long) id 6 \"Set the event when there was a click on a hotspot\"\n";
    EXPECT_NE(text.find(expected), std::string::npos) << text;
}

TEST(TypeLibraryText, MethodsShowParametersAndEvents) {
    MemberDesc m;
    m.name = "Draw";
    m.dispid = 7;
    m.kind = MemberKind::Method;
    m.type = TypeDesc::Of(VarType::Boolean);
    m.params = {Ref("Target", TypeDesc::Object("Object")), Opt("Step", TypeDesc::Of(VarType::Integer))};
    EXPECT_EQ(MemberLine(m), "method Draw(ByRef Target As Object, Optional ByVal Step As Integer) As Boolean id 7");
    EventDesc e{"TabSelected", 1, {Ref("Index", TypeDesc::Of(VarType::Integer))}, {}};
    EXPECT_EQ(EventLine(e), "event TabSelected(ByRef Index As Integer) id 1");
}

TEST(ComponentServer, RegistersCreatesAndUnloads) {
    ASSERT_EQ(DllRegisterServer(), S_OK);
    const std::string id = Runtime().ClassIdOf("OrvelleControls.OV3DLine");
    EXPECT_EQ(id, "{6F1C3D01-7A52-4E0B-9C11-0D3E5A2B7001}");

    std::shared_ptr<ClassFactory> factory;
    EXPECT_EQ(DllGetClassObject("{00000000-0000-0000-0000-000000000000}", &factory), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(DllGetClassObject(id, nullptr), E_POINTER);
    ASSERT_EQ(DllGetClassObject(id, &factory), S_OK);
    EXPECT_EQ(DllCanUnloadNow(), S_OK);
    {
        auto line = factory->CreateInstance();
        EXPECT_EQ(line->TypeName(), "OV3DLine");
        EXPECT_EQ(DllCanUnloadNow(), S_FALSE);  // an instance is alive
    }
    EXPECT_EQ(DllCanUnloadNow(), S_OK);
    factory->LockServer(true);
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
    factory->LockServer(false);
    EXPECT_NE(Runtime().CreateObject("OrvelleControls.OV3DLine"), nullptr);

    ASSERT_EQ(DllUnregisterServer(), S_OK);
    EXPECT_FALSE(Runtime().IsRegistered(id));
    EXPECT_EQ(Runtime().CreateObject("OrvelleControls.OV3DLine"), nullptr);
}

}  // namespace
}  // namespace ov::library
