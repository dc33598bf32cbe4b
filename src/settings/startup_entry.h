#pragma once
// The program's entry in the per-user start-up list: value "Vlith" of
// "Software\Microsoft\Windows\CurrentVersion\Run", data: the quoted program path and " /STARTUP".

#include "settings/reg_settings.h"

#include <string>

namespace vorlith {

inline constexpr char kRunSection[] = "CurrentVersion\\Run";
inline constexpr char kStartupEntryName[] = "Vlith";

/// The path of the program the entry starts: the program-files folder + "/Vorlith/Vlith" (with
/// the platform's program suffix, ".exe" on Windows) when that file exists, otherwise the
/// desktop program installed beside the running one ("Vlith.exe" on Windows, "vorlith" on
/// Linux), otherwise the running program.
std::string StartupProgramPath();

/// "\"" + program path + "\" /STARTUP".
std::string StartupEntryData(const std::string& programPath);

/// Points reg at the start-up list's owner ("Microsoft", "Windows").
void UseStartupListKey(CRegSettings& reg);

/// Writes the entry for the program (enabled), or deletes it (not enabled) unless what stands
/// there is three characters or fewer, which is no entry of ours to remove.
void WriteStartupEntry(CRegSettings& reg, bool enabled, const std::string& programPath);

/// True when the start-up list holds an entry of at least three characters.
bool HasStartupEntry(CRegSettings& reg);

} // namespace vorlith
