#pragma once
// What the fuzz targets of the thumbnail-store readers check on every store: each picture given
// is whole in its format and within the size a reader takes, the count matches, and the bytes
// left over lie in the file, in order and apart.

#include "fuzz_check.h"
#include "scan/thumbnail_store.h"
#include "sources/memory_file.h"

#include <string>

namespace vorlith::fuzz {

class NoStop final : public RunControl {
public:
    void yield() override {}
    bool isCanceled() const override { return false; }
};

class CheckedPictures final : public StoredPictureSink {
public:
    int64_t count = 0;
    void addPicture(StoredPicture picture) override {
        FUZZ_CHECK(picture.bytes.size() <= kLargestStoredPicture);
        FUZZ_CHECK(DetectPictureFormat(picture.bytes) == picture.format);
        ++count;
    }
};

/// Reads the bytes as a store with the reader and checks what it gives.
template <typename Reader> void CheckStoreReader(std::string_view bytes, Reader read) {
    MemoryInputFile file{std::string(bytes)};
    CheckedPictures pictures;
    NoStop run;
    NoProgress progress;
    const StoreReadResult result = read(file, pictures, run, progress);
    FUZZ_CHECK(result.pictureCount == pictures.count);
    uint64_t end = 0;
    for (const ByteRange& range : result.leftovers) {
        FUZZ_CHECK(range.length > 0 && range.offset >= end && range.end() <= bytes.size());
        end = range.end();
    }
}

} // namespace vorlith::fuzz
