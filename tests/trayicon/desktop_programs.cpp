#include "desktop_programs.h"

#include <X11/Xlib.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <thread>

namespace ov::testing_support {

namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsUntil(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}

// Exec'd in the child: argv and the extra environment, with stdin/stdout already in place.
[[noreturn]] void Exec(const std::vector<std::string>& argv, const std::vector<std::string>& environment) {
    for (const std::string& assignment : environment) putenv(const_cast<char*>(assignment.c_str()));
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
}

void Redirect(int fd, int target) {
    if (fd != target) {
        dup2(fd, target);
        close(fd);
    }
}

bool WaitForExit(pid_t pid, std::chrono::milliseconds timeout) {
    return PollUntil([pid] { return waitpid(pid, nullptr, WNOHANG) == pid; }, timeout);
}

// SIGTERM, then SIGKILL if the child is still there after two seconds; waits for it.
void StopChild(pid_t& pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    if (!WaitForExit(pid, std::chrono::seconds(2))) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    pid = -1;
}

}  // namespace

std::string FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::string candidate = folder + "/" + name;
        if (!folder.empty() && access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

bool PollUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (done()) return true;
        if (Clock::now() >= deadline) return done();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv, Pipes pipes,
                           const std::vector<std::string>& environment) {
    int in[2] = {-1, -1}, out[2] = {-1, -1};
    if (pipes.input && pipe2(in, O_CLOEXEC) < 0) return;
    if (pipes.output && pipe2(out, O_CLOEXEC) < 0) return;
    pid_ = fork();
    if (pid_ == 0) {
        const int null = open("/dev/null", O_RDWR);
        Redirect(pipes.input ? in[0] : dup(null), STDIN_FILENO);
        Redirect(pipes.output ? out[1] : dup(null), STDOUT_FILENO);
        Redirect(null, STDERR_FILENO);
        // A group of its own, so stopping it reaches whatever it started.
        setpgid(0, 0);
        Exec(argv, environment);
    }
    if (pipes.input) {
        close(in[0]);
        input_ = in[1];
    }
    if (pipes.output) {
        close(out[1]);
        output_fd_ = out[0];
        fcntl(output_fd_, F_SETFL, O_NONBLOCK);
    }
}

ChildProcess::~ChildProcess() {
    Stop();
    CloseInput();
    if (output_fd_ >= 0) close(output_fd_);
}

void ChildProcess::Stop() { StopChild(pid_); }

void ChildProcess::Write(const std::string& text) {
    std::size_t written = 0;
    while (input_ >= 0 && written < text.size()) {
        const ssize_t n = write(input_, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        written += static_cast<std::size_t>(n);
    }
}

void ChildProcess::CloseInput() {
    if (input_ >= 0) close(input_);
    input_ = -1;
}

bool ChildProcess::ReadUntil(const std::string& needle, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (output_.find(needle) == std::string::npos) {
        if (output_fd_ < 0) return false;
        pollfd readable{output_fd_, POLLIN, 0};
        const int ready = poll(&readable, 1, MillisecondsUntil(deadline));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        char buffer[4096];
        const ssize_t n = read(output_fd_, buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) return output_.find(needle) != std::string::npos;
        output_.append(buffer, static_cast<std::size_t>(n));
    }
    return true;
}

std::string RunProgram(const std::vector<std::string>& argv, std::chrono::milliseconds timeout) {
    ChildProcess child(argv, {.input = false, .output = true});
    // Nothing to look for: read to the end of the output or the time limit.
    child.ReadUntil(std::string(1, '\0'), timeout);
    return child.output();
}

VirtualDisplay::VirtualDisplay() {
    const std::string xvfb = FindProgram("Xvfb");
    if (xvfb.empty()) return;
    int number[2];
    if (pipe2(number, O_CLOEXEC) < 0) return;
    pid_ = fork();
    if (pid_ == 0) {
        const int null = open("/dev/null", O_RDWR);
        Redirect(dup(null), STDOUT_FILENO);
        Redirect(null, STDERR_FILENO);
        // The write end stays open across exec: Xvfb writes the display number it chose there.
        const int fd = dup(number[1]);
        const std::string fd_text = std::to_string(fd);
        Exec({xvfb, "-displayfd", fd_text, "-screen", "0", "640x480x24", "-nolisten", "tcp"}, {});
    }
    close(number[1]);
    if (pid_ < 0) {
        close(number[0]);
        return;
    }
    std::string text;
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (text.find('\n') == std::string::npos) {
        pollfd readable{number[0], POLLIN, 0};
        if (poll(&readable, 1, MillisecondsUntil(deadline)) <= 0) break;
        char buffer[32];
        const ssize_t n = read(number[0], buffer, sizeof buffer);
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    close(number[0]);
    if (text.find('\n') == std::string::npos) return;
    name_ = ":" + text.substr(0, text.find('\n'));
    if (const char* previous = std::getenv("DISPLAY")) {
        previous_ = previous;
        had_previous_ = true;
    }
    setenv("DISPLAY", name_.c_str(), 1);
}

VirtualDisplay::~VirtualDisplay() {
    if (had_previous_) setenv("DISPLAY", previous_.c_str(), 1);
    else unsetenv("DISPLAY");
    StopChild(pid_);
}

namespace {

Display* Of(void* display) { return static_cast<Display*>(display); }

Window FindNamed(Display* display, Window window, Atom net_wm_name, const std::string& name) {
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* value = nullptr;
    if (XGetWindowProperty(display, window, net_wm_name, 0, 1024, False, AnyPropertyType, &type, &format, &items,
                           &after, &value) == Success &&
        value) {
        const bool match = std::string(reinterpret_cast<char*>(value), items) == name;
        XFree(value);
        if (match) return window;
    }
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i) found = FindNamed(display, children[i], net_wm_name, name);
    if (children) XFree(children);
    return found;
}

}  // namespace

SystemTrayWindows::SystemTrayWindows() : display_(XOpenDisplay(nullptr)) {}

SystemTrayWindows::~SystemTrayWindows() {
    if (display_) XCloseDisplay(Of(display_));
}

bool SystemTrayWindows::TrayPresent() {
    const Atom selection = XInternAtom(Of(display_), "_NET_SYSTEM_TRAY_S0", False);
    return XGetSelectionOwner(Of(display_), selection) != None;
}

std::uint32_t SystemTrayWindows::Named(const std::string& name) {
    Display* display = Of(display_);
    return static_cast<std::uint32_t>(
        FindNamed(display, DefaultRootWindow(display), XInternAtom(display, "_NET_WM_NAME", False), name));
}

bool SystemTrayWindows::Embedded(std::uint32_t window) {
    Display* display = Of(display_);
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) return false;
    if (children) XFree(children);
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes)) return false;
    return parent != root && attributes.map_state == IsViewable;
}

void SystemTrayWindows::Click(std::uint32_t window, unsigned button, int x_root, int y_root) {
    Display* display = Of(display_);
    for (int type : {ButtonPress, ButtonRelease}) {
        XEvent event{};
        event.xbutton.type = type;
        event.xbutton.display = display;
        event.xbutton.window = window;
        event.xbutton.button = button;
        event.xbutton.x_root = x_root;
        event.xbutton.y_root = y_root;
        event.xbutton.time = CurrentTime;
        event.xbutton.same_screen = True;
        XSendEvent(display, window, False, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask, &event);
    }
    XFlush(display);
}

}  // namespace ov::testing_support
