// The ID3v1 tag block of an audio file's last 128 bytes.

#include "fuzz_check.h"
#include "scan/id3v1.h"

#include <string>

using namespace vorlith;

namespace {
bool sameFields(const Id3v1Fields& a, const Id3v1Fields& b) {
    return a.Title == b.Title && a.Artist == b.Artist && a.Album == b.Album && a.Year == b.Year &&
           a.Comment == b.Comment && a.Genre == b.Genre && a.Track == b.Track;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view block = fuzz::AsText(data, size);
    CleanField(block);
    auto fields = ParseId3v1Block(block);
    FUZZ_CHECK(fields.has_value() == (size == kId3v1BlockSize && block.substr(0, 3) == "TAG"));
    if (!fields)
        return 0;
    // Written back, the fields read as what was written; a second round changes nothing more
    // (the first may: a character Windows-1252 lacks is written as "?").
    const std::string encoded = EncodeId3v1Fields(*fields);
    FUZZ_CHECK(encoded.size() == kId3v1BlockSize - 3);
    auto once = ParseId3v1Block("TAG" + encoded);
    FUZZ_CHECK(once.has_value());
    auto twice = ParseId3v1Block("TAG" + EncodeId3v1Fields(*once));
    FUZZ_CHECK(twice && sameFields(*once, *twice));
    return 0;
}
