#pragma once
// Values across the C interface: strings the caller frees, exception records, and variants
// converted both ways (UTF-8 outside, Windows-1252 inside; objects wrapped in server objects).
#include <cstdint>
#include <string>
#include <vector>

#include "orvelle/orvelle.h"
#include "platform/runtime/automation_error.h"
#include "platform/runtime/variant.h"

namespace ov::library::server {

// A malloc'ed copy the caller frees with OvStringFree; nullptr when memory runs out.
char* CopyString(const std::string& text);
void FillException(OvExcepInfo* info, const AutomationError& error);

// 13 (type mismatch) for a type the interface does not carry, an object of another server or
// one already released.
Variant FromOv(const OvVariant& v);
OvVariant ToOv(const Variant& v);
std::vector<Variant> ArgumentsFrom(const OvVariant* args, std::uint32_t count);
// By-reference arguments: whatever the callee left in them goes back to the caller.
void ArgumentsBack(const std::vector<Variant>& values, OvVariant* args, std::uint32_t count);

}  // namespace ov::library::server
