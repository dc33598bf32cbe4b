#pragma once
// Memory figures of the benchmark process itself (Linux: /proc/self/status).

#include <cstdint>
#include <fstream>
#include <string>

namespace vorlith::bench {

/// A memory figure of this process in kB: "VmHWM" the peak, "VmRSS" the current; -1 when the
/// system gives none.
inline int64_t MemoryKilobytes(const std::string& field = "VmHWM") {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field + ":", 0) == 0)
            return std::stoll(line.substr(field.size() + 1));
    return -1;
}

/// Sets the peak back to the current resident memory, so that a run measures only itself.
inline void ResetPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

} // namespace vorlith::bench
