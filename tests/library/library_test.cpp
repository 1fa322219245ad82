// The class registry and the component server entry points; the type library text itself is
// compared with typelib.expected by a CTest script.
#include <gtest/gtest.h>

#include "library/classes.h"
#include "library/component_server.h"

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
