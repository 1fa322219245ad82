#include "platform/notifyarea/system_tray_display.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "platform/notifyarea/notify_icon_data.h"

namespace ov::notifyarea {

namespace {

// The tray protocol's opcode for a dock request, and the embedding's "map me" flag.
constexpr long kRequestDock = 0;
constexpr unsigned long kXEmbedVersion = 0, kXEmbedMapped = 1;
// Two presses of one button closer than this are a double click, as the platform's default.
constexpr Time kDoubleClickMilliseconds = 500;
constexpr int kInitialSide = 22;

// Xlib's default handler ends the process on any protocol error; a tray that vanishes between
// our request and its answer (BadWindow) is ordinary here.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

struct TrayIcon {
    Window window = 0;
    int width = 0, height = 0;  // of the icon's pixels
    std::vector<std::uint32_t> argb;
    int side_x = kInitialSide, side_y = kInitialSide;  // of the window, as the tray made it
    unsigned last_button = 0;
    Time last_press = 0;
};

// Where a TrueColor visual keeps one channel: shift the 8-bit value left (or right) to fit.
struct Channel {
    unsigned long mask = 0;
    int shift = 0;  // of the channel's top bit relative to bit 7
    unsigned long Place(std::uint32_t value8) const {
        const unsigned long v =
            shift >= 0 ? static_cast<unsigned long>(value8) << shift : static_cast<unsigned long>(value8) >> -shift;
        return v & mask;
    }
    static Channel Of(unsigned long mask) {
        Channel c{mask, 0};
        if (mask == 0) return c;
        int top = 0;
        for (unsigned long m = mask; m > 1; m >>= 1) ++top;
        c.shift = top - 7;
        return c;
    }
};

class XSystemTray : public SystemTrayDisplay {
public:
    XSystemTray(Display* display, PointerHandler on_pointer) : display_(display), on_pointer_(std::move(on_pointer)) {
        screen_ = DefaultScreen(display_);
        root_ = RootWindow(display_, screen_);
        const std::string selection = "_NET_SYSTEM_TRAY_S" + std::to_string(screen_);
        selection_ = XInternAtom(display_, selection.c_str(), False);
        opcode_ = XInternAtom(display_, "_NET_SYSTEM_TRAY_OPCODE", False);
        manager_ = XInternAtom(display_, "MANAGER", False);
        xembed_info_ = XInternAtom(display_, "_XEMBED_INFO", False);
        net_wm_name_ = XInternAtom(display_, "_NET_WM_NAME", False);
        utf8_string_ = XInternAtom(display_, "UTF8_STRING", False);
        // A tray manager that starts later says so on the root window.
        XSelectInput(display_, root_, StructureNotifyMask);
        XFlush(display_);
    }
    ~XSystemTray() override {
        for (auto& [key, icon] : icons_) XDestroyWindow(display_, icon.window);
        XCloseDisplay(display_);
    }

    int descriptor() const override { return ConnectionNumber(display_); }

    bool TrayPresent() override { return Manager() != None; }

    std::uint32_t Dock(int width, int height, const std::vector<std::uint32_t>& argb, const std::string& tip) override {
        XSetWindowAttributes attributes{};
        // The tray's own background shows through wherever the icon is transparent.
        attributes.background_pixmap = ParentRelative;
        attributes.event_mask =
            ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | StructureNotifyMask;
        const Window window = XCreateWindow(display_, root_, 0, 0, kInitialSide, kInitialSide, 0, CopyFromParent,
                                            InputOutput, CopyFromParent, CWBackPixmap | CWEventMask, &attributes);
        if (window == 0) return 0;
        const unsigned long info[2] = {kXEmbedVersion, kXEmbedMapped};
        XChangeProperty(display_, window, xembed_info_, xembed_info_, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(info), 2);
        TrayIcon& icon = icons_[static_cast<std::uint32_t>(window)];
        icon.window = window;
        icon.width = width;
        icon.height = height;
        icon.argb = argb;
        Name(window, tip);
        RequestDock(window);
        XFlush(display_);
        return static_cast<std::uint32_t>(window);
    }

    void SetIcon(std::uint32_t key, int width, int height, const std::vector<std::uint32_t>& argb) override {
        auto found = icons_.find(key);
        if (found == icons_.end()) return;
        found->second.width = width;
        found->second.height = height;
        found->second.argb = argb;
        Draw(found->second);
        XFlush(display_);
    }

    void SetTip(std::uint32_t key, const std::string& tip) override {
        if (icons_.count(key) == 0) return;
        Name(static_cast<Window>(key), tip);
        XFlush(display_);
    }

    void Undock(std::uint32_t key) override {
        auto found = icons_.find(key);
        if (found == icons_.end()) return;
        // Destroying the window is the protocol's way out: the tray forgets a destroyed client.
        XDestroyWindow(display_, found->second.window);
        icons_.erase(found);
        XFlush(display_);
    }

    bool Process() override {
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            Handle(event);
        }
        XFlush(display_);
        return XEventsQueued(display_, QueuedAlready) > 0;
    }

private:
    Window Manager() { return XGetSelectionOwner(display_, selection_); }

    void RequestDock(Window window) {
        const Window manager = Manager();
        if (manager == None) return;
        XEvent message{};
        message.xclient.type = ClientMessage;
        message.xclient.window = manager;
        message.xclient.message_type = opcode_;
        message.xclient.format = 32;
        message.xclient.data.l[0] = CurrentTime;
        message.xclient.data.l[1] = kRequestDock;
        message.xclient.data.l[2] = static_cast<long>(window);
        XSendEvent(display_, manager, False, NoEventMask, &message);
    }

    void Name(Window window, const std::string& tip) {
        XChangeProperty(display_, window, net_wm_name_, utf8_string_, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(tip.data()), static_cast<int>(tip.size()));
    }

    void Handle(const XEvent& event) {
        if (event.type == ClientMessage && event.xclient.window == root_ && event.xclient.message_type == manager_ &&
            static_cast<Atom>(event.xclient.data.l[1]) == selection_) {
            // A tray manager (re)started: every icon asks again.
            for (auto& [key, icon] : icons_) RequestDock(icon.window);
            return;
        }
        auto found = icons_.find(static_cast<std::uint32_t>(event.xany.window));
        if (found == icons_.end()) return;
        TrayIcon& icon = found->second;
        switch (event.type) {
            case Expose:
                if (event.xexpose.count == 0) Draw(icon);
                return;
            case ConfigureNotify:
                icon.side_x = std::max(1, event.xconfigure.width);
                icon.side_y = std::max(1, event.xconfigure.height);
                return;
            case ReparentNotify:
                // The tray went away and handed the window back to the root: it must not stay on
                // the screen as a window of its own until a tray takes it again.
                if (event.xreparent.parent == root_) XUnmapWindow(display_, icon.window);
                return;
            case ButtonPress: Press(icon, event.xbutton); return;
            case ButtonRelease: Release(event.xbutton); return;
            case MotionNotify:
                on_pointer_(found->first, kWmMouseMove, event.xmotion.x_root, event.xmotion.y_root);
                return;
            default: return;
        }
    }

    void Press(TrayIcon& icon, const XButtonEvent& press) {
        const std::uint32_t key = static_cast<std::uint32_t>(icon.window);
        const std::uint32_t down = ButtonMessage(press.button, 0);
        if (down == 0) {
            // The wheel: the desktop's scroll, a move over the icon as the platform reports it.
            on_pointer_(key, kWmMouseMove, press.x_root, press.y_root);
            return;
        }
        const bool twice = press.button == icon.last_button && press.time - icon.last_press < kDoubleClickMilliseconds;
        icon.last_button = twice ? 0 : press.button;
        icon.last_press = press.time;
        on_pointer_(key, twice ? ButtonMessage(press.button, 2) : down, press.x_root, press.y_root);
    }

    void Release(const XButtonEvent& release) {
        const std::uint32_t up = ButtonMessage(release.button, 1);
        if (up != 0) on_pointer_(static_cast<std::uint32_t>(release.window), up, release.x_root, release.y_root);
    }

    // 0 down, 1 up, 2 double click; 0 for buttons that are not the three.
    static std::uint32_t ButtonMessage(unsigned button, std::uint32_t which) {
        switch (button) {
            case Button1: return kWmLButtonDown + which;
            case Button2: return kWmMButtonDown + which;
            case Button3: return kWmRButtonDown + which;
            default: return 0;
        }
    }

    // The icon scaled to the window (nearest pixel), drawn where it is at least half opaque.
    void Draw(const TrayIcon& icon) {
        XClearWindow(display_, icon.window);
        if (icon.argb.empty() || icon.width <= 0 || icon.height <= 0) return;
        const int w = icon.side_x, h = icon.side_y;
        const auto source = [&](int x, int y) {
            const int sx = static_cast<int>(static_cast<long long>(x) * icon.width / w);
            const int sy = static_cast<int>(static_cast<long long>(y) * icon.height / h);
            return icon.argb[static_cast<std::size_t>(sy) * icon.width + sx];
        };
        const int stride = (w + 7) / 8;
        std::vector<char> mask_bits(static_cast<std::size_t>(stride) * h, 0);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if ((source(x, y) >> 24) >= 0x80)
                    mask_bits[static_cast<std::size_t>(y) * stride + x / 8] |= 1 << (x % 8);
        const Pixmap mask = XCreateBitmapFromData(display_, icon.window, mask_bits.data(), w, h);
        GC gc = XCreateGC(display_, icon.window, 0, nullptr);
        XSetClipMask(display_, gc, mask);
        Visual* visual = DefaultVisual(display_, screen_);
        const int depth = DefaultDepth(display_, screen_);
        if (visual->c_class == TrueColor && depth >= 15) {
            const Channel red = Channel::Of(visual->red_mask), green = Channel::Of(visual->green_mask),
                          blue = Channel::Of(visual->blue_mask);
            XImage* image = XCreateImage(display_, visual, depth, ZPixmap, 0, nullptr, w, h, 32, 0);
            if (image) {
                image->data = static_cast<char*>(std::calloc(static_cast<std::size_t>(image->bytes_per_line), h));
                if (image->data) {
                    for (int y = 0; y < h; ++y)
                        for (int x = 0; x < w; ++x) {
                            const std::uint32_t p = source(x, y);
                            XPutPixel(
                                image, x, y,
                                red.Place((p >> 16) & 0xFF) | green.Place((p >> 8) & 0xFF) | blue.Place(p & 0xFF));
                        }
                    XPutImage(display_, icon.window, gc, image, 0, 0, 0, 0, w, h);
                }
                XDestroyImage(image);  // frees the pixels too
            }
        } else {
            // A display without true colour gets the icon's shape in black.
            XSetForeground(display_, gc, BlackPixel(display_, screen_));
            XFillRectangle(display_, icon.window, gc, 0, 0, w, h);
        }
        XFreeGC(display_, gc);
        XFreePixmap(display_, mask);
    }

    Display* display_;
    PointerHandler on_pointer_;
    int screen_ = 0;
    Window root_ = 0;
    Atom selection_ = None, opcode_ = None, manager_ = None, xembed_info_ = None, net_wm_name_ = None,
         utf8_string_ = None;
    std::map<std::uint32_t, TrayIcon> icons_;
};

}  // namespace

std::unique_ptr<SystemTrayDisplay> SystemTrayDisplay::Open(PointerHandler on_pointer) {
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) return nullptr;
    Display* display = XOpenDisplay(name);
    if (!display) return nullptr;
    XSetErrorHandler(IgnoreXError);
    return std::make_unique<XSystemTray>(display, std::move(on_pointer));
}

}  // namespace ov::notifyarea
