#pragma once
// Composition and image output of a reference host's form: the background, then each visible
// control in z-order with its surface, constituents and contained controls (clipped to the
// container). The whole form is composed once and kept until something it shows may have
// changed (host-side state, any bitmap, the system colours, the screen settings); a pixel
// query while it is stale composes that one pixel only.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/reference/reference_only.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/screen.h"

namespace ov::host {

class Form;
class ObjectRegistry;
struct Canvas;
struct HostEntry;

// The composed form: 0x00RRGGBB pixels, row-major, top-down.
struct ComposedImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    gdi::COLORREF At(std::int64_t x, std::int64_t y) const;  // CLR_INVALID outside
};

// A position in form pixels, wide enough for any sum of placements.
struct FormPoint {
    std::int64_t x = 0, y = 0;
};

class FormComposition {
public:
    FormComposition(const ObjectRegistry& registry, const Form& form) : registry_(registry), form_(form) {}

    // The whole form, recomposed only when it may have changed since the last call.
    const ComposedImage& Image() const;
    // The whole form composed afresh over a background of `ole_colour` instead of the form's
    // own: where it differs from Image() the form's background showed through. The kept image
    // is left as it is.
    ComposedImage ImageOver(std::int32_t ole_colour) const;
    // Whether Image() would return the kept image as it is (nothing it shows has changed).
    bool IsCurrent() const { return stamp_ && *stamp_ == Current(); }
    // The top-left corner of `entry`'s control in form pixels (the form's own is (0, 0)).
    static FormPoint OriginOf(const HostEntry* entry);
    // The composed pixel at (x, y) pixels from the entry's top-left, nullptr for the form;
    // CLR_INVALID outside the form.
    gdi::COLORREF PixelAt(const HostEntry* entry, std::int64_t x, std::int64_t y) const;
    // Writes the form, or one whole control (with what lies beneath it, also past the form's
    // edges and its containers'), as PNG; false when the file cannot be written, error 5 for a
    // control placed beyond any image's reach.
    bool WritePng(const HostEntry* entry, const std::string& png_path) const;

private:
    // What a composition depends on besides the objects themselves.
    struct Stamp {
        std::uint64_t host_changes = 0;
        std::uint64_t surface_changes = 0;
        std::array<gdi::COLORREF, gdi::kSysColorCount> system_colours{};
        gdi::ScreenSettings screen;
        bool operator==(const Stamp& other) const;
    };
    static Stamp Current();
    gdi::RECT FormBounds() const;
    // Composes the form inside `bounds` (form pixels, which may reach past the form), with
    // `whole` (when not null) and its containers drawn uncut by the containers around them.
    ComposedImage ComposeRegion(const gdi::RECT& bounds, const HostEntry* whole) const;
    ComposedImage ComposeRegion(const gdi::RECT& bounds, const HostEntry* whole, std::int32_t background) const;
    void ComposeRegionInto(ComposedImage& image, const gdi::RECT& bounds, const HostEntry* whole,
                           std::int32_t background) const;
    void ComposeChildren(const HostEntry* container, Canvas& canvas, const gdi::RECT& clip, FormPoint origin,
                         const HostEntry* whole) const;

    const ObjectRegistry& registry_;
    const Form& form_;
    mutable ComposedImage image_;
    mutable std::optional<Stamp> stamp_;  // of image_, absent when it was never composed
};

}  // namespace ov::host
