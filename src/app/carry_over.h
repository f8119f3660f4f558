#pragma once
// The carry-over file moves the settings to a later installation: the
// system's console registry tool exports the product key into it whenever
// the settings dialog closes, and imports it at a first start. It writes the
// registry editor's export format, so files of either import with either.
#include <string>

#include "platform/platform.h"

namespace mw {

inline constexpr char kCarryOverFileName[] = "Mountwick_Verup.inf";
inline constexpr unsigned kImportTimeoutMs = 30000;

// The file's full path in the working directory, quoted for a command line.
std::string BuildCarryOverPath(const Platform& platform);

// reg.exe by its full path, so the working directory can never answer for it.
// Unlike the registry editor it asks for no elevation and shows no window.
std::string RegistryToolPath(const Platform& platform);

void ExportCarryOver(const Platform& platform, const std::string& carry_over_path);

// Offers the file for import when it exists; returns whether settings are
// still absent afterwards.
bool ImportCarryOver(const Platform& platform, const std::string& carry_over_path);

}  // namespace mw
