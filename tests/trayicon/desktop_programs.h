#pragma once
// Programs of a real desktop for the tray's tests, each started for a test and stopped after
// it: a virtual X server, and any program run as a child with its output captured or dropped.
// Every wait is bounded and polls (nothing sleeps longer than the next check).
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ov::testing_support {

// The program's full path when it is on PATH, else "".
std::string FindProgram(const std::string& name);

// Checks `done` every few milliseconds until it holds or `timeout` passes; returns the last
// answer.
bool PollUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

// A child process. Its standard input, when asked for, is a pipe the test writes; its
// standard output a pipe the test reads (or /dev/null); its standard error is dropped.
class ChildProcess {
public:
    struct Pipes {
        bool input = false;
        bool output = false;
    };
    ChildProcess(const std::vector<std::string>& argv, Pipes pipes, const std::vector<std::string>& environment = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    // SIGTERM, then SIGKILL if it is still there after two seconds; waits for it.
    void Stop();

    void Write(const std::string& text);
    void CloseInput();
    // Reads the output until it holds `needle` or `timeout` passed; returns whether it does.
    // Everything read so far is in output().
    bool ReadUntil(const std::string& needle, std::chrono::milliseconds timeout);
    const std::string& output() const { return output_; }

private:
    pid_t pid_ = -1;
    int input_ = -1;
    int output_fd_ = -1;
    std::string output_;
};

// Runs a program to its end (at most `timeout`) and returns its standard output.
std::string RunProgram(const std::vector<std::string>& argv, std::chrono::milliseconds timeout);

// Xvfb on a display number it picks itself, with a 24-bit screen; DISPLAY names it for the
// object's lifetime.
class VirtualDisplay {
public:
    VirtualDisplay();
    ~VirtualDisplay();
    bool running() const { return !name_.empty(); }
    const std::string& name() const { return name_; }

private:
    std::string name_;
    pid_t pid_ = -1;
    std::string previous_;
    bool had_previous_ = false;
};

// The display's windows as an XEmbed system tray's test sees them (windows by their 32-bit id).
class SystemTrayWindows {
public:
    SystemTrayWindows();  // on $DISPLAY
    ~SystemTrayWindows();
    SystemTrayWindows(const SystemTrayWindows&) = delete;
    SystemTrayWindows& operator=(const SystemTrayWindows&) = delete;

    bool ok() const { return display_ != nullptr; }
    // Whether a tray manager owns the default screen's system-tray selection.
    bool TrayPresent();
    // The window whose _NET_WM_NAME is `name` (UTF-8) anywhere below the root, 0 if none.
    std::uint32_t Named(const std::string& name);
    // Whether the window sits inside another one (not on the root) and is viewable.
    bool Embedded(std::uint32_t window);
    // A press and a release of `button` sent to the window, the pointer at (x_root, y_root).
    void Click(std::uint32_t window, unsigned button, int x_root, int y_root);

private:
    void* display_;
};

}  // namespace ov::testing_support
