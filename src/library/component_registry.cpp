#include "library/component_registry.h"

#include <cstdlib>
#include <filesystem>

#include <nlohmann/json.hpp>

#include "platform/files/read_file.h"
#include "platform/files/replace_file.h"
#include "platform/json/json_document.h"
#include "platform/runtime/compare.h"

namespace ov::library {

namespace {

using nlohmann::json;

constexpr const char* kFormat = "OrvelleControls component registry";
constexpr int kVersion = 1;
// A registry is a few kilobytes; anything far larger is not one.
constexpr std::uintmax_t kMaxRegistryBytes = 16u << 20;

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

std::string RegistryPath() {
    if (std::string path = Env("ORVELLE_REGISTRY"); !path.empty()) return path;
    std::string base = Env("XDG_CONFIG_HOME");
    if (base.empty()) base = Env("HOME").empty() ? std::string(".config") : Env("HOME") + "/.config";
    return base + "/orvelle/registry.json";
}

RegistryStatus ReadRegistry(const std::string& path, std::vector<RegistryEntry>* entries) {
    entries->clear();
    const files::FileContents file = files::ReadWholeFile(path, files::ReadOptions{.max_bytes = kMaxRegistryBytes});
    switch (file.error) {
        case files::ReadError::None: break;
        case files::ReadError::NotFound: return RegistryStatus::Missing;
        case files::ReadError::Directory:
        case files::ReadError::NotRegularFile:
        case files::ReadError::TooLarge: return RegistryStatus::Malformed;
        case files::ReadError::ReadFailed: return RegistryStatus::IoError;
    }
    const std::string& text = file.bytes;
    // One reader checks the shape; every string in the file is UTF-8 and stays UTF-8 (paths,
    // identifiers), as the host application reads and writes them.
    try {
        const json document = json_input::ParseDocument(text);
        const json_input::Node root(document);
        root.ExpectObject();
        if (root["format"].Utf8Text() != kFormat) root["format"].Fail("is not \"" + std::string(kFormat) + "\"");
        if (root["version"].Number() != kVersion) root["version"].Fail("is not " + std::to_string(kVersion));
        const json_input::Node classes = root["classes"];
        for (std::size_t i = 0; i < classes.Size(); ++i) {
            const json_input::Node item = classes.At(i);
            entries->push_back(RegistryEntry{item["clsid"].Utf8Text(), item["progid"].Utf8Text(),
                                             item["name"].Utf8Text(), item["server"].Utf8Text(),
                                             item["typelib"].Utf8Text()});
        }
    } catch (const json_input::ShapeError&) {
        entries->clear();
        return RegistryStatus::Malformed;
    }
    return RegistryStatus::Ok;
}

RegistryStatus WriteRegistry(const std::string& path, const std::vector<RegistryEntry>& entries) {
    json classes = json::array();
    for (const RegistryEntry& e : entries)
        classes.push_back({{"clsid", e.clsid},
                           {"progid", e.prog_id},
                           {"name", e.name},
                           {"server", e.server},
                           {"typelib", e.typelib}});
    const json document{{"format", kFormat}, {"version", kVersion}, {"classes", classes}};
    std::error_code ec;
    const std::filesystem::path target(path);
    if (target.has_parent_path()) std::filesystem::create_directories(target.parent_path(), ec);
    return files::ReplaceFile(path, document.dump(2) + "\n") ? RegistryStatus::Ok : RegistryStatus::IoError;
}

const RegistryEntry* FindByProgId(const std::vector<RegistryEntry>& entries, const std::string& prog_id) {
    for (const RegistryEntry& e : entries)
        if (EqualsIgnoreCase(e.prog_id, prog_id)) return &e;
    return nullptr;
}

const RegistryEntry* FindByClassId(const std::vector<RegistryEntry>& entries, const std::string& clsid) {
    for (const RegistryEntry& e : entries)
        if (EqualsIgnoreCase(e.clsid, clsid)) return &e;
    return nullptr;
}

}  // namespace ov::library
