// `orvelle run [--classic-colours] [--screenshot OUT.png] FORM`: opens a form file in a window
// with every control live (the Qt live host, src/qt) and prints the events and change
// notifications as `orvelle shell` prints them. The system colours follow the desktop's
// palette, or stay the classic ones with --classic-colours. With --screenshot it renders one
// frame offscreen, writes it as PNG and exits. Exit status 0, 1 when the form could not be opened, some properties failed
// to load, there is no display to open a window on or this build has no live host, 2 for a
// usage error.
#include <cstdlib>
#include <iostream>

#include "command.h"
#include "form_messages.h"
#include "forms/form_document.h"
#include "platform/codepage/windows1252.h"
#include "platform/runtime/automation_error.h"

#ifdef ORVELLE_HAVE_LIVE_HOST
#include <QApplication>
#include <QImage>
#include <vector>

#include "library/classes.h"
#include "platform/gdi/png_io.h"
#include "qt/orvelle_widget.h"
#include "shell/printer.h"
#include "shell/utf8_output.h"
#endif

namespace {

struct RunArguments {
    std::string form_path;
    std::string screenshot_path;  // empty: open a window
    bool classic_colours = false;
};

bool ParseRunArguments(const std::vector<std::string>& args, RunArguments& out) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        // An empty image path is a usage error, not "no screenshot": that would open a window.
        if (args[i] == "--screenshot" && i + 1 < args.size() && !args[i + 1].empty()) out.screenshot_path = args[++i];
        else if (args[i] == "--classic-colours") out.classic_colours = true;
        else if (out.form_path.empty() && !args[i].empty() && args[i][0] != '-') out.form_path = args[i];
        else return false;
    }
    return !out.form_path.empty();
}

#ifdef ORVELLE_HAVE_LIVE_HOST

std::string LibraryText(const QString& text) { return ov::codepage::Utf8ToWindows1252(text.toStdString()); }

bool EnvironmentSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// Why the window system Qt would choose cannot open a window, "" when it can try: the X11 and
// Wayland platforms need their display named, the others (offscreen, vnc, ...) need none.
std::string MissingDisplay() {
    const QByteArray chosen = qgetenv("QT_QPA_PLATFORM");
    const bool x11 = chosen.isEmpty() || chosen.startsWith("xcb");
    const bool wayland = chosen.isEmpty() || chosen.startsWith("wayland");
    if (!x11 && !wayland) return {};
    if ((x11 && EnvironmentSet("DISPLAY")) || (wayland && EnvironmentSet("WAYLAND_DISPLAY"))) return {};
    if (chosen.isEmpty()) return "neither DISPLAY nor WAYLAND_DISPLAY is set";
    return std::string(x11 ? "DISPLAY" : "WAYLAND_DISPLAY") + " is not set for QT_QPA_PLATFORM=" + chosen.toStdString();
}

// Qt aborts the process after a fatal message (a display that is named but cannot be reached);
// the command reports it and exits with status 1 instead.
QtMessageHandler g_qt_message_handler = nullptr;  // Qt's own, for every other message

void ExitOnFatalMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtFatalMsg) {
        if (g_qt_message_handler) g_qt_message_handler(type, context, message);
        return;
    }
    std::cout.flush();
    std::cerr << "orvelle run: " << message.toStdString() << "\n";
    std::cerr.flush();
    std::_Exit(1);
}

// The widget's frame, as the host composed it, in device pixels.
bool WriteFrame(ov::qt::OrvelleWidget& widget, const std::string& path) {
    const QImage frame = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(frame.width()) * frame.height());
    for (int y = 0; y < frame.height(); ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(frame.constScanLine(y));
        for (int x = 0; x < frame.width(); ++x)
            pixels[static_cast<std::size_t>(y) * frame.width() + x] = row[x] & 0xFFFFFFu;
    }
    return ov::gdi::WritePng(path, frame.width(), frame.height(), pixels.data());
}

int RunLive(const RunArguments& run) {
    ov::forms::FormDocument document;
    try {
        document = ov::forms::LoadFormFile(run.form_path);
    } catch (const ov::forms::FormError& error) {
        std::cerr << "orvelle run: " << ov::codepage::Windows1252ToUtf8(error.what()) << " (error " << error.number()
                  << ")\n";
        return 1;
    }
    // One frame needs no display: the offscreen platform draws it, unless the caller chose one.
    if (!run.screenshot_path.empty() && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (const std::string missing = MissingDisplay(); !missing.empty()) {
        std::cerr << "orvelle run: no display to open a window on (" << missing
                  << "); run it inside a desktop session, or write one frame with --screenshot OUT.png\n";
        return 1;
    }
    // Whatever else the window system cannot do ends the command with its message, not an abort.
    g_qt_message_handler = qInstallMessageHandler(ExitOnFatalMessage);
    int argc = 1;
    char program[] = "orvelle";
    char* argv[] = {program, nullptr};
    QApplication application(argc, argv);

    ov::shell::Utf8OutputBuffer utf8_buffer(std::cout.rdbuf());
    std::ostream out(&utf8_buffer);
    ov::qt::OrvelleWidget widget(ov::library::Classes());
    widget.SetClassicColours(run.classic_colours);
    QObject::connect(&widget, &ov::qt::OrvelleWidget::controlEvent,
                     [&out](const QString& object, const QString& event, ov::qt::EventArguments& args) {
                         out << ov::shell::FormatEventLine(LibraryText(object), LibraryText(event), args.values())
                             << std::endl;
                     });
    QObject::connect(&widget, &ov::qt::OrvelleWidget::propertyChanged,
                     [&out](const QString& object, const QString& property) {
                         out << ov::shell::FormatChangedLine(LibraryText(object), LibraryText(property)) << std::endl;
                     });
    QObject::connect(&widget, &ov::qt::OrvelleWidget::formOperation, [&out](const QString& operation) {
        out << ov::shell::FormatFormLine(LibraryText(operation)) << std::endl;
    });

    std::vector<ov::forms::LoadProblem> problems;
    try {
        problems = widget.LoadForm(document);
    } catch (const ov::AutomationError& error) {
        std::cerr << "orvelle run: " << run.form_path << ": error " << error.number() << ": "
                  << ov::codepage::Windows1252ToUtf8(error.description()) << "\n";
        return 1;
    }
    ov::cli::PrintLoadProblems(std::cerr, "run", run.form_path, problems);
    if (!run.screenshot_path.empty()) {
        if (!WriteFrame(widget, run.screenshot_path)) {
            std::cerr << "orvelle run: " << run.screenshot_path << ": cannot write the image\n";
            return 1;
        }
        return problems.empty() ? 0 : 1;
    }
    widget.show();
    const int status = application.exec();
    return status != 0 || !problems.empty() ? 1 : 0;
}

#endif

int RunRun(const std::vector<std::string>& args) {
    RunArguments run;
    if (!ParseRunArguments(args, run)) {
        std::cerr << "usage: orvelle run [--classic-colours] [--screenshot OUT.png] FORM\n";
        return 2;
    }
#ifdef ORVELLE_HAVE_LIVE_HOST
    return RunLive(run);
#else
    std::cerr << "orvelle run: this orvelle was built without the live host (Qt 6 Widgets was not found when it "
                 "was configured); install qt6-base-dev and build again\n";
    return 1;
#endif
}

const ov::cli::CommandRegistration kRun({
    "run",
    "orvelle run [--classic-colours] [--screenshot OUT.png] FORM",
    "open a form file in a window with every control live and print its events",
    RunRun,
});

}  // namespace
