// The cut of a thumbnail store at every JPEG start marker, with the store handed over in pieces.

#include "fuzz_check.h"
#include "scan/jpeg_splitter.h"

#include <algorithm>
#include <string>
#include <vector>

using namespace vorlith;

namespace {
class Pictures final : public PictureSink {
public:
    std::vector<std::string> pictures;
    bool open = false;
    void beginPicture(int64_t number) override {
        FUZZ_CHECK(!open && number == static_cast<int64_t>(pictures.size()) + 1);
        pictures.emplace_back();
        open = true;
    }
    void appendToPicture(std::string_view bytes) override {
        FUZZ_CHECK(open);
        pictures.back().append(bytes);
    }
    void endPicture() override {
        FUZZ_CHECK(open);
        open = false;
    }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view stream = fuzz::AsText(data, size);
    Pictures whole;
    JpegSplitter wholeSplitter(whole);
    wholeSplitter.feed(stream);
    wholeSplitter.finish();
    FUZZ_CHECK(!whole.open);

    // Picture k is marker k and every byte up to the next marker: together the pictures are the
    // stream from its first marker on.
    const size_t first = stream.find(kJpegStartMarker);
    std::string joined;
    for (const std::string& picture : whole.pictures) {
        FUZZ_CHECK(picture.compare(0, kJpegStartMarker.size(), kJpegStartMarker) == 0);
        FUZZ_CHECK(picture.find(kJpegStartMarker, 1) == std::string::npos);
        joined += picture;
    }
    FUZZ_CHECK(joined == (first == std::string_view::npos ? "" : stream.substr(first)));

    // The same pictures whatever the sizes of the pieces: here 1 to 16 bytes, and now and then an
    // empty piece, as the stream's own bytes say.
    Pictures pieces;
    JpegSplitter pieceSplitter(pieces);
    for (size_t position = 0, index = 0; position < size; ++index) {
        const uint8_t choice = data[index % size];
        if (choice & 0x80)
            pieceSplitter.feed({});
        const size_t length = std::min<size_t>(1 + choice % 16, size - position);
        pieceSplitter.feed(stream.substr(position, length));
        position += length;
    }
    pieceSplitter.finish();
    FUZZ_CHECK(pieces.pictures == whole.pictures);
    FUZZ_CHECK(pieceSplitter.pictureCount() == wholeSplitter.pictureCount());
    return 0;
}
