#pragma once
// The component runtime's registry: a per-user file mapping class identifiers and ProgIDs to
// the library that serves them and to its type library. docs/registry.md describes the file;
// every read checks its shape, every write replaces it whole (a temporary file renamed over
// it), so a failed write never leaves half a registry.
#include <string>
#include <vector>

namespace ov::library {

struct RegistryEntry {
    std::string clsid;    // "{6F1C3D01-...}", upper-case hex
    std::string prog_id;  // "OrvelleControls.OV3DLine"
    std::string name;     // "OV3DLine"
    std::string server;   // absolute path of the library that serves the class
    std::string typelib;  // absolute path of its type library (designer metadata JSON)
};

enum class RegistryStatus {
    Ok,         // read (or written)
    Missing,    // no file yet: an empty registry
    Malformed,  // a file that is not a registry of this format; left as it is
    IoError,    // could not be read or written
};

// $ORVELLE_REGISTRY, else $XDG_CONFIG_HOME/orvelle/registry.json, else
// $HOME/.config/orvelle/registry.json.
std::string RegistryPath();

RegistryStatus ReadRegistry(const std::string& path, std::vector<RegistryEntry>* entries);
RegistryStatus WriteRegistry(const std::string& path, const std::vector<RegistryEntry>& entries);

// The first entry with this ProgID (case-insensitive) or class id; nullptr when none.
const RegistryEntry* FindByProgId(const std::vector<RegistryEntry>& entries, const std::string& prog_id);
const RegistryEntry* FindByClassId(const std::vector<RegistryEntry>& entries, const std::string& clsid);

}  // namespace ov::library
