#pragma once
// What the image pages, the video page and the summary's galleries ask of each cached file,
// worked out once per audit: whether its address names a picture or a video, and which keyword
// lists it matches. Each answer is a bit set over the list, so that a page pass visits only the
// files it writes.

#include "classify/keywords.h"
#include "sources/url_cache.h"

#include <array>
#include <bit>
#include <cstdint>
#include <utility>
#include <vector>

namespace vorlith {

class CachedFileClasses {
public:
    /// Facts of one cached file's address.
    enum Fact {
        Picture,     // IsPicture: ends in "jpg" or "jpeg"
        TeenPicture, // IsTeenPicture: a picture, or ends in "png"
        JpgEnding,   // ends in "jpg" (the galleries' test)
        Video,       // not a picture, and VideoKindOf is not None
        kFactCount
    };

    /// Searches the address of every file that ends in "jpg", "jpeg" or "png" (no other file is
    /// ever asked for its keywords) once.
    explicit CachedFileClasses(const UrlCacheList& files);

    size_t size() const { return m_count; }

    /// One bit per file, file i at bit i % 64 of word i / 64.
    const std::vector<uint64_t>& bits(Fact fact) const { return m_facts[fact]; }
    /// The files with a TeenPicture address that the list matches.
    const std::vector<uint64_t>& bits(KeywordList list) const {
        return m_lists[static_cast<size_t>(list)];
    }
    bool has(Fact fact, size_t index) const { return testBit(m_facts[fact], index); }

    /// Where the list's deciding keyword stands in the file's address; no hit for a file whose
    /// address was not searched or that the list does not match.
    KeywordHit hit(KeywordList list, size_t index) const;

    /// Pictures (jpg, jpeg) that the list matches.
    int64_t matchedPictures(KeywordList list) const {
        return m_matchedPictures[static_cast<size_t>(list)];
    }

    static bool testBit(const std::vector<uint64_t>& bits, size_t index) {
        return (bits[index / 64] >> (index % 64) & 1) != 0;
    }

private:
    size_t m_count = 0;
    std::array<std::vector<uint64_t>, kFactCount> m_facts;
    std::array<std::vector<uint64_t>, kKeywordListCount> m_lists;
    std::array<int64_t, kKeywordListCount> m_matchedPictures{};
    std::vector<std::pair<uint32_t, KeywordHits>> m_hits; // files any list matches, by index
};

/// The set bits of a bit set given word by word (a function of the word index), in order.
template <typename Mask> class SetBits {
public:
    SetBits(size_t count, const Mask& mask) : m_words((count + 63) / 64), m_mask(mask) {}

    /// The next set bit's index; false after the last.
    bool next(size_t& index) {
        while (m_bits == 0) {
            if (m_word == m_words)
                return false;
            m_bits = m_mask(m_word++);
        }
        index = (m_word - 1) * 64 + static_cast<size_t>(std::countr_zero(m_bits));
        m_bits &= m_bits - 1;
        return true;
    }

private:
    size_t m_words;
    const Mask& m_mask;
    size_t m_word = 0;
    uint64_t m_bits = 0;
};

/// Calls visit(index) for every file whose bit is set in `mask` (a word-wise combination of the
/// classes' bit sets given as a function of the word index), in list order. The files visited
/// are few and far apart, so their records and texts are asked for ahead (VisitAhead).
template <typename Mask, typename Visit>
void ForEachFile(const UrlCacheList& files, const Mask& mask, Visit visit) {
    VisitAhead(files, SetBits<Mask>(files.size(), mask), visit);
}

} // namespace vorlith
