// The desktop's autostart entry: its Exec line read from any file, and an entry the program
// writes read back.

#include "fuzz_check.h"
#include "platform/reg_file_hive.h"

#include <string>

using namespace vorlith;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(fuzz::AsText(data, size));
    platform::DesktopEntryExec(text);

    // The input cut at its first NUL into a name and a command.
    const size_t cut = text.find('\0');
    const std::string name = text.substr(0, cut);
    const std::string command = cut == std::string::npos ? "" : text.substr(cut + 1);
    FUZZ_CHECK(platform::DesktopEntryExec(platform::MakeAutostartDesktopEntry(name, command)) ==
               command);
    return 0;
}
