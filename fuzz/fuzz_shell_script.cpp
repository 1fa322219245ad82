// Shell scripts run on a reference host holding every class of the library, with small limits:
// no allocation above 32 MiB succeeds, the screen is forty times coarser than usual (so extents
// cost a sixteen-hundredth of the pixels), at most 16 objects are created, waits are short, and
// a script stops once its surfaces hold more than four million pixels in all. Statements that
// touch files are skipped. Nothing may crash, leak or hang: a failing allocation is one more
// error line, and when the host closes every window and drawing object it made is gone.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string_view>
#include <variant>

#include "host/reference/reference_host.h"
#include "library/classes.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/screen.h"
#include "platform/gdi/window.h"
#include "platform/picturebox/picture_box.h"
#include "platform/runtime/clock.h"
#include "shell/interpreter.h"
#include "shell/parser.h"

extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1:max_allocation_size_mb=32"; }

namespace {

using namespace ov::shell;

constexpr int kCoarseTwipsPerPixel = 600;
constexpr std::int64_t kMaxSurfacePixels = 4 << 20;
constexpr int kMaxObjects = 16;
constexpr double kMaxWaitMilliseconds = 100000;

bool ReadsAFile(const ValueExpr& value) {
    if (value.kind == ValueExpr::Kind::LoadPicture) return true;
    for (const ValueExpr& arg : value.args)
        if (ReadsAFile(arg)) return true;
    if (value.kind == ValueExpr::Kind::Font) {
        for (const auto* part : {&value.font.name, &value.font.size})
            if (*part && ReadsAFile(**part)) return true;
        for (const auto& attribute : value.font.attributes)
            if (attribute && ReadsAFile(*attribute)) return true;
    }
    return false;
}

bool AnyReadsAFile(const std::vector<ValueExpr>& values) {
    for (const ValueExpr& value : values)
        if (ReadsAFile(value)) return true;
    return false;
}

// Whether the statement stays inside the small limits (and away from the file system).
bool Allowed(const Statement& statement, int& objects) {
    return std::visit(
        [&](const auto& s) -> bool {
            using S = std::decay_t<decltype(s)>;
            if constexpr (std::is_same_v<S, LoadStmt> || std::is_same_v<S, SaveStmt> || std::is_same_v<S, SnapStmt>) {
                return false;
            } else if constexpr (std::is_same_v<S, NewStmt>) {
                return ++objects <= kMaxObjects;
            } else if constexpr (std::is_same_v<S, WaitStmt>) {
                return s.milliseconds.kind == ValueExpr::Kind::Literal && s.milliseconds.literal.IsNumeric() &&
                       ov::CDbl(s.milliseconds.literal) <= kMaxWaitMilliseconds;
            } else if constexpr (std::is_same_v<S, PutStmt>) {
                return !ReadsAFile(s.value) && !AnyReadsAFile(s.args);
            } else if constexpr (std::is_same_v<S, CallStmt> || std::is_same_v<S, FireStmt>) {
                return !AnyReadsAFile(s.args);
            } else if constexpr (std::is_same_v<S, PrintStmt>) {
                return !ReadsAFile(s.value) && !AnyReadsAFile(s.args);
            } else if constexpr (std::is_same_v<S, OnStmt>) {
                return !ReadsAFile(s.value);
            } else if constexpr (std::is_same_v<S, HostStmt>) {
                for (const auto& setting : s.settings)
                    if (ReadsAFile(setting.second)) return false;
                return true;
            } else {
                return true;
            }
        },
        statement);
}

// Pixels held by the controls' surfaces and their picture boxes.
std::int64_t SurfacePixels(ov::host::ReferenceHost& host) {
    std::int64_t total = 0;
    for (const std::string& name : host.Names()) {
        const ov::host::Control* control = host.FindControl(name);
        if (!control) continue;
        total += std::int64_t{control->PixelWidth()} * control->PixelHeight();
        for (const auto& c : control->constituents()) {
            if (c->kind() != ov::host::ConstituentKind::PictureBox) continue;
            const auto& box = static_cast<const ov::host::ConstituentPictureBox&>(*c).box();
            total += std::int64_t{box.client_width()} * box.client_height();
        }
    }
    return total;
}

void KeepTheScreenCoarse() {
    auto& screen = ov::gdi::Screen();
    screen.twips_per_pixel_x = std::max(screen.twips_per_pixel_x, kCoarseTwipsPerPixel);
    screen.twips_per_pixel_y = std::max(screen.twips_per_pixel_y, kCoarseTwipsPerPixel);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ov::gdi::ResetSysColors();
    ov::gdi::Screen() = ov::gdi::ScreenSettings{kCoarseTwipsPerPixel, kCoarseTwipsPerPixel, false};
    ov::SetFixedNow(45444.5);
    const int windows = ov::gdi::LiveWindowCount();
    const ov::gdi::LiveObjects objects = ov::gdi::CountLiveObjects();
    {
        ov::host::ReferenceHost host(ov::library::Classes());
        std::ostringstream out;
        Interpreter interpreter(host, out);
        const std::string_view text(reinterpret_cast<const char*>(data), size);
        int number = 0, created = 0;
        for (std::size_t start = 0; start < text.size();) {
            const std::size_t end = std::min(text.find('\n', start), text.size());
            std::optional<Statement> statement;
            try {
                statement = ParseStatement(text.substr(start, end - start), ++number);
            } catch (const SyntaxError&) {
                break;  // the shell stops at a malformed line
            }
            if (statement && Allowed(*statement, created)) {
                interpreter.Execute(*statement);
                KeepTheScreenCoarse();
                if (SurfacePixels(host) > kMaxSurfacePixels) break;
            }
            start = end + 1;
        }
    }
    if (ov::gdi::LiveWindowCount() != windows || !(ov::gdi::CountLiveObjects() == objects)) std::abort();
    return 0;
}
