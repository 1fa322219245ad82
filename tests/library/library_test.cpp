// The class registry; the type library text is compared with typelib.expected by a CTest
// script, the component server is tested through its C interface (component_server_test.cpp).
#include <gtest/gtest.h>

#include "library/classes.h"

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

}  // namespace
}  // namespace ov::library
