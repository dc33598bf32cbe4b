#include "classify/keywords.h"
#include "classify/pattern_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace vorlith {
namespace {

std::vector<std::string> EntriesOf(KeywordList list) {
    auto entries = KeywordEntries(list);
    return {entries.begin(), entries.end()};
}

// Every entry is lower-case printable ASCII and decides a search of an address holding it,
// unless an earlier entry of its list is part of it: only the explicit list's entries 2, 3, 4
// (runs of its first letter), 27 (a repeat of entry 17) and 40 are such entries.
TEST(KeywordLists, HaveTheirSizesAndEveryOtherEntryCanDecide) {
    const size_t sizes[kKeywordListCount] = {74, 3, 5, 11, 22, 6, 9};
    for (size_t index = 0; index < kKeywordListCount; ++index) {
        const auto list = static_cast<KeywordList>(index);
        const auto words = EntriesOf(list);
        EXPECT_EQ(words.size(), sizes[index]);
        for (size_t position = 1; position <= words.size(); ++position) {
            const std::string& word = words[position - 1];
            SCOPED_TRACE(testing::Message() << "list " << index << " entry " << position);
            EXPECT_TRUE(!word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
                return c > ' ' && c < 0x7F && !(c >= 'A' && c <= 'Z');
            })) << word;
            bool shadowed = false;
            for (size_t earlier = 0; earlier + 1 < position; ++earlier)
                shadowed = shadowed || word.find(words[earlier]) != std::string::npos;
            const std::set<size_t> known = {2, 3, 4, 27, 40};
            EXPECT_EQ(shadowed, list == KeywordList::Explicit && known.contains(position));
            const KeywordHit hit = FindKeyword(list, "http://a.example/" + word);
            EXPECT_EQ(hit.position, 18);
            EXPECT_EQ(hit.length == static_cast<int32_t>(word.size()), !shadowed || position == 27);
        }
    }
    // The teen entries 1 and 3 and the first four gay entries stand in the explicit list too;
    // the fifth gay entry is the one way for an address to be on the gay list alone.
    const auto explicitWords = EntriesOf(KeywordList::Explicit);
    const auto teen = EntriesOf(KeywordList::Teen), gay = EntriesOf(KeywordList::Gay);
    EXPECT_EQ(explicitWords[28] + explicitWords[30], "teen" + teen[2]);
    EXPECT_EQ(std::vector(explicitWords.begin() + 31, explicitWords.begin() + 35),
              std::vector(gay.begin(), gay.begin() + 4));
    EXPECT_FALSE(FindKeyword(KeywordList::Explicit, gay[4]));
}

TEST(KeywordSearch, FirstEntryInListOrderDecidesAndGivesItsPositionAndLength) {
    using enum KeywordList;
    const std::tuple<KeywordList, std::string, int32_t, int32_t> cases[] = {
        {Gambling, "", 0, 0},
        {Gambling, "casino-gambling.example", 8, 8}, // entry 1 wins over the earlier entry 2
        {Gambling, "Best-PokerRoom.EXAMPLE", 6, 5},
        {Sports, "transports.example", 5, 6},
        {Gambling, "http://x.example/a-poker/b-poker.jpg", 20, 5}, // the first occurrence
        {News, "http://WWW.BBC.CO.UK/news", 12, 9},
        {News, "http://bbc.co.example/", 0, 0},
        {Teen, "http://nude-teen.example/", 13, 4}, // both lists match, each at its own place
        {Explicit, "http://nude-teen.example/", 8, 4},
        {Explicit, "http://XXXXXX.example/", 8, 3}, // entry 1 decides within the longer runs
        {Gambling, "\u00DCBER-POKER", 7, 5},        // bytes count: the letter takes two
        {Gay, "GAY", 1, 3},
        {Personals, "nothing here", 0, 0}};
    for (const auto& [list, text, position, length] : cases) {
        SCOPED_TRACE(text);
        const KeywordHit hit = FindKeyword(list, text);
        EXPECT_EQ(hit.position, position);
        EXPECT_EQ(hit.length, position > 0 ? length : 0);
        EXPECT_EQ(FindKeywords(text)[list].position, position);
    }
}

TEST(KeywordSearch, MatchedLengthChangesOnlyOnAMatch) {
    KeywordSearch search;
    EXPECT_EQ(search.SearchStringGambling("") + search.MatchedKeywordLength, 0);
    EXPECT_EQ(search.SearchStringGambling("casino-gambling.example"), 8);
    EXPECT_EQ(search.SearchStringSports("casino-gambling.example"), 0);
    EXPECT_EQ(search.MatchedKeywordLength, 8);
    EXPECT_EQ(search.Record(KeywordHit{}) + search.SearchStringTeen("x"), 0);
    EXPECT_EQ(search.Record(KeywordHit{3, 7}), 3); // a result found earlier, as if just now
    EXPECT_EQ(search.MatchedKeywordLength, 7);
}

// The search against the plain definition: for each list, the first entry in list order that
// occurs without regard to ASCII case, at its first occurrence. The texts are made of pieces of
// the entries, so that partial matches, overlaps and failure paths are exercised. With an entry
// shorter than three bytes the automaton searches; with only longer ASCII entries (the keyword
// lists) the filters over every second position do, and runs of one letter test that each
// occurrence is found from the right position.
TEST(FirstEntrySearch, AgreesWithThePlainSearchOnRandomTexts) {
    // The keyword lists alone (searched by the keys of three bytes), and with a list of entries
    // too short for keys (searched by the automaton).
    const std::vector<std::string> extraLists[] = {
        {},
        {"aab", "ab", "b", "abab", "baba"}, // overlapping suffix chains
        {"aaa", "aaaa", "aab", "abab", "bab", "xyx"}};
    for (const auto& extra : extraLists) {
        SCOPED_TRACE(extra.empty() ? "keyword lists" : extra[1]);
        std::vector<std::vector<std::string>> lists;
        std::vector<std::string> pieces = {"-", "/", ".", "X", "\xC3\x89", "com",
                                           "a", "b", "A", "B", "aa"};
        for (size_t index = 0; index < kKeywordListCount; ++index)
            lists.push_back(EntriesOf(static_cast<KeywordList>(index)));
        if (!extra.empty())
            lists.push_back(extra);
        for (const auto& list : lists)
            for (const std::string& word : list)
                pieces.insert(pieces.end(), {word, word.substr(0, 2),
                                             word.substr(std::min<size_t>(2, word.size()))});
        const FirstEntrySearch search(lists);
        std::mt19937 random(12345);
        std::vector<ListMatch> matches(lists.size());
        for (int round = 0; round < 3000; ++round) {
            std::string text;
            for (int count = random() % 13; count > 0; --count)
                text += pieces[random() % pieces.size()];
            for (char& c : text)
                c = c >= 'a' && c <= 'z' && random() % 3 == 0 ? c - 32 : c;
            SCOPED_TRACE(text);
            search.find(text, matches);
            std::string lower = text;
            std::transform(lower.begin(), lower.end(), lower.begin(),
                           [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
            for (size_t list = 0; list < lists.size(); ++list) {
                ListMatch expected;
                for (size_t entry = 0; entry < lists[list].size() && expected.entry < 0; ++entry) {
                    if (size_t at = lower.find(lists[list][entry]); at != std::string::npos)
                        expected = {int32_t(at) + 1, int32_t(lists[list][entry].size()),
                                    int32_t(entry)};
                }
                ASSERT_EQ(
                    std::tuple(matches[list].position, matches[list].length, matches[list].entry),
                    std::tuple(expected.position, expected.length, expected.entry))
                    << "list " << list;
            }
        }
    }
}

// Lists with hundreds of beginnings, and with hundreds of entries of one beginning (more than
// the keyed search takes: the automaton searches those).
TEST(FirstEntrySearch, FindsEveryEntryOfListsWithManyBeginningsOrManyOfOne) {
    std::vector<std::string> manyBeginnings, manyOfOne;
    for (char first = 'a'; first <= 'z'; ++first) {
        for (char second : std::string_view("aeiouy")) {
            for (char third : std::string_view("bn")) {
                manyBeginnings.push_back(std::string{first, second, third, 'k'});
                manyOfOne.push_back(std::string{'a', 'b', 'c', first, second, third});
            }
        }
    }
    for (const auto& list : {manyBeginnings, manyOfOne}) {
        const FirstEntrySearch search({list});
        std::vector<ListMatch> matches(1);
        for (size_t entry = 0; entry < list.size(); ++entry) {
            for (const std::string before : {"-", "--"}) {
                search.find(before + list[entry] + "-", matches);
                ASSERT_EQ(std::tuple(matches[0].position, matches[0].length, matches[0].entry),
                          std::tuple(int32_t(before.size()) + 1, int32_t(list[entry].size()),
                                     int32_t(entry)))
                    << before << list[entry];
            }
        }
    }
}

TEST(FirstEntrySearch, FoldsLatin1LettersOfUtf8Text) {
    const FirstEntrySearch search({{"caf\xC3\xA9", "\xC3\xB7"}, {}});
    std::vector<ListMatch> matches(2);
    search.find("LE CAF\xC3\x89!", matches); // "LE CAFÉ!"
    EXPECT_EQ(std::tuple(matches[0].position, matches[0].length, matches[0].entry),
              std::tuple(4, 5, 0));
    EXPECT_EQ(matches[1].position, 0); // an empty list never matches
    search.find("\xC3\x97", matches);  // the multiplication sign is not the capital of ÷
    EXPECT_EQ(matches[0].position, 0);
    search.find("caf\xC4\x89", matches); // a continuation byte after another lead byte
    EXPECT_EQ(matches[0].position, 0);
    EXPECT_EQ(FoldCase("A\xC3\x80Z\xC3\x9E\xC3\x97"), "a\xC3\xA0z\xC3\xBE\xC3\x97");
}

} // namespace
} // namespace vorlith
