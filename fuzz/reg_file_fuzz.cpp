// The REGEDIT4 settings file: read, written back and read again.

#include "fuzz_check.h"
#include "platform/reg_file_hive.h"

#include <string>
#include <vector>

using namespace vorlith;
using platform::RegLine;

namespace {
const char kRoot[] = "HKEY_CURRENT_USER";

bool sameLines(const std::vector<RegLine>& a, const std::vector<RegLine>& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].kind != b[i].kind || a[i].keyPath != b[i].keyPath ||
            a[i].valueName != b[i].valueName || a[i].data != b[i].data)
            return false;
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(fuzz::AsText(data, size));

    // Any file: what is read is written so that it reads the same, and writing again changes no
    // byte.
    const auto lines = platform::ParseRegFile(text, kRoot);
    const std::string written = platform::FormatRegFile(lines, kRoot);
    const auto again = platform::ParseRegFile(written, kRoot);
    FUZZ_CHECK(sameLines(lines, again));
    FUZZ_CHECK(platform::FormatRegFile(again, kRoot) == written);

    // Any value name and data (the input cut at its first NUL): stored, they read back the same.
    const size_t cut = text.find('\0');
    RegLine header;
    header.kind = RegLine::Kind::KeyHeader;
    header.keyPath = "Software\\VB and VBA Program Settings\\Vlith\\Settings";
    RegLine value;
    value.kind = RegLine::Kind::Value;
    value.valueName = text.substr(0, cut);
    value.data = cut == std::string::npos ? "" : text.substr(cut + 1);
    const auto stored =
        platform::ParseRegFile(platform::FormatRegFile({header, value}, kRoot), kRoot);
    FUZZ_CHECK(stored.size() == 2 && stored[1].kind == RegLine::Kind::Value);
    FUZZ_CHECK(stored[1].valueName == value.valueName && stored[1].data == value.data);
    return 0;
}
