#include "host/contract/toolbox_image.h"

namespace ov::host {

ToolboxImage ToolboxImageFromArt(const ToolboxArt& rows,
                                 std::initializer_list<std::pair<char, std::uint32_t>> palette) {
    constexpr std::uint32_t kMissing = 0x00FF00FFu;
    ToolboxImage image;
    image.pixels.assign(static_cast<std::size_t>(ToolboxImage::kWidth) * ToolboxImage::kHeight, kMissing);
    for (int y = 0; y < ToolboxImage::kHeight; ++y) {
        const std::string_view row = rows[static_cast<std::size_t>(y)];
        for (int x = 0; x < ToolboxImage::kWidth && x < static_cast<int>(row.size()); ++x) {
            for (const auto& [key, colour] : palette)
                if (key == row[static_cast<std::size_t>(x)])
                    image.pixels[static_cast<std::size_t>(y) * ToolboxImage::kWidth + x] = colour;
        }
    }
    return image;
}

}  // namespace ov::host
