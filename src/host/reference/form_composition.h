#pragma once
// Composition and image output of a reference host's form: the background, then each visible
// control in z-order with its surface, constituents and contained controls (clipped to the
// container). The whole form is composed once and kept until something it shows may have
// changed; a pixel query while it is stale composes that one pixel only.
//
// What it shows depends on host-side state, the system colours and the screen settings (a
// change of any composes the whole form again) and on the pixels of the windows and pictures
// it drew from. For those the drawing layer says where they changed, and only the part of the
// form over the changes is composed again: a control that redraws its caption costs the
// caption's area, not the form's.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/reference/compositor.h"
#include "host/reference/reference_only.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/screen.h"

namespace ov::host {

class Form;
class ObjectRegistry;
struct HostEntry;

// The composed form: 0x00RRGGBB pixels, row-major, top-down.
struct ComposedImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint64_t version = 0;                               // moves whenever the kept image of a composition changes
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
    // The same for `part` of the form only (form pixels, inside the form).
    ComposedImage ImageOver(std::int32_t ole_colour, const gdi::RECT& part) const;
    // Whether Image() would return the kept image as it is (nothing it shows has changed).
    bool IsCurrent() const;
    // The part of the kept image that changed after it was at `version` (empty when none):
    // a live host copies only that into its window's frame. Null when that is not known any
    // more (the version is too old, or from another image).
    std::optional<gdi::RECT> ChangedSince(std::uint64_t version) const;
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
    // What a composition depends on besides the objects and the pixels it drew from.
    struct Stamp {
        std::uint64_t host_changes = 0;
        std::array<gdi::COLORREF, gdi::kSysColorCount> system_colours{};
        gdi::ScreenSettings screen;
        bool operator==(const Stamp& other) const;
    };
    static Stamp Current();
    gdi::RECT FormBounds() const;
    // Where, in form pixels, what the kept image drew from changed since it was composed
    // (clipped to the form, empty when nowhere); null when that cannot be said.
    std::optional<gdi::RECT> SourceDamage() const;
    void ComposeAll() const;
    void ComposePart(const gdi::RECT& part) const;
    void NoteChange(const gdi::RECT& changed) const;
    // Composes the form inside `bounds` (form pixels, which may reach past the form), with
    // `whole` (when not null) and its containers drawn uncut by the containers around them.
    ComposedImage ComposeRegion(const gdi::RECT& bounds, const HostEntry* whole) const;
    ComposedImage ComposeRegion(const gdi::RECT& bounds, const HostEntry* whole, std::int32_t background) const;
    void ComposeRegionInto(ComposedImage& image, const gdi::RECT& bounds, const HostEntry* whole,
                           std::int32_t background, CompositionSources* sources = nullptr) const;
    // The background over the whole canvas, then every control on it.
    void DrawOnto(Canvas& canvas, const HostEntry* whole, std::int32_t background) const;
    void ComposeChildren(const HostEntry* container, Canvas& canvas, const gdi::RECT& clip, FormPoint origin,
                         const HostEntry* whole) const;

    const ObjectRegistry& registry_;
    const Form& form_;
    mutable ComposedImage image_;
    mutable std::optional<Stamp> stamp_;     // of image_, absent when it was never composed
    mutable CompositionSources sources_;     // what image_ was drawn from
    mutable std::uint64_t composed_at_ = 0;  // the drawing layer's damage stamp then
    // The latest changes of image_: (version it reached, what changed), newest last.
    struct Change {
        std::uint64_t version;
        gdi::RECT rect;
    };
    mutable std::vector<Change> changes_;
};

}  // namespace ov::host
