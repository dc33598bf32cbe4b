#include "report/cached_file_classes.h"

#include "base/text.h"
#include "report/image_pages.h"
#include "report/video_page.h"

#include <algorithm>

namespace vorlith {

CachedFileClasses::CachedFileClasses(const UrlCacheList& files) : m_count(files.size()) {
    const size_t words = (m_count + 63) / 64;
    for (auto& bits : m_facts)
        bits.assign(words, 0);
    for (auto& bits : m_lists)
        bits.assign(words, 0);
    for (size_t index = 0; index < m_count; ++index) {
        const std::string_view address = files[index].SourceUrlName();
        const uint64_t bit = uint64_t{1} << (index % 64);
        const size_t word = index / 64;
        const bool picture = IsPicture(address);
        const bool teenPicture = picture || EndsWithNoCase(address, "png");
        if (picture)
            m_facts[Picture][word] |= bit;
        if (teenPicture)
            m_facts[TeenPicture][word] |= bit;
        if (EndsWithNoCase(address, "jpg"))
            m_facts[JpgEnding][word] |= bit;
        if (!picture && VideoKindOf(address) != VideoKind::None)
            m_facts[Video][word] |= bit;
        if (!teenPicture)
            continue;
        const KeywordHits hits = FindKeywords(address);
        bool any = false;
        for (size_t list = 0; list < kKeywordListCount; ++list) {
            if (!hits.byList[list])
                continue;
            any = true;
            m_lists[list][word] |= bit;
            if (picture)
                ++m_matchedPictures[list];
        }
        if (any)
            m_hits.emplace_back(static_cast<uint32_t>(index), hits);
    }
}

KeywordHit CachedFileClasses::hit(KeywordList list, size_t index) const {
    const auto found = std::lower_bound(m_hits.begin(), m_hits.end(), index,
                                        [](const std::pair<uint32_t, KeywordHits>& entry,
                                           size_t wanted) { return entry.first < wanted; });
    if (found == m_hits.end() || found->first != index)
        return {};
    return found->second[list];
}

} // namespace vorlith
