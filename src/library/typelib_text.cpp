#include "library/typelib_text.h"

#include <set>
#include <sstream>

#include "library/classes.h"
#include "platform/picture/picture.h"
#include "platform/picture/std_font.h"
#include "platform/picturebox/picture_box_object.h"

namespace ov::library {

namespace {

std::string Params(const std::vector<ParamDesc>& params) {
    std::string text;
    for (std::size_t i = 0; i < params.size(); ++i) {
        const ParamDesc& p = params[i];
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

std::string MemberLine(const MemberDesc& m) {
    std::ostringstream line;
    if (m.kind == MemberKind::Method) {
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
    if (m.hidden) line << " hidden";
    if (!m.help.empty()) line << " " << Quoted(m.help);
    return line.str();
}

std::string EventLine(const EventDesc& e) {
    std::ostringstream line;
    line << "event " << e.name << "(" << Params(e.params) << ") id " << e.dispid;
    if (!e.help.empty()) line << " " << Quoted(e.help);
    return line.str();
}

namespace {

// The interface of one class, and its events when it is a control.
void WriteInterfaces(std::ostringstream& out, const ClassInfo& info) {
    out << "  interface " << info.InterfaceName() << " (default)\n";
    for (const MemberDesc& m : info.members) out << "    " << MemberLine(m) << "\n";
    if (info.is_control) {
        out << "  event interface " << info.EventInterfaceName() << "\n";
        if (info.events.empty()) out << "    (no events)\n";
        for (const EventDesc& e : info.events) out << "    " << EventLine(e) << "\n";
    }
}

}  // namespace

const std::vector<const ClassInfo*>& PlatformObjects() {
    static const std::vector<const ClassInfo*> objects = {&Picture::StaticInfo(), &StdFont::StaticInfo(),
                                                          &PictureBoxObject::StaticInfo()};
    return objects;
}

std::string TypeLibraryText(const host::ClassRegistry& registry) {
    std::ostringstream out;
    out << "library " << kLibraryName << "\n";
    std::set<std::string> enums_seen;
    std::ostringstream enums;
    for (const host::ClassEntry& entry : registry.entries()) {
        if (!InTypeLibrary(entry) || !entry.info) continue;
        const ClassInfo& info = *entry.info;
        out << "\nclass " << info.name << " progid " << entry.prog_id << " clsid " << entry.class_id
            << (info.is_control ? " control" : "") << "\n";
        if (!info.help.empty()) out << "  help " << Quoted(info.help) << "\n";
        WriteInterfaces(out, info);
        // Enumerations shared by several classes (the gradient ones) are listed once.
        for (const EnumDesc& e : info.enums) {
            if (!enums_seen.insert(e.name).second) continue;
            enums << "\nenum " << e.name << "\n";
            for (const auto& [name, value] : e.values) enums << "  " << name << " = " << value << "\n";
        }
    }
    // The platform's own objects the classes take and return (pictures, fonts, the picture
    // boxes they draw on): not creatable from the library, but callable by the same names.
    for (const ClassInfo* info : PlatformObjects()) {
        out << "\nobject " << info->name << "\n";
        WriteInterfaces(out, *info);
    }
    out << enums.str();
    return out.str();
}

}  // namespace ov::library
