#include "scan/jpeg_splitter.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace vorlith {

void JpegSplitter::emit(std::string_view bytes) {
    if (m_inPicture && !bytes.empty())
        m_sink.appendToPicture(bytes);
}

size_t JpegSplitter::scan(std::string_view bytes) {
    const char first = kJpegStartMarker[0];
    size_t emitted = 0; // bytes handed over so far
    size_t search = 0;  // where the next marker may start
    while (search + kJpegStartMarker.size() <= bytes.size()) {
        const void* hit = std::memchr(bytes.data() + search, first,
                                      bytes.size() - search - kJpegStartMarker.size() + 1);
        if (!hit)
            break;
        const auto position = static_cast<size_t>(static_cast<const char*>(hit) - bytes.data());
        if (bytes.compare(position, kJpegStartMarker.size(), kJpegStartMarker) != 0) {
            search = position + 1;
            continue;
        }
        emit(bytes.substr(emitted, position - emitted));
        if (m_inPicture)
            m_sink.endPicture();
        m_inPicture = true;
        m_sink.beginPicture(++m_pictureCount);
        emitted = position; // the marker opens the new picture
        search = position + kJpegStartMarker.size();
    }
    // A tail that is the start of a marker waits for the next piece. The marker cannot overlap
    // itself, so such a tail never lies inside a marker just found.
    size_t decided = bytes.size();
    for (size_t length = kJpegStartMarker.size() - 1; length > 0; --length) {
        if (bytes.size() >= search + length &&
            bytes.substr(bytes.size() - length) == kJpegStartMarker.substr(0, length)) {
            decided = bytes.size() - length;
            break;
        }
    }
    emit(bytes.substr(emitted, decided - emitted));
    return decided;
}

void JpegSplitter::feed(std::string_view bytes) {
    if (!m_held.empty()) {
        // Join the held bytes with just enough of the new piece to decide every position that
        // starts among them; the rest of the piece is scanned in place, uncopied.
        const size_t heldSize = m_held.size();
        m_held.append(bytes.substr(0, std::min<size_t>(bytes.size(), 3)));
        const std::string joined = std::move(m_held);
        m_held.clear();
        const size_t decided = scan(joined);
        if (decided < heldSize || bytes.size() < 3) {
            // The piece was too short to decide: everything undecided stays held.
            assert(joined.size() - decided <= 3 && "held tail");
            m_held.assign(joined.substr(decided));
            return;
        }
        bytes.remove_prefix(decided - heldSize);
    }
    const size_t decided = scan(bytes);
    m_held.assign(bytes.substr(decided));
}

void JpegSplitter::finish() {
    emit(m_held);
    m_held.clear();
    if (m_inPicture)
        m_sink.endPicture();
    m_inPicture = false;
}

} // namespace vorlith
