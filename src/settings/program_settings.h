#pragma once
// The program's in-memory copies of its settings, read once at start-up.

#include "platform/settings_hive.h"

#include <string>
#include <vector>

namespace vorlith {

/// What a finished audit opens, as the setting "DefaultResults" stores it.
enum class ResultsChoice {
    Both = 0,           // Firefox's memory cache view, then the summary in the default browser
    DefaultBrowser = 1, // the summary in the default browser
    FirefoxMemory = 2,  // Firefox's memory cache view
    FirefoxDisk = 3,    // Firefox's disk cache view
};

/// The choice a stored number stands for when an audit finishes: any number but 1 to 3 is Both.
ResultsChoice ResultsChoiceOf(int stored);

/// True for the two choices that open Firefox alone.
inline bool IsFirefoxOnly(ResultsChoice choice) {
    return choice == ResultsChoice::FirefoxMemory || choice == ResultsChoice::FirefoxDisk;
}

/// Switches count as on only when they hold exactly 1.
struct ProgramSettings {
    std::string LastAudit;     // date of the last finished audit ("YYYY-MM-DD"), or "0"
    int MinDays = 0;           // days after the last audit from which a log-in start audits
    int HARunOnStart = 0;      // 1: an ordinary start audits at once
    int DefaultResults = 1;    // 0 both, 1 default browser, 2 Firefox memory, 3 Firefox disk
    double CumlativeTotal = 0; // traces found by all audits
    int ScanNetworkDrives = 0; // 1: walk every drive, not only fixed ones
    int NoThumbs = 0;          // 1: skip the thumbnail pass
    int NoFirefox = 0;         // 1: skip the Firefox pass
};

/// Reads every setting in the start-up order into the copies. A missing key gives its default;
/// a stored text that does not convert leaves the copy as it was.
void ReadProgramSettings(platform::SettingsHive& userHive, ProgramSettings& settings);

/// The default of a setting key, as text ("" for a key without one).
std::string DefaultSettingText(const std::string& key);

/// Every key of the "Settings" section, in their documented order.
const std::vector<std::string>& SettingKeys();

} // namespace vorlith
