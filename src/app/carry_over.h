#pragma once
// The carry-over file moves the settings to a later installation: the
// system's registry editor exports the product key into it whenever the
// settings dialog closes, and imports it at a first start.
#include <string>

#include "platform/platform.h"

namespace mw {

inline constexpr char kCarryOverFileName[] = "Mountwick_Verup.inf";
inline constexpr char kProductKeyOnCommandLine[] =
    " HKEY_CURRENT_USER\\software\\Quillory\\Mountwick";
inline constexpr unsigned kImportTimeoutMs = 30000;

// The file's full path in the working directory, quoted for a command line.
std::string BuildCarryOverPath(const Platform& platform);

// The registry editor by its full path, so the working directory can never
// answer for it.
std::string RegistryEditorPath(const Platform& platform);

void ExportCarryOver(const Platform& platform, const std::string& carry_over_path);

// Offers the file for import when it exists; returns whether settings are
// still absent afterwards.
bool ImportCarryOver(const Platform& platform, const std::string& carry_over_path);

}  // namespace mw
