#pragma once
// The type library as designer metadata: one JSON document with every class of the library
// (interfaces, members with types, access, dispatch ids, help strings, defaults and persisted
// keys; events with their signatures; the notifications its puts send; its toolbox picture),
// the enumerations with their value names, and the platform objects the classes take and
// return. docs/typelib.schema.json describes the document; `orvelle typelib --json` writes it.
#include <nlohmann/json.hpp>

#include "host/reference/class_registry.h"

namespace ov::library {

// Bumped when the document's shape changes incompatibly.
inline constexpr int kTypeLibraryJsonVersion = 2;

nlohmann::json TypeLibraryJson(const host::ClassRegistry& registry);

// A toolbox picture as a 24-bit bottom-up BMP file, and as PNG bytes.
std::vector<std::uint8_t> ToolboxBmp(const host::ToolboxImage& image);
std::vector<std::uint8_t> ToolboxPng(const host::ToolboxImage& image);

}  // namespace ov::library
