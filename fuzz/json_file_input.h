#pragma once
// Shared by the fuzz targets of the library's JSON files: the input as text, and whether it
// names a file to read. Picture entries may reference files by path; reading whatever path an
// input invents (a device, a huge file) is the picture loaders' business and their fuzz
// targets', so such inputs are left out here.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include <nlohmann/json.hpp>

#include "platform/json/json_document.h"

inline std::string_view InputText(const std::uint8_t* data, std::size_t size) {
    return std::string_view(reinterpret_cast<const char*>(data), size);
}

inline bool NamesAFile(const nlohmann::json& value) {
    if (value.is_object()) {
        for (const auto& [member, inner] : value.items())
            if (member == "file" || NamesAFile(inner)) return true;
    } else if (value.is_array()) {
        for (const auto& inner : value)
            if (NamesAFile(inner)) return true;
    }
    return false;
}

inline bool NamesAFile(std::string_view text) {
    try {
        return NamesAFile(ov::json_input::ParseDocument(text));
    } catch (const ov::json_input::ShapeError&) {
        return false;  // not a document: nothing in it is read
    }
}
