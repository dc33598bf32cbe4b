#pragma once
// Content categories and the seven keyword lists that decide them. A search is a plain
// substring test without regard to case (ASCII, and the Latin-1 letters of 8-bit text); the
// first entry in list order that occurs decides.

#include <cstdint>
#include <string_view>

namespace vorlith {

enum class TraceCategory { Explicit, Teen, Gay, Gambling, Personals, Sports, News, Other };

/// The seven lists, one per category but Other.
enum class KeywordList { Explicit, Teen, Gay, Gambling, Personals, Sports, News };

/// Where the deciding keyword of a list occurs: its 1-based position in the text (0: no entry of
/// the list occurs) and its length.
struct KeywordHit {
    int32_t position = 0;
    int32_t length = 0;
    explicit operator bool() const { return position > 0; }
};

/// The search of one list, without side effects.
KeywordHit FindKeyword(KeywordList list, std::string_view text);

/// The seven search operations with their shared match state: a successful search sets
/// MatchedKeywordLength to the deciding keyword's length; a search that finds nothing leaves it.
class KeywordSearch {
public:
    int32_t Search(KeywordList list, std::string_view text);

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
