#pragma once
// The program's entry in the per-user start-up list: value "Vlith" of
// "Software\Microsoft\Windows\CurrentVersion\Run", data: the quoted program path and " /STARTUP".

#include "settings/reg_settings.h"

#include <string>

namespace vorlith {

inline constexpr char kRunSection[] = "CurrentVersion\\Run";
inline constexpr char kStartupEntryName[] = "Vlith";

/// The path of the program the entry starts: the program-files folder + "/Vorlith/Vlith" (with
/// the platform's program suffix, ".exe" on Windows) when that file exists, otherwise the desktop program installed beside the running one, otherwise
/// the running program.
std::string StartupProgramPath();

/// "\"" + program path + "\" /STARTUP".
std::string StartupEntryData(const std::string& programPath);

/// Points reg at the start-up list's owner ("Microsoft", "Windows").
void UseStartupListKey(CRegSettings& reg);

} // namespace vorlith
