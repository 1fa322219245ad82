#pragma once
// Carries shell statements out on a reference host and writes their output: values, `event`
// and `changed` lines as the controls raise them, `skipped` lines for persisted keys a control's
// lifecycle handler could not read or write, `error` lines for failed statements. The
// interpreter reaches controls only through the host's API and their late-bound interfaces.
//
// Scripts are UTF-8 and so is everything written to `out` and `err`; inside, text is
// Windows-1252 like all of the library's text, and file names go back to UTF-8 when a file is
// opened.
#include <istream>
#include <ostream>
#include <string>
#include <unordered_map>

#include "host/reference/reference_host.h"
#include "platform/notifyarea/notification_area.h"
#include "shell/evaluator.h"
#include "shell/syntax.h"
#include "shell/utf8_output.h"

namespace ov::shell {

class Interpreter : private ValueContext {
public:
    // Installs itself as the host's listener; `out` receives every output line.
    // Also prints the notification area's calls: `tray ...`, `window foreground|active HWND`,
    // `cursor X Y`, and the form's window operations: `form show|hide|state N`.
    Interpreter(host::ReferenceHost& host, std::ostream& out);
    ~Interpreter();
    Interpreter(const Interpreter&) = delete;
    Interpreter& operator=(const Interpreter&) = delete;

    // Runs one statement. Automation errors (and failures to read or write files) are printed
    // as `error NUMBER: DESCRIPTION` and do not stop a script; a failed allocation is error 7,
    // any other exception error 51.
    void Execute(const Statement& statement);

    // Reads statements one per line and runs each as soon as it is parsed. A malformed line
    // stops the script: `syntax error at line N: ...` goes to `err` and the result is 2; so
    // does a line longer than ov::limits::kMaxStatementBytes, which is not kept in memory.
    // Otherwise the result is 0: no failure of a statement, whatever it throws, ends the run.
    // Interactive (someone typing at a terminal): kPrompt is written before each line, and a
    // syntax error is reported the same way but the session goes on.
    enum class ScriptMode { Script, Interactive };
    static constexpr const char* kPrompt = "> ";
    int RunScript(std::istream& in, std::ostream& err, ScriptMode mode = ScriptMode::Script);
    // As RunScript, reading the file descriptor `input` (standard input at a prompt or from a
    // pipe). While no statement has arrived the host's message loop runs, so the tray icon
    // answers the desktop and its events are printed as they come.
    int RunInput(int input, std::ostream& err, ScriptMode mode = ScriptMode::Script);

private:
    // ValueContext
    Variant ObjectNamed(const std::string& name) override;
    Variant LoadPicture(const std::string& path) override;
    Variant MakeFont(const FontDesc& attributes) override;

    Variant Eval(const ValueExpr& expr) { return Evaluate(expr, *this); }
    std::vector<Variant> EvalAll(const std::vector<ValueExpr>& exprs);
    host::Placement ToPlacement(const Placement& placement);
    void PrintError(std::int32_t number, const std::string& description);
    void PrintAreaCall(const notifyarea::AreaCall& call);

    void Run(const HostStmt& stmt);
    void Run(const SysColorStmt& stmt);
    void Run(const NewStmt& stmt);
    void Run(const LoadStmt& stmt);
    void Run(const SaveStmt& stmt);
    void Run(const BagStmt& stmt);
    void Run(const ResizeStmt& stmt);
    void Run(const LifecycleStmt& stmt);
    void Run(const PutStmt& stmt);
    void Run(const CallStmt& stmt);
    void Run(const PrintStmt& stmt);
    void Run(const SetStmt& stmt);
    void Run(const FireStmt& stmt);
    void Run(const OnStmt& stmt);
    void Run(const WaitStmt& stmt);
    void Run(const InspectStmt& stmt);
    void Run(const SnapStmt& stmt);
    void Run(const PixelStmt& stmt);
    void Run(const TextInputStmt& stmt);

    host::ReferenceHost& host_;
    Utf8OutputBuffer utf8_out_;
    std::ostream out_;  // writes through utf8_out_
    notifyarea::CallObserver previous_area_observer_;
    std::unordered_map<std::string, Variant> variables_;  // `Set NAME = ...`, by folded name
};

}  // namespace ov::shell
