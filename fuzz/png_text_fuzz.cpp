// The text chunks of a PNG file, walked by their lengths, and one text chunk's body parsed as
// each of the three kinds.

#include "fuzz_check.h"
#include "sources/memory_file.h"
#include "sources/png_text.h"

using namespace vorlith;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes = fuzz::AsText(data, size);
    MemoryInputFile file{std::string(bytes)};
    const PngText text = ReadPngText(file);
    // Latin-1 text takes up to two bytes a character in UTF-8.
    const auto bounded = [](const PngTextEntry& entry) {
        return !entry.keyword.empty() && entry.keyword.size() <= 2 * 79 &&
               entry.text.size() <= 2 * kLargestPngText;
    };
    for (const PngTextEntry& entry : text.entries)
        FUZZ_CHECK(bounded(entry));
    for (const char* type : {"tEXt", "zTXt", "iTXt"})
        if (const auto entry = ParsePngTextChunk(type, bytes))
            FUZZ_CHECK(bounded(*entry));
    return 0;
}
