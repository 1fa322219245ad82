// Identifiers: comparing, writing and reading them, and the interface ids the server exports.
#include "library/server_identifiers.h"

#include <cstdio>
#include <cstring>

#include "library/server_exports.h"

namespace ov::library::server {

bool SameGuid(const OvGuid& a, const OvGuid& b) {
    return a.data1 == b.data1 && a.data2 == b.data2 && a.data3 == b.data3 && std::memcmp(a.data4, b.data4, 8) == 0;
}

std::string GuidText(const OvGuid& g) {
    char text[39];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.data1, g.data2, g.data3,
                  g.data4[0], g.data4[1], g.data4[2], g.data4[3], g.data4[4], g.data4[5], g.data4[6], g.data4[7]);
    return text;
}

bool ParseGuid(const char* text, OvGuid* out) {
    if (!text || std::strlen(text) != 38 || text[0] != '{' || text[37] != '}') return false;
    const int dashes[] = {9, 14, 19, 24};
    for (int d : dashes)
        if (text[d] != '-') return false;
    std::uint8_t bytes[16];
    int n = 0;
    for (int i = 1; i < 37; ++i) {
        if (text[i] == '-') continue;
        auto hex = [](char c) -> int {
            if (c >= '0' && c <= '9') return c - '0';
            if (c >= 'a' && c <= 'f') return c - 'a' + 10;
            if (c >= 'A' && c <= 'F') return c - 'A' + 10;
            return -1;
        };
        const int hi = hex(text[i]), lo = hex(text[i + 1]);
        if (hi < 0 || lo < 0 || n >= 16) return false;
        bytes[n++] = static_cast<std::uint8_t>(hi * 16 + lo);
        ++i;
    }
    if (n != 16) return false;
    out->data1 =
        (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) | (std::uint32_t{bytes[2]} << 8) | bytes[3];
    out->data2 = static_cast<std::uint16_t>((bytes[4] << 8) | bytes[5]);
    out->data3 = static_cast<std::uint16_t>((bytes[6] << 8) | bytes[7]);
    std::memcpy(out->data4, bytes + 8, 8);
    return true;
}

}  // namespace ov::library::server

using namespace ov::library::server;

OV_EXPORT const OvGuid OV_IID_IUnknown = MakeGuid(0x00000000, 0x0000, 0x0000, 0xC000000000000046ull);
OV_EXPORT const OvGuid OV_IID_IClassFactory = MakeGuid(0x00000001, 0x0000, 0x0000, 0xC000000000000046ull);
OV_EXPORT const OvGuid OV_IID_IDispatch = MakeGuid(0x00020400, 0x0000, 0x0000, 0xC000000000000046ull);
OV_EXPORT const OvGuid OV_IID_IPersistPropertyBag = MakeGuid(0x37D84F60, 0x42CB, 0x11CE, 0x81350000C0BD3A0Bull);
OV_EXPORT const OvGuid OV_IID_IOvControl = MakeGuid(0x6F1C3D01, 0x7A52, 0x4E0B, 0x9C110D3E5A2B7F01ull);
OV_EXPORT const OvGuid OV_IID_IConnectionPoint = MakeGuid(0xB196B286, 0xBAB4, 0x101A, 0xB69C00AA00341D07ull);

OV_EXPORT OvResult OvGuidFromString(const char* text, OvGuid* out) {
    if (!out) return OV_E_POINTER;
    return ParseGuid(text, out) ? OV_S_OK : OV_E_INVALIDARG;
}

OV_EXPORT OvResult OvGuidToString(const OvGuid* guid, char out[39]) {
    if (!guid || !out) return OV_E_POINTER;
    std::memcpy(out, GuidText(*guid).c_str(), 39);
    return OV_S_OK;
}

OV_EXPORT int OvGuidEqual(const OvGuid* a, const OvGuid* b) { return a && b && SameGuid(*a, *b); }
