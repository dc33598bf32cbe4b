#pragma once
// Cutting a byte stream at every JPEG start marker, with the stream handed over in pieces.

#include "base/picture_formats.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vorlith {

/// Receives the pictures of a stream in order.
class PictureSink {
public:
    virtual ~PictureSink() = default;
    /// A picture begins; number counts from 1.
    virtual void beginPicture(int64_t number) = 0;
    /// More bytes of the current picture (its marker first).
    virtual void appendToPicture(std::string_view bytes) = 0;
    /// The current picture is complete.
    virtual void endPicture() = 0;
};

/// Cuts a stream at every occurrence of kJpegStartMarker: picture k is marker k with every byte
/// up to marker k + 1 or the end of the stream; the bytes before the first marker are dropped. The
/// pictures are the same whatever the sizes of the pieces handed to feed. At most three bytes are
/// held back between calls (a marker may straddle two pieces).
class JpegSplitter {
public:
    explicit JpegSplitter(PictureSink& sink) : m_sink(sink) {}

    /// The next piece of the stream.
    void feed(std::string_view bytes);
    /// The stream has ended: ends the last picture.
    void finish();

    int64_t pictureCount() const { return m_pictureCount; }

private:
    // Hands over the bytes whose fate is decided and returns how many that was: all but a tail
    // that could be the start of a marker continued in the next piece.
    size_t scan(std::string_view bytes);
    void emit(std::string_view bytes);

    PictureSink& m_sink;
    std::string m_held; // undecided bytes from the end of the previous piece, at most 3
    int64_t m_pictureCount = 0;
    bool m_inPicture = false;
};

} // namespace vorlith
