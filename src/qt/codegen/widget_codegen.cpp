// Writes the Qt classes of the library's controls and objects from their member tables:
//
//   widget_codegen HEADER SOURCE
//
// HEADER (<orvelle/qt/controls.h>) declares one class per class of the type library in
// namespace ov::qt, named as the class: every property of its default interface a Q_PROPERTY
// of the same name (READ as the name, WRITE as "set" + the name, RESET when the table states a
// default, NOTIFY when a put notifies, DESIGNABLE when persisted, writable and not hidden (a
// form designer offers what a saved form keeps), STORED when persisted), every enumeration a
// Q_ENUM with the type library's value names, every event a signal of the event's name whose
// by-reference arguments a directly connected slot may change, every method a Q_INVOKABLE.
// SOURCE holds their bodies, which reach the control
// through ControlWidget's members by dispatch id. Nothing here is written by hand per class:
// a property declared once in its table appears in the widget as it does everywhere else.
#include <algorithm>
#include <cctype>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "library/classes.h"
#include "library/widget_names.h"
#include "platform/runtime/compare.h"
#include "platform/runtime/type_info.h"

namespace {

using namespace ov;

// Setters of QWidget and QObject whose names a property's writer may take: the generated class
// brings the base overloads back into scope (a writer of the same parameters replaces the
// base's, which then stays reachable as QWidget::setX).
const std::set<std::string> kBaseSetters = {
    "setAcceptDrops", "setAccessibleDescription", "setAccessibleName", "setAutoFillBackground", "setBackgroundRole",
    "setBaseSize", "setContentsMargins", "setContextMenuPolicy", "setCursor", "setDisabled", "setEnabled", "setFixedHeight",
    "setFixedSize", "setFixedWidth", "setFocus", "setFocusPolicy", "setFocusProxy", "setFont", "setForegroundRole",
    "setGeometry", "setHidden", "setLayout", "setLayoutDirection", "setLocale", "setMask", "setMaximumHeight",
    "setMaximumSize", "setMaximumWidth", "setMinimumHeight", "setMinimumSize", "setMinimumWidth", "setMouseTracking",
    "setObjectName", "setPalette", "setParent", "setProperty", "setShortcutEnabled", "setSizeIncrement", "setSizePolicy",
    "setStatusTip", "setStyle", "setStyleSheet", "setToolTip", "setToolTipDuration", "setUpdatesEnabled", "setVisible",
    "setWhatsThis", "setWindowFilePath", "setWindowFlags", "setWindowIcon", "setWindowModified", "setWindowOpacity",
    "setWindowRole", "setWindowState", "setWindowTitle"};

// How a declared type looks in Qt.
struct QtType {
    std::string name;       // "QString", "gpStyle", "int"
    bool by_value = true;   // passed by value (scalars, enums) rather than by const reference
    std::string from_qvariant;  // expression turning the QVariant at @ into the type
};

// Documentation text as a one-line comment: no line breaks, no trailing backslash.
std::string Comment(std::string text) {
    for (char& ch : text)
        if (ch == '\n' || ch == '\r' || ch == '\\') ch = ' ';
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

// An enumeration key as a C++ identifier (library/widget_names.h).
std::string IdentifierOf(const std::string& name) { return library::WidgetEnumKey(name); }

class ClassWriter {
public:
    explicit ClassWriter(const ClassInfo& info, bool is_control) : info_(info), is_control_(is_control) {
        for (const EnumDesc& e : info.enums) declared_enums_.insert(e.name);
    }

    QtType TypeOf(const TypeDesc& type) const {
        switch (type.kind) {
            case TypeDesc::Kind::Void: return {"void", true, ""};
            case TypeDesc::Kind::Color: return {"QColor", false, "@.value<QColor>()"};
            case TypeDesc::Kind::Enum:
                if (declared_enums_.count(type.name)) return {type.name, true, "static_cast<" + type.name + ">(@.toInt())"};
                return {"int", true, "@.toInt()"};
            case TypeDesc::Kind::Variant: return {"QVariant", false, "@"};
            case TypeDesc::Kind::Object:
                if (library::IsFontType(type)) return {"QFont", false, "@.value<QFont>()"};
                if (library::IsPictureType(type)) return {"QPixmap", false, "@.value<QPixmap>()"};
                return {"ov::qt::LateBound", false, "@.value<ov::qt::LateBound>()"};
            case TypeDesc::Kind::Value: break;
        }
        switch (type.var) {
            case VarType::Boolean: return {"bool", true, "@.toBool()"};
            case VarType::Byte:
            case VarType::Integer:
            case VarType::Long: return {"int", true, "@.toInt()"};
            case VarType::Single:
            case VarType::Double:
            case VarType::Date: return {"double", true, "@.toDouble()"};
            case VarType::String: return {"QString", false, "@.toString()"};
            default: return {"QVariant", false, "@"};
        }
    }

    static std::string Param(const QtType& type, const std::string& name) {
        return (type.by_value ? type.name + " " : "const " + type.name + "& ") + name;
    }
    static std::string Convert(const QtType& type, const std::string& expression) {
        std::string result = type.from_qvariant;
        const std::size_t at = result.find('@');
        return at == std::string::npos ? result : result.replace(at, 1, "(" + expression + ")");
    }

    // A return type outside the class's scope: its own enumerations qualified.
    std::string Returned(const QtType& type) const {
        return declared_enums_.count(type.name) ? info_.name + "::" + type.name : type.name;
    }

    std::string Base() const { return is_control_ ? "ov::qt::ControlWidget" : "ov::qt::AutomationObjectBase"; }

    void CheckNames() const {
        // Enumeration keys live in the class's scope beside its members.
        std::set<std::string> names;
        for (const MemberDesc& m : info_.members) names.insert(m.name);
        for (const EventDesc& e : info_.events) names.insert(e.name);
        for (const EnumDesc& e : info_.enums)
            for (const auto& [name, value] : e.values)
                if (const std::string key = IdentifierOf(name); names.count(key))
                    throw std::runtime_error(info_.name + ": enumeration key " + key + " meets a member of that name");
    }

    // A method of a non-visual class taking one object to draw on: it draws on a Qt paint device.
    bool IsSurfaceMethod(const MemberDesc& m) const {
        return !is_control_ && m.kind == MemberKind::Method && m.params.size() == 1 &&
               m.params[0].type.kind == TypeDesc::Kind::Object && !library::IsFontType(m.params[0].type) && !library::IsPictureType(m.params[0].type);
    }

    void WriteDeclaration(std::ostream& h) const {
        CheckNames();
        h << "// " << Comment(info_.help.empty() ? info_.name : info_.help) << "\n";
        h << "class " << info_.name << " : public " << Base() << " {\n    Q_OBJECT\n";
        for (const MemberDesc& m : info_.members) {
            if (m.kind != MemberKind::Property || !m.CanGet()) continue;
            const QtType t = TypeOf(m.type);
            h << "    Q_PROPERTY(" << t.name << " " << m.name << " READ " << m.name;
            if (m.Writable()) h << " WRITE set" << m.name;
            if (m.Writable() && m.default_value) h << " RESET reset" << m.name;
            if (m.notification) h << " NOTIFY " << m.name << "Changed";
            h << " DESIGNABLE " << (!m.hidden && m.Writable() && m.persist ? "true" : "false");
            h << " STORED " << (m.persist ? "true" : "false") << ")\n";
        }
        h << "\npublic:\n";
        // An enumeration whose keys meet those of an earlier one of the class is scoped, so both
        // keep the type library's names.
        const std::set<std::string> scoped = library::ScopedWidgetEnums(info_);
        for (const EnumDesc& e : info_.enums) {
            h << "    enum " << (scoped.count(e.name) ? "class " : "") << e.name << " {";
            for (std::size_t i = 0; i < e.values.size(); ++i)
                h << (i ? ", " : " ") << IdentifierOf(e.values[i].first) << " = " << e.values[i].second;
            h << " };\n    Q_ENUM(" << e.name << ")\n";
        }
        h << "\n    explicit " << info_.name << "(" << (is_control_ ? "QWidget" : "QObject") << "* parent = nullptr);\n";
        h << "    ~" << info_.name << "() override;\n\n";
        std::set<std::string> usings;
        for (const MemberDesc& m : info_.members) {
            if (m.kind == MemberKind::Property) WritePropertyDeclaration(h, m, usings);
            else WriteMethodDeclaration(h, m);
        }
        for (const std::string& name : usings) h << "    using QWidget::" << name << ";\n";
        h << "\nsignals:\n";
        for (const MemberDesc& m : info_.members)
            if (m.kind == MemberKind::Property && m.notification && m.CanGet()) h << "    void " << m.name << "Changed();\n";
        for (const EventDesc& e : info_.events) {
            if (!e.help.empty()) h << "    // " << Comment(e.help) << "\n";
            h << "    void " << e.name << "(" << EventParams(e) << ");\n";
        }
        if (is_control_) {
            h << "\nprotected:\n";
            h << "    void raiseEvent(ov::qt::EventArguments& arguments) override;\n";
            h << "    void announceChange(const QString& notification) override;\n";
        }
        h << "};\n\n";
    }

    void WritePropertyDeclaration(std::ostream& h, const MemberDesc& m, std::set<std::string>& usings) const {
        const QtType t = TypeOf(m.type);
        if (!m.help.empty()) h << "    // " << Comment(m.help) << "\n";
        const std::string index = IndexParams(m, true);
        const std::string invokable = m.params.empty() ? "" : "Q_INVOKABLE ";
        if (m.CanGet()) h << "    " << invokable << t.name << " " << m.name << "(" << index << ") const;\n";
        if (m.Writable()) {
            const std::string setter = "set" + m.name;
            h << "    " << invokable << "void " << setter << "(" << Param(t, "value") << (index.empty() ? "" : ", " + index)
              << ");\n";
            if (m.default_value) h << "    void reset" << m.name << "();\n";
            if (is_control_ && kBaseSetters.count(setter)) usings.insert(setter);
        }
    }

    std::string IndexParams(const MemberDesc& m, bool with_defaults) const {
        std::string out;
        for (std::size_t i = 0; i < m.params.size(); ++i) {
            const ParamDesc& p = m.params[i];
            if (i) out += ", ";
            // An optional argument is a QVariant: an invalid one is an argument not given.
            if (p.optional) out += "const QVariant& " + p.name + (with_defaults ? " = QVariant()" : "");
            else out += Param(TypeOf(p.type), p.name);
        }
        return out;
    }

    std::string EventParams(const EventDesc& e) const {
        std::string out;
        for (std::size_t i = 0; i < e.params.size(); ++i) {
            const QtType t = TypeOf(e.params[i].type);
            if (i) out += ", ";
            out += e.params[i].by_ref ? t.name + "& " + e.params[i].name : Param(t, e.params[i].name);
        }
        return out;
    }

    void WriteMethodDeclaration(std::ostream& h, const MemberDesc& m) const {
        if (!m.help.empty()) h << "    // " << Comment(m.help) << "\n";
        if (IsSurfaceMethod(m)) {
            h << "    Q_INVOKABLE " << TypeOf(m.type).name << " " << m.name << "(QPaintDevice* " << m.params[0].name
              << ");\n";
            return;
        }
        h << "    Q_INVOKABLE " << TypeOf(m.type).name << " " << m.name << "(" << IndexParams(m, true) << ");\n";
    }

    static std::string ArgumentList(const MemberDesc& m) {
        std::string out = "QVariantList{";
        for (std::size_t i = 0; i < m.params.size(); ++i)
            out += (i ? ", " : "") + std::string("QVariant::fromValue(") + m.params[i].name + ")";
        return out + "}";
    }

    void WriteDefinitions(std::ostream& c) const {
        const std::string& n = info_.name;
        c << n << "::" << n << "(" << (is_control_ ? "QWidget" : "QObject") << "* parent) : " << Base() << "(\"" << n
          << "\", parent) {}\n";
        c << n << "::~" << n << "() = default;\n\n";
        for (const MemberDesc& m : info_.members) {
            const QtType t = TypeOf(m.type);
            if (m.kind == MemberKind::Property) {
                const std::string index = m.params.empty() ? "" : ", " + ArgumentList(m);
                if (m.CanGet())
                    c << Returned(t) << " " << n << "::" << m.name << "(" << IndexParams(m, false) << ") const { return "
                      << Convert(t, "readMember(" + std::to_string(m.dispid) + index + ")") << "; }\n";
                if (m.Writable()) {
                    c << "void " << n << "::set" << m.name << "(" << Param(t, "value")
                      << (m.params.empty() ? "" : ", " + IndexParams(m, false)) << ") { writeMember(" << m.dispid
                      << ", QVariant::fromValue(value)" << index << "); }\n";
                    if (m.default_value)
                        c << "void " << n << "::reset" << m.name << "() { resetMember(" << m.dispid << "); }\n";
                }
            } else if (IsSurfaceMethod(m)) {
                c << Returned(t) << " " << n << "::" << m.name << "(QPaintDevice* " << m.params[0].name << ") { return drawOn("
                  << m.dispid << ", " << m.params[0].name << "); }\n";
            } else {
                c << Returned(t) << " " << n << "::" << m.name << "(" << IndexParams(m, false) << ") {\n";
                c << "    QVariantList arguments = " << ArgumentList(m) << ";\n";
                if (t.name == "void") c << "    callMember(" << m.dispid << ", arguments);\n";
                else c << "    return " << Convert(t, "callMember(" + std::to_string(m.dispid) + ", arguments)") << ";\n";
                c << "}\n";
            }
        }
        if (!is_control_) return;
        c << "\nvoid " << n << "::raiseEvent(ov::qt::EventArguments& arguments) {\n";
        c << "    switch (arguments.event().dispid) {\n";
        for (const EventDesc& e : info_.events) {
            c << "        case " << e.dispid << ": {\n";
            std::string call;
            for (std::size_t i = 0; i < e.params.size(); ++i) {
                const QtType t = TypeOf(e.params[i].type);
                const std::string local = "a" + std::to_string(i);
                c << "            " << t.name << " " << local << " = "
                  << Convert(t, "eventArgument(arguments, " + std::to_string(i) + ")") << ";\n";
                call += (i ? ", " : "") + local;
            }
            c << "            emit " << e.name << "(" << call << ");\n";
            for (std::size_t i = 0; i < e.params.size(); ++i)
                if (e.params[i].by_ref)
                    c << "            setEventArgument(arguments, " << i << ", QVariant::fromValue(a" << i << "));\n";
            c << "            break;\n        }\n";
        }
        c << "        default: break;\n    }\n}\n\n";
        c << "void " << n << "::announceChange(const QString& notification) {\n";
        for (const MemberDesc& m : info_.members)
            if (m.kind == MemberKind::Property && m.notification && m.CanGet())
                c << "    if (notification.compare(QLatin1String(\"" << *m.notification
                  << "\"), Qt::CaseInsensitive) == 0) emit " << m.name << "Changed();\n";
        c << "}\n\n";
    }

private:
    const ClassInfo& info_;
    bool is_control_;
    std::set<std::string> declared_enums_;
};

int Generate(const std::string& header_path, const std::string& source_path) {
    std::ostringstream h, c;
    h << "#pragma once\n"
         "// The library's controls as Qt widgets, and its gradient renderer as a QObject. Generated from the\n"
         "// classes' member tables when the library is built: do not edit.\n"
         "#include <QColor>\n#include <QFont>\n#include <QPixmap>\n#include <QString>\n#include <QVariant>\n\n"
         "#include \"orvelle/qt/control_widget.h\"\n\nnamespace ov::qt {\n\n";
    c << "// Generated from the classes' member tables when the library is built: do not edit.\n"
         "#include \"orvelle/qt/controls.h\"\n\n#include \"qt/event_arguments.h\"\n\nnamespace ov::qt {\n\n";
    std::vector<std::string> names;
    for (const host::ClassEntry& entry : library::Classes().entries()) {
        if (!library::InTypeLibrary(entry)) continue;
        const ClassWriter writer(*entry.info, entry.is_control);
        writer.WriteDeclaration(h);
        writer.WriteDefinitions(c);
        names.push_back(entry.name);
    }
    h << "}  // namespace ov::qt\n";
    c << "}  // namespace ov::qt\n";
    for (const auto& [path, text] : {std::pair{header_path, h.str()}, std::pair{source_path, c.str()}}) {
        // Unchanged output leaves the file as it is, so nothing that includes it rebuilds.
        std::ifstream existing(path, std::ios::binary);
        std::stringstream old;
        old << existing.rdbuf();
        if (existing && old.str() == text) continue;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out) {
            std::cerr << "widget_codegen: cannot write " << path << "\n";
            return 1;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: widget_codegen HEADER SOURCE\n";
        return 2;
    }
    try {
        return Generate(argv[1], argv[2]);
    } catch (const std::exception& e) {
        std::cerr << "widget_codegen: " << e.what() << "\n";
        return 1;
    }
}
