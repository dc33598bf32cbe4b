#pragma once
// Content categories and the seven keyword lists that decide them. A search is a plain
// substring test without regard to case (ASCII, and the Latin-1 letters of 8-bit text); the
// first entry in list order that occurs decides.
//
// Texts are UTF-8. Positions and lengths count bytes; every keyword is ASCII, so a match never
// starts or ends inside a character, and cutting an address at a match keeps its characters
// whole.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace vorlith {

enum class TraceCategory { Explicit, Teen, Gay, Gambling, Personals, Sports, News, Other };

/// The seven lists, one per category but Other.
enum class KeywordList { Explicit, Teen, Gay, Gambling, Personals, Sports, News };
inline constexpr size_t kKeywordListCount = 7;

/// Where the deciding keyword of a list occurs: its 1-based position in the text (0: no entry of
/// the list occurs) and its length.
struct KeywordHit {
    int32_t position = 0;
    int32_t length = 0;
    explicit operator bool() const { return position > 0; }
};

/// The entries of a list in list order, lower case.
std::span<const std::string_view> KeywordEntries(KeywordList list);

/// The search of one list, without side effects.
KeywordHit FindKeyword(KeywordList list, std::string_view text);

/// The results of all seven lists for one text.
struct KeywordHits {
    std::array<KeywordHit, kKeywordListCount> byList{};
    KeywordHit operator[](KeywordList list) const { return byList[static_cast<size_t>(list)]; }
};

/// All seven searches of one text in a single pass over it; each result equals FindKeyword's.
KeywordHits FindKeywords(std::string_view text);

/// The seven search operations with their shared match state: a successful search sets
/// MatchedKeywordLength to the deciding keyword's length; a search that finds nothing leaves it.
class KeywordSearch {
public:
    int32_t Search(KeywordList list, std::string_view text) {
        return Record(FindKeyword(list, text));
    }
    /// Takes a result found earlier (kept by CachedFileClasses) as if its search had run just
    /// now: sets MatchedKeywordLength on a match and returns the position.
    int32_t Record(KeywordHit hit) {
        if (hit)
            MatchedKeywordLength = hit.length;
        return hit.position;
    }

    int32_t SearchString(std::string_view text) { return Search(KeywordList::Explicit, text); }
    int32_t SearchStringTeen(std::string_view text) { return Search(KeywordList::Teen, text); }
    int32_t SearchStringGay(std::string_view text) { return Search(KeywordList::Gay, text); }
    int32_t SearchStringGambling(std::string_view text) {
        return Search(KeywordList::Gambling, text);
    }
    int32_t SearchStringPersonals(std::string_view text) {
        return Search(KeywordList::Personals, text);
    }
    int32_t SearchStringSports(std::string_view text) { return Search(KeywordList::Sports, text); }
    int32_t SearchStringOther(std::string_view text) { return Search(KeywordList::News, text); }

    int32_t MatchedKeywordLength = 0;
};

} // namespace vorlith
