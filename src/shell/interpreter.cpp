#include "shell/interpreter.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <functional>
#include <filesystem>
#include <new>

#include <nlohmann/json.hpp>

#include "host/contract/font_attributes.h"
#include "host/contract/text_box.h"
#include "host/reference/bag_file.h"
#include "host/reference/text_input.h"
#include "platform/codepage/windows1252.h"
#include "platform/files/read_file.h"
#include "platform/files/replace_file.h"
#include "platform/gdi/screen.h"
#include "platform/limits.h"
#include "platform/picture/picture.h"
#include "platform/runtime/automation_error.h"
#include "shell/parser.h"
#include "shell/printer.h"

namespace ov::shell {

namespace {

AutomationError FileNotFound() { return AutomationError(error::kFileNotFound); }
AutomationError FileAccessError() { return AutomationError(error::kPathFileAccessError); }

bool IsFormName(std::string_view name) { return EqualsIgnoreCase(name, "form"); }

// Names are case-insensitive, as in the language.
std::string FoldedName(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) c = AsciiLower(c);
    return folded;
}

// A file name from a statement is library text; the file system names files in UTF-8.
std::string FileSystemPath(const std::string& name) { return codepage::Windows1252ToUtf8(name); }

// A missing file is "File not found"; one that is there and cannot be read (a folder
// included) is a path/file access error. Pipes are read like files.
std::string ReadBagFile(const std::string& path) {
    files::FileContents file = files::ReadWholeFile(path, files::ReadOptions{.read_streams = true});
    if (file.error == files::ReadError::NotFound) throw FileNotFound();
    if (!file.ok()) throw FileAccessError();
    return std::move(file.bytes);
}

void WriteWholeFile(const std::string& path, const std::string& text) {
    if (!files::ReplaceFile(path, text)) throw FileAccessError();
}

std::string DirectoryOf(const std::string& path) { return std::filesystem::path(path).parent_path().string(); }

// Twips and milliseconds arrive as any numeric value; the host takes doubles.
double Number(const Variant& value) { return CDbl(value); }

}  // namespace

Interpreter::Interpreter(host::ReferenceHost& host, std::ostream& out)
    : host_(host), utf8_out_(out.rdbuf()), out_(&utf8_out_) {
    host::HostListener listener;
    listener.on_event = [this](const std::string& object, const std::string& event, const std::vector<Variant>& args) {
        out_ << FormatEventLine(object, event, args) << "\n";
    };
    listener.on_changed = [this](const std::string& object, const std::string& property) {
        out_ << FormatChangedLine(object, property) << "\n";
    };
    listener.on_lifecycle_error = [this](const std::string& object, const std::string& step, const std::string& key,
                                         const AutomationError& error) {
        // A key the handler skipped, or (no key) a step of showing a new control that failed.
        out_ << "skipped " << object << (key.empty() ? "" : ".") << key << " in " << step << ": error "
             << error.number() << ": " << error.description() << "\n";
    };
    listener.on_form_operation = [this](const std::string& operation) { out_ << FormatFormLine(operation) << "\n"; };
    host_.SetListener(std::move(listener));
    previous_area_observer_ =
        notifyarea::SetCallObserver([this](const notifyarea::AreaCall& call) { PrintAreaCall(call); });
}

Interpreter::~Interpreter() {
    notifyarea::SetCallObserver(std::move(previous_area_observer_));
    host_.SetListener({});
}

void Interpreter::PrintAreaCall(const notifyarea::AreaCall& call) {
    using Kind = notifyarea::AreaCall::Kind;
    switch (call.kind) {
        case Kind::NotifyIcon: {
            static constexpr const char* kMessages[] = {"add", "modify", "delete"};
            const notifyarea::NotifyIconDataA& r = call.record;
            out_ << "tray ";
            if (call.message < std::size(kMessages)) out_ << kMessages[call.message];
            else out_ << call.message;
            out_ << " flags=" << r.flags << " id=" << r.id << " callback=" << r.callback_message << " icon=" << r.icon
                 << " tip=" << QuoteString(notifyarea::TextField(r.tip))
                 << " info=" << QuoteString(notifyarea::TextField(r.info))
                 << " title=" << QuoteString(notifyarea::TextField(r.info_title)) << " infoflags=" << r.info_flags
                 << " timeout=" << r.timeout_or_version << "\n";
            return;
        }
        case Kind::SetForegroundWindow: out_ << "window foreground " << call.window << "\n"; return;
        case Kind::SetActiveWindow: out_ << "window active " << call.window << "\n"; return;
        case Kind::GetCursorPos: out_ << "cursor " << call.cursor.x << " " << call.cursor.y << "\n"; return;
    }
}

namespace {

enum class LineRead { Line, TooLong, End };

// One line without its newline, holding at most `limit` bytes: a longer line is read to its
// end but not kept, so a line of any length costs no more memory than the limit.
LineRead ReadBoundedLine(std::istream& in, std::string& line, std::size_t limit) {
    line.clear();
    std::streambuf* buffer = in.rdbuf();
    if (!buffer || !in.good()) return LineRead::End;
    bool any = false, too_long = false;
    for (;;) {
        const int c = buffer->sbumpc();
        if (c == std::char_traits<char>::eof()) {
            in.setstate(std::ios::eofbit);
            if (!any) return LineRead::End;
            break;
        }
        any = true;
        if (c == '\n') break;
        if (line.size() < limit) line.push_back(static_cast<char>(c));
        else too_long = true;
    }
    return too_long ? LineRead::TooLong : LineRead::Line;
}

// Reads a file descriptor, waiting for it through a callback that may do other work first.
class WaitingInput : public std::streambuf {
public:
    WaitingInput(int fd, std::function<void()> wait) : fd_(fd), wait_(std::move(wait)) {}

protected:
    int_type underflow() override {
        if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
        for (;;) {
            wait_();
            const ssize_t got = read(fd_, buffer_, sizeof buffer_);
            if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            if (got <= 0) return traits_type::eof();
            setg(buffer_, buffer_, buffer_ + got);
            return traits_type::to_int_type(*gptr());
        }
    }

private:
    int fd_;
    std::function<void()> wait_;
    char buffer_[4096];
};

}  // namespace

int Interpreter::RunInput(int input, std::ostream& err, ScriptMode mode) {
    // Events delivered while idle are shown at once, not with the next statement's output.
    WaitingInput buffer(input, [&] { host_.WaitForInput(input, -1, [&] { out_.flush(); }); });
    std::istream in(&buffer);
    return RunScript(in, err, mode);
}

int Interpreter::RunScript(std::istream& in, std::ostream& err, ScriptMode mode) {
    const bool interactive = mode == ScriptMode::Interactive;
    // A script stops at its first syntax error; someone typing is told and goes on.
    const auto syntax_error = [&](const SyntaxError& error) {
        out_.flush();
        err << codepage::Windows1252ToUtf8(error.Report()) << "\n";
        err.flush();
        return !interactive;
    };
    const auto prompt = [&] {
        if (!interactive) return;
        out_ << kPrompt;
        out_.flush();
    };
    std::string line;
    int line_number = 0;
    prompt();
    // One byte over the limit is kept so a carriage return before the newline is not counted.
    for (LineRead read; (read = ReadBoundedLine(in, line, limits::kMaxStatementBytes + 1)) != LineRead::End; prompt()) {
        ++line_number;
        if (read == LineRead::TooLong) {
            if (syntax_error(StatementTooLong(line_number))) return 2;
            continue;
        }
        std::optional<Statement> statement;
        try {
            statement = ParseStatement(codepage::Utf8ToWindows1252(line), line_number);
        } catch (const SyntaxError& error) {
            if (syntax_error(error)) return 2;
            continue;
        } catch (const std::bad_alloc&) {
            PrintError(error::kOutOfMemory, AutomationError::StandardDescription(error::kOutOfMemory));
        }
        if (statement) Execute(*statement);
        // Someone typing statements at the shell sees each answer before typing the next.
        out_.flush();
    }
    out_.flush();
    return 0;
}

void Interpreter::Execute(const Statement& statement) {
    try {
        std::visit([this](const auto& stmt) { Run(stmt); }, statement);
    } catch (const AutomationError& error) {
        PrintError(error.number(), error.description());
    } catch (const nlohmann::json::exception&) {
        // A bag file that is not valid JSON: the platform reports unreadable file contents as
        // a bad file format.
        PrintError(error::kInvalidFileFormat, AutomationError::StandardDescription(error::kInvalidFileFormat));
    } catch (const std::bad_alloc&) {
        PrintError(error::kOutOfMemory, AutomationError::StandardDescription(error::kOutOfMemory));
    } catch (const std::exception& error) {
        // A fault inside a control must not end the script silently: report it like the
        // runtime's internal error and go on, so the rest of the output still shows.
        PrintError(error::kInternalError, std::string("Internal error: ") + error.what());
    } catch (...) {
        PrintError(error::kInternalError, AutomationError::StandardDescription(error::kInternalError));
    }
}

void Interpreter::PrintError(std::int32_t number, const std::string& description) {
    out_ << "error " << number << ": " << description << "\n";
}

// --- value context -------------------------------------------------------------------------------

Variant Interpreter::ObjectNamed(const std::string& name) {
    if (IsFormName(name)) return Variant::FromObject(host_.form_object());
    if (auto object = host_.Find(name)) return Variant::FromObject(object);
    if (const auto variable = variables_.find(FoldedName(name)); variable != variables_.end()) return variable->second;
    throw AutomationError(error::kObjectRequired);
}

Variant Interpreter::LoadPicture(const std::string& path) {
    return Variant::FromObject(ov::LoadPicture(FileSystemPath(path)));
}

Variant Interpreter::MakeFont(const FontDesc& font) { return Variant::FromObject(StdFont::Create(font)); }

std::vector<Variant> Interpreter::EvalAll(const std::vector<ValueExpr>& exprs) {
    std::vector<Variant> values;
    values.reserve(exprs.size());
    for (const auto& expr : exprs) values.push_back(Eval(expr));
    return values;
}

host::Placement Interpreter::ToPlacement(const Placement& placement) {
    host::Placement at;
    if (placement.container && !IsFormName(*placement.container)) at.container = *placement.container;
    if (placement.position) {
        at.left = Number(Eval(placement.position->first));
        at.top = Number(Eval(placement.position->second));
    }
    if (placement.extent) {
        at.width = Number(Eval(placement.extent->first));
        at.height = Number(Eval(placement.extent->second));
    }
    return at;
}

// --- statements ----------------------------------------------------------------------------------

void Interpreter::Run(const HostStmt& stmt) {
    for (const auto& [key, expr] : stmt.settings) {
        const Variant value = Eval(expr);
        if (key == "UserMode") {
            host_.SetUserMode(CBool(value));
        } else if (key == "TwipsPerPixelX" || key == "TwipsPerPixelY") {
            const std::int16_t twips = CInt(value);
            if (twips <= 0) throw AutomationError(error::kInvalidProcedureCall);
            (key == "TwipsPerPixelX" ? gdi::Screen().twips_per_pixel_x : gdi::Screen().twips_per_pixel_y) = twips;
        } else if (key == "FontSmoothing") {
            gdi::Screen().font_smoothing = CBool(value);
        } else if (key == "Now") {
            host_.SetNow(CDate(value));
        } else {
            host::FontAttributes font = host_.AmbientFontAttributes();
            if (key == "FontName") font.name = CStr(value);
            else if (key == "FontSize") font.size = CDbl(value);
            else if (key == "FontBold") font.bold = CBool(value);
            host_.SetAmbientFont(font);
        }
    }
}

void Interpreter::Run(const SysColorStmt& stmt) {
    const std::int16_t index = CInt(Eval(stmt.index));
    const std::int32_t colour = CLng(Eval(stmt.colour));
    // A scheme entry is a plain RGB colour; it cannot name another system colour.
    if (index < 0 || index >= gdi::kSysColorCount || colour < 0) throw AutomationError(error::kInvalidProcedureCall);
    gdi::SetSysColorEntry(index, static_cast<gdi::COLORREF>(colour));
}

void Interpreter::Run(const NewStmt& stmt) { host_.New(stmt.name, stmt.class_name, ToPlacement(stmt.placement)); }

void Interpreter::Run(const LoadStmt& stmt) {
    const host::Placement at = ToPlacement(stmt.placement);
    const std::string path = FileSystemPath(stmt.bag_file);
    const host::PropertyBag bag = host::BagFromJsonText(ReadBagFile(path), DirectoryOf(path));
    host_.Load(stmt.name, stmt.class_name, bag, at);
}

void Interpreter::Run(const SaveStmt& stmt) {
    const host::PropertyBag bag = host_.Save(stmt.name);
    WriteWholeFile(FileSystemPath(stmt.bag_file), BagToJsonText(bag));
}

void Interpreter::Run(const BagStmt& stmt) {
    const host::PropertyBag bag = host_.Save(stmt.name);
    for (const auto& [key, value] : bag.entries()) out_ << key << " = " << FormatValue(value) << "\n";
}

void Interpreter::Run(const ResizeStmt& stmt) {
    const double width = Number(Eval(stmt.width));
    const double height = Number(Eval(stmt.height));
    host_.Resize(stmt.name, width, height);
}

void Interpreter::Run(const LifecycleStmt& stmt) {
    switch (stmt.action) {
        case LifecycleStmt::Action::Show: host_.Show(stmt.name); break;
        case LifecycleStmt::Action::Hide: host_.Hide(stmt.name); break;
        case LifecycleStmt::Action::Paint: host_.Paint(stmt.name); break;
        case LifecycleStmt::Action::Terminate: host_.Terminate(stmt.name); break;
    }
}

void Interpreter::Run(const PutStmt& stmt) {
    IDispatch& object = RequireObject(Eval(stmt.object));
    std::vector<Variant> args = EvalAll(stmt.args);
    Variant value = Eval(stmt.value);
    const std::int32_t dispid = object.GetIDOfName(stmt.member);
    if (dispid == kDispidUnknown) throw AutomationError(error::kObjectDoesntSupport);
    // An object value (Nothing included) is assigned by reference, as `Set` does.
    if (stmt.by_reference && !value.IsObject()) throw AutomationError(error::kObjectRequired);
    const InvokeKind kind = value.IsObject() ? InvokeKind::PropertyPutRef : InvokeKind::PropertyPut;
    args.push_back(std::move(value));
    object.Invoke(dispid, kind, args);
}

void Interpreter::Run(const CallStmt& stmt) {
    IDispatch& object = RequireObject(Eval(stmt.object));
    std::vector<Variant> args = EvalAll(stmt.args);
    const std::int32_t dispid = object.GetIDOfName(stmt.member);
    if (dispid == kDispidUnknown) throw AutomationError(error::kObjectDoesntSupport);
    object.Invoke(dispid, InvokeKind::Method, args);
}

void Interpreter::Run(const PrintStmt& stmt) { out_ << FormatValue(Eval(stmt.value)) << "\n"; }

void Interpreter::Run(const SetStmt& stmt) {
    if (IsFormName(stmt.name) || host_.Find(stmt.name))
        throw AutomationError(error::kInvalidProcedureCall, "Name '" + stmt.name + "' is already in use", "Shell");
    Variant value = Eval(stmt.value);
    if (!value.IsObject()) throw AutomationError(error::kObjectRequired);
    const std::string key = FoldedName(stmt.name);
    if (!value.object()) variables_.erase(key);
    else variables_[key] = std::move(value);
}

void Interpreter::Run(const FireStmt& stmt) {
    const auto changed = host_.Fire(stmt.name, stmt.target.Text(), stmt.event, EvalAll(stmt.args));
    for (const auto& argument : changed)
        out_ << "arg " << argument.name << " = " << FormatValue(argument.value) << "\n";
}

void Interpreter::Run(const OnStmt& stmt) {
    host_.SetEventHandler(stmt.name, stmt.event, stmt.arg_name, Eval(stmt.value));
}

void Interpreter::Run(const WaitStmt& stmt) {
    const double milliseconds = Number(Eval(stmt.milliseconds));
    if (!(milliseconds >= 0) || milliseconds > 1e15) throw AutomationError(error::kInvalidProcedureCall);
    host_.Wait(static_cast<std::int64_t>(std::llround(milliseconds)));
}

void Interpreter::Run(const InspectStmt& stmt) {
    const std::string target = stmt.target.Text();
    for (const auto& [property, value] : host_.Inspect(stmt.name, target))
        out_ << target << "." << property << " = " << FormatValue(value) << "\n";
}

void Interpreter::Run(const SnapStmt& stmt) {
    const std::string name = IsFormName(stmt.name) ? "form" : stmt.name;
    if (!IsFormName(name) && !host_.Find(name)) throw AutomationError(error::kObjectRequired);
    if (!host_.Snap(name, FileSystemPath(stmt.file))) throw FileAccessError();
}

void Interpreter::Run(const PixelStmt& stmt) {
    const std::int32_t x = CLng(Eval(stmt.x));
    const std::int32_t y = CLng(Eval(stmt.y));
    const std::string name = IsFormName(stmt.name) ? "form" : stmt.name;
    const gdi::COLORREF colour = host_.PixelAt(name, x, y);
    if (colour == gdi::CLR_INVALID) throw AutomationError(error::kInvalidProcedureCall);
    out_ << FormatRgb(colour) << "\n";
}

void Interpreter::Run(const TextInputStmt& stmt) {
    using Action = TextInputStmt::Action;
    switch (stmt.action) {
        case Action::Focus: host::FocusTextBox(host_, stmt.name); break;
        case Action::Blur: host::BlurTextBox(host_, stmt.name); break;
        case Action::Type: host::TypeIntoTextBox(host_, stmt.name, stmt.text); break;
        case Action::Key:
            host::PressKeyInTextBox(host_, stmt.name, stmt.key.key_code, stmt.key.shift, stmt.key.ascii);
            break;
        case Action::Select: {
            const std::int32_t start = CLng(Eval(*stmt.start));
            const std::int32_t length = CLng(Eval(*stmt.length));
            // A drag selects from the text's start: negative values clamp to nothing.
            host::TextBoxOf(host_, stmt.name).DragSelect(std::max(0, start), std::max(0, length));
            break;
        }
        case Action::Paste: host::TextBoxOf(host_, stmt.name).MenuPaste(stmt.text); break;
        case Action::Click:
        case Action::DoubleClick:
        case Action::Drag: {
            std::vector<float> at;
            for (const ValueExpr& point : stmt.points) at.push_back(CSng(Eval(point)));
            if (stmt.action == Action::Click)
                host::ClickTextBox(host_, stmt.name, at[0], at[1], stmt.shift ? std::int16_t{1} : std::int16_t{0});
            else if (stmt.action == Action::DoubleClick) host::DoubleClickTextBox(host_, stmt.name, at[0], at[1]);
            else host::DragInTextBox(host_, stmt.name, at[0], at[1], at[2], at[3]);
            break;
        }
    }
}

}  // namespace ov::shell
