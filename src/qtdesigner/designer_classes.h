#pragma once
// The controls as the Designer plugin offers them (generated from the class registry by
// designer_codegen).
#include <cstdint>
#include <vector>

class QWidget;

namespace ov::designer {

struct DesignerClass {
    const char* name;  // "OVGradientPanel"; the widget is ov::qt::<name>
    const char* help;  // the class's help string (UTF-8)
    int width;         // default extent in pixels
    int height;
    bool container;    // widgets dropped on it become its children
    std::vector<std::uint32_t> toolbox;  // 16 x 15 pixels, 0x00RRGGBB, row-major; empty: none
    QWidget* (*create)(QWidget* parent);  // new ov::qt::<name>(parent)
};

const std::vector<DesignerClass>& DesignerClasses();

}  // namespace ov::designer
