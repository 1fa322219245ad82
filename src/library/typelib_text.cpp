#include "library/typelib_text.h"

#include <set>
#include <sstream>

#include "library/classes.h"

namespace ov::library {

namespace {

std::string Params(const std::vector<host::ParamDesc>& params) {
    std::string text;
    for (std::size_t i = 0; i < params.size(); ++i) {
        const host::ParamDesc& p = params[i];
        if (i) text += ", ";
        if (p.optional) text += "Optional ";
        text += p.by_ref ? "ByRef " : "ByVal ";
        text += p.name + " As " + p.type.name;
    }
    return text;
}

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + "\"";
}

}  // namespace

std::string MemberLine(const host::MemberDesc& m) {
    std::ostringstream line;
    if (m.kind == host::MemberKind::Method) {
        line << "method " << m.name << "(" << Params(m.params) << ")";
        if (!m.type.IsVoid()) line << " As " << m.type.name;
    } else {
        line << "property " << m.name;
        if (!m.params.empty()) line << "(" << Params(m.params) << ")";
        line << " As " << m.type.name << " [";
        std::string access;
        if (m.CanGet()) access += "get";
        if (m.CanPut()) access += std::string(access.empty() ? "" : ", ") + (m.put_value_by_ref ? "put ByRef" : "put");
        if (m.CanPutRef()) access += std::string(access.empty() ? "" : ", ") + "putref";
        line << access << "]";
    }
    line << " id " << m.dispid;
    if (!m.help.empty()) line << " " << Quoted(m.help);
    return line.str();
}

std::string EventLine(const host::EventDesc& e) {
    std::ostringstream line;
    line << "event " << e.name << "(" << Params(e.params) << ") id " << e.dispid;
    if (!e.help.empty()) line << " " << Quoted(e.help);
    return line.str();
}

std::string TypeLibraryText(const host::ClassRegistry& registry) {
    std::ostringstream out;
    out << "library " << kTypeLibraryName << "\n";
    std::set<std::string> enums_seen;
    std::ostringstream enums;
    for (const host::ClassEntry& entry : registry.entries()) {
        if (!InTypeLibrary(entry) || !entry.info) continue;
        const host::ClassInfo& info = *entry.info;
        out << "\nclass " << info.name << " progid " << entry.prog_id << " clsid " << entry.class_id
            << (info.is_control ? " control" : "") << "\n";
        if (!info.help.empty()) out << "  help " << Quoted(info.help) << "\n";
        out << "  interface " << info.InterfaceName() << " (default)\n";
        for (const host::MemberDesc& m : info.members) out << "    " << MemberLine(m) << "\n";
        if (info.is_control) {
            out << "  event interface " << info.EventInterfaceName() << "\n";
            if (info.events.empty()) out << "    (no events)\n";
            for (const host::EventDesc& e : info.events) out << "    " << EventLine(e) << "\n";
        }
        // Enumerations shared by several classes (the gradient ones) are listed once.
        for (const host::EnumDesc& e : info.enums) {
            if (!enums_seen.insert(e.name).second) continue;
            enums << "\nenum " << e.name << "\n";
            for (const auto& [name, value] : e.values) enums << "  " << name << " = " << value << "\n";
        }
    }
    out << enums.str();
    return out.str();
}

}  // namespace ov::library
