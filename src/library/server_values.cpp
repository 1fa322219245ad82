// Values across the C interface, and the exported functions that make and free them.
#include "library/server_values.h"

#include <cstdlib>
#include <cstring>

#include "library/server_exports.h"
#include "library/server_object.h"
#include "platform/codepage/windows1252.h"

namespace ov::library::server {

char* CopyString(const std::string& text) {
    char* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (copy) std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

void FillException(OvExcepInfo* info, const AutomationError& error) {
    if (!info) return;
    info->number = error.number();
    info->source = CopyString(codepage::Windows1252ToUtf8(error.source()));
    info->description = CopyString(codepage::Windows1252ToUtf8(error.description()));
}

Variant FromOv(const OvVariant& v) {
    switch (v.vt) {
        case OV_VT_EMPTY: return Variant();
        case OV_VT_NULL: return Variant::Null();
        case OV_VT_I2: return Variant::FromInteger(v.u.iVal);
        case OV_VT_I4: return Variant::FromLong(v.u.lVal);
        case OV_VT_R4: return Variant::FromSingle(v.u.fltVal);
        case OV_VT_R8: return Variant::FromDouble(v.u.dblVal);
        case OV_VT_DATE: return Variant::FromDate(v.u.date);
        case OV_VT_BSTR: return Variant::FromString(codepage::Utf8ToWindows1252(v.u.bstrVal ? v.u.bstrVal : ""));
        case OV_VT_BOOL: return Variant::FromBoolean(v.u.boolVal != 0);
        case OV_VT_UI1: return Variant::FromByte(v.u.bVal);
        case OV_VT_DISPATCH: {
            if (!v.u.pdispVal) return Variant::FromObject(nullptr);
            // Only live objects of this server can be handed back in.
            if (v.u.pdispVal->lpVtbl != &kDispatchVtbl) throw AutomationError(error::kTypeMismatch);
            const ServerObject* owner = Owner<OvDispatchVtbl>(v.u.pdispVal);
            if (!owner) throw AutomationError(error::kTypeMismatch);
            return Variant::FromObject(owner->object);
        }
        default: throw AutomationError(error::kTypeMismatch);
    }
}

OvVariant ToOv(const Variant& v) {
    OvVariant out;
    OvVariantInit(&out);
    switch (v.type()) {
        case VarType::Empty:
        case VarType::Missing: break;
        case VarType::Null: out.vt = OV_VT_NULL; break;
        case VarType::Boolean: out.vt = OV_VT_BOOL, out.u.boolVal = v.boolean() ? -1 : 0; break;
        case VarType::Byte: out.vt = OV_VT_UI1, out.u.bVal = static_cast<std::uint8_t>(v.integral()); break;
        case VarType::Integer: out.vt = OV_VT_I2, out.u.iVal = static_cast<std::int16_t>(v.integral()); break;
        case VarType::Long: out.vt = OV_VT_I4, out.u.lVal = static_cast<std::int32_t>(v.integral()); break;
        case VarType::Single: out.vt = OV_VT_R4, out.u.fltVal = static_cast<float>(v.real()); break;
        case VarType::Double: out.vt = OV_VT_R8, out.u.dblVal = v.real(); break;
        case VarType::Date: out.vt = OV_VT_DATE, out.u.date = v.real(); break;
        case VarType::String:
            out.vt = OV_VT_BSTR, out.u.bstrVal = CopyString(codepage::Windows1252ToUtf8(v.string()));
            break;
        case VarType::Object: out.vt = OV_VT_DISPATCH, out.u.pdispVal = WrapObject(v.object()); break;
    }
    return out;
}

std::vector<Variant> ArgumentsFrom(const OvVariant* args, std::uint32_t count) {
    std::vector<Variant> converted;
    converted.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) converted.push_back(FromOv(args[i]));
    return converted;
}

void ArgumentsBack(const std::vector<Variant>& values, OvVariant* args, std::uint32_t count) {
    for (std::uint32_t i = 0; i < count && i < values.size(); ++i) {
        if (FromOv(args[i]) == values[i]) continue;  // unchanged: the caller's value stays as it was
        OvVariantClear(&args[i]);
        args[i] = ToOv(values[i]);
    }
}

}  // namespace ov::library::server

using namespace ov::library::server;

OV_EXPORT char* OvStringAlloc(const char* utf8) { return CopyString(utf8 ? utf8 : ""); }
OV_EXPORT void OvStringFree(char* text) { std::free(text); }

OV_EXPORT void OvVariantInit(OvVariant* value) {
    if (!value) return;
    std::memset(value, 0, sizeof *value);
    value->vt = OV_VT_EMPTY;
}

OV_EXPORT OvResult OvVariantClear(OvVariant* value) {
    if (!value) return OV_E_POINTER;
    if (value->vt == OV_VT_BSTR) std::free(value->u.bstrVal);
    if (value->vt == OV_VT_DISPATCH && value->u.pdispVal) value->u.pdispVal->lpVtbl->Release(value->u.pdispVal);
    OvVariantInit(value);
    return OV_S_OK;
}

OV_EXPORT void OvExcepInfoClear(OvExcepInfo* info) {
    if (!info) return;
    std::free(info->source);
    std::free(info->description);
    *info = OvExcepInfo{0, nullptr, nullptr};
}
