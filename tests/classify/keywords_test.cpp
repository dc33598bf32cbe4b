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

std::vector<std::string> entriesOf(KeywordList list) {
    auto entries = KeywordEntries(list);
    return {entries.begin(), entries.end()};
}

// 1-based access, as the lists are described.
std::string entry(KeywordList list, size_t position) {
    return std::string(KeywordEntries(list)[position - 1]);
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(KeywordLists, HaveTheirSizes) {
    const std::pair<KeywordList, size_t> sizes[] = {
        {KeywordList::Explicit, 74}, {KeywordList::Teen, 3},       {KeywordList::Gay, 5},
        {KeywordList::Gambling, 11}, {KeywordList::Personals, 22}, {KeywordList::Sports, 6},
        {KeywordList::News, 9}};
    for (auto [list, size] : sizes) {
        SCOPED_TRACE(static_cast<int>(list));
        EXPECT_EQ(KeywordEntries(list).size(), size);
        for (const std::string& word : entriesOf(list)) {
            EXPECT_FALSE(word.empty());
            EXPECT_TRUE(std::all_of(word.begin(), word.end(), [](char c) {
                return c > ' ' && c < 0x7F && !(c >= 'A' && c <= 'Z');
            })) << word;
        }
    }
}

TEST(KeywordLists, ExplicitListHasItsRepeatAndOverlaps) {
    const auto words = entriesOf(KeywordList::Explicit);
    EXPECT_EQ(std::set<std::string>(words.begin(), words.end()).size(), 73u);
    EXPECT_EQ(entry(KeywordList::Explicit, 17), entry(KeywordList::Explicit, 27));

    // Four runs of one letter, lengths 3 to 6.
    const char letter = entry(KeywordList::Explicit, 1)[0];
    for (size_t position = 1; position <= 4; ++position)
        EXPECT_EQ(entry(KeywordList::Explicit, position), std::string(position + 2, letter));

    EXPECT_EQ(entry(KeywordList::Explicit, 29), entry(KeywordList::Teen, 1));
    EXPECT_EQ(entry(KeywordList::Explicit, 31), entry(KeywordList::Teen, 3));
    for (size_t position = 1; position <= 4; ++position)
        EXPECT_EQ(entry(KeywordList::Explicit, 31 + position), entry(KeywordList::Gay, position));
    EXPECT_EQ(entry(KeywordList::Teen, 1), "teen");
    EXPECT_EQ(entry(KeywordList::Gay, 1), "gay");
    // The fifth gay entry is the one way for an address to be on the gay list alone.
    EXPECT_FALSE(FindKeyword(KeywordList::Explicit, entry(KeywordList::Gay, 5)));
}

// An entry can decide a search unless an earlier entry of its list is part of it. Only the
// explicit list's entries 2, 3, 4, 27 and 40 are such entries.
TEST(KeywordLists, EveryEntryButTheKnownOnesCanDecide) {
    for (size_t index = 0; index < kKeywordListCount; ++index) {
        const auto list = static_cast<KeywordList>(index);
        const auto words = entriesOf(list);
        for (size_t position = 1; position <= words.size(); ++position) {
            const std::string& word = words[position - 1];
            SCOPED_TRACE(word);
            bool shadowed = false;
            for (size_t earlier = 0; earlier + 1 < position; ++earlier)
                shadowed = shadowed || contains(word, words[earlier]);
            const bool known =
                list == KeywordList::Explicit && (position == 2 || position == 3 || position == 4 ||
                                                  position == 27 || position == 40);
            EXPECT_EQ(shadowed, known) << "list " << index << " entry " << position;

            // Searching the entry alone finds it, or the earlier entry inside it.
            KeywordHit hit = FindKeyword(list, "http://a.example/" + word);
            ASSERT_TRUE(hit);
            if (known) {
                EXPECT_LT(hit.length, static_cast<int32_t>(word.size()) + (position == 27));
            } else {
                EXPECT_EQ(hit.length, static_cast<int32_t>(word.size()));
            }
        }
    }
}

TEST(KeywordLists, NamedEntriesStandInTheirPlaces) {
    EXPECT_EQ(
        entriesOf(KeywordList::Gambling),
        (std::vector<std::string>{"gambling", "casino", "betting", "poker", "roulette", "blackjack",
                                  "slots", "jackpot", "baccarat", "craps", "goldenpalace"}));
    const std::pair<size_t, const char*> personals[] = {
        {1, "myspace"},       {2, "facebook"},   {4, "personals"}, {5, "dating"},
        {6, "eharmony"},      {7, "friendster"}, {9, "lavalife"},  {10, "friendfinder"},
        {11, "plentyoffish"}, {12, "jdate"},     {13, "theknot"},  {14, "jeevansathi"},
        {16, "singlesnet"}};
    for (auto [position, word] : personals)
        EXPECT_EQ(entry(KeywordList::Personals, position), word);
    for (size_t position : {3, 8, 15, 17, 18, 19, 20, 21, 22})
        EXPECT_TRUE(entry(KeywordList::Personals, position).ends_with(".com")) << position;

    EXPECT_EQ(entry(KeywordList::Sports, 1), "espn");
    EXPECT_EQ(entry(KeywordList::Sports, 2), "sports");
    for (size_t position = 3; position <= 6; ++position)
        EXPECT_TRUE(entry(KeywordList::Sports, position).ends_with(".com")) << position;

    const auto news = entriesOf(KeywordList::News);
    EXPECT_TRUE(news[0].ends_with(".com"));
    EXPECT_EQ(std::vector<std::string>(news.begin() + 1, news.end() - 1),
              (std::vector<std::string>{"foxnews", "cbsnews", "abcnews", "msnbc", "nytimes",
                                        "washingtonpost", "usatoday"}));
    EXPECT_TRUE(news[8].ends_with(".co.uk"));
}

TEST(KeywordSearchContract, PositionLengthAndOrder) {
    struct Case {
        KeywordList list;
        std::string text;
        int32_t position;
        int32_t length;
    };
    const Case cases[] = {
        {KeywordList::Gambling, "", 0, 0},
        // The first entry in list order decides, not the earliest in the text.
        {KeywordList::Gambling, "casino-gambling.example", 8, 8},
        {KeywordList::Gambling, "Best-PokerRoom.EXAMPLE", 6, 5},
        {KeywordList::Gambling, "POKER", 1, 5},
        {KeywordList::Sports, "transports.example", 5, 6},
        // Only the first occurrence counts.
        {KeywordList::Gambling, "http://x.example/a-poker/b-poker.jpg", 20, 5},
        {KeywordList::News, "http://WWW.BBC.CO.UK/news", 12, 9},
        {KeywordList::News, "http://bbc.co.example/", 0, 0},
        // Both lists match a text with a teen word and an explicit word, each at its own place.
        {KeywordList::Teen, "http://nude-teen.example/", 13, 4},
        {KeywordList::Explicit, "http://nude-teen.example/", 8, 4},
        // Entry 1 of the explicit list decides within the longer runs.
        {KeywordList::Explicit, "http://XXXXXX.example/", 8, 3},
        // Bytes count: the two-byte letter before the match moves it by two.
        {KeywordList::Gambling,
         "\xC3\x9c"
         "BER-POKER",
         7, 5},
        {KeywordList::Gay, "GAY", 1, 3},
        {KeywordList::Personals, "nothing here", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        KeywordHit hit = FindKeyword(c.list, c.text);
        EXPECT_EQ(hit.position, c.position);
        if (c.position > 0) {
            EXPECT_EQ(hit.length, c.length);
        }
        EXPECT_EQ(FindKeywords(c.text)[c.list].position, c.position);
    }
}

TEST(KeywordSearchContract, MatchedLengthChangesOnlyOnAMatch) {
    KeywordSearch search;
    EXPECT_EQ(search.SearchStringGambling(""), 0);
    EXPECT_EQ(search.MatchedKeywordLength, 0);
    EXPECT_EQ(search.SearchStringGambling("casino-gambling.example"), 8);
    EXPECT_EQ(search.MatchedKeywordLength, 8);
    EXPECT_EQ(search.SearchStringSports("casino-gambling.example"), 0);
    EXPECT_EQ(search.MatchedKeywordLength, 8);
    EXPECT_EQ(search.SearchStringOther("msnbc.example"), 1);
    EXPECT_EQ(search.MatchedKeywordLength, 5);
    EXPECT_EQ(search.Record(KeywordHit{}), 0);
    EXPECT_EQ(search.MatchedKeywordLength, 5);
    EXPECT_EQ(search.Record(KeywordHit{3, 7}), 3);
    EXPECT_EQ(search.MatchedKeywordLength, 7);
    EXPECT_EQ(search.SearchStringTeen("x"), 0);
    EXPECT_EQ(search.SearchStringGay("x"), 0);
    EXPECT_EQ(search.SearchString("x"), 0);
    EXPECT_EQ(search.SearchStringPersonals("x"), 0);
    EXPECT_EQ(search.MatchedKeywordLength, 7);
}

TEST(KeywordMemo, SearchesEachTextOnceAndAnswersLikeTheSearch) {
    const std::vector<std::string> texts = {"http://poker.example/nude.jpg", "http://cnn.com/",
                                            "plain"};
    KeywordMemo memo(texts.size());
    for (int round = 0; round < 3; ++round) {
        for (size_t index = 0; index < texts.size(); ++index) {
            for (size_t list = 0; list < kKeywordListCount; ++list) {
                const auto which = static_cast<KeywordList>(list);
                KeywordHit expected = FindKeyword(which, texts[index]);
                KeywordHit got = memo.hit(which, index, texts[index]);
                EXPECT_EQ(got.position, expected.position);
                EXPECT_EQ(got.length, expected.length);
            }
        }
    }
    EXPECT_EQ(memo.searchedCount(), texts.size());
    // Outside the set: searched, not remembered.
    EXPECT_EQ(memo.hit(KeywordList::Gambling, 99, "casino").position, 1);
    EXPECT_EQ(memo.hit(KeywordList::Gambling, 99, "no").position, 0);
    EXPECT_EQ(memo.searchedCount(), texts.size());
}

// The automaton against the plain definition: for each entry in list order, the first
// case-insensitive occurrence. Texts are made of pieces of the entries so that partial matches,
// overlaps and failure paths are exercised.
TEST(FirstEntrySearch, AgreesWithThePlainSearchOnRandomTexts) {
    std::vector<std::vector<std::string>> lists;
    std::vector<std::string> pieces = {"-", "/", ".", "X", "\xC3\x89", "com"};
    for (size_t index = 0; index < kKeywordListCount; ++index) {
        lists.push_back(entriesOf(static_cast<KeywordList>(index)));
        for (const std::string& word : lists.back()) {
            pieces.push_back(word.substr(0, word.size() / 2));
            pieces.push_back(word.substr(word.size() / 2));
            pieces.push_back(word);
        }
    }
    lists.push_back({"aab", "ab", "b", "abab", "baba"}); // overlapping suffix chains
    pieces.insert(pieces.end(), {"a", "b", "A", "B"});
    const FirstEntrySearch search(lists);

    std::mt19937 random(12345);
    std::uniform_int_distribution<size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<int> count(0, 12);
    std::vector<ListMatch> matches(lists.size());
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        for (int n = count(random); n > 0; --n) {
            std::string piece = pieces[pick(random)];
            if (random() % 3 == 0)
                std::transform(piece.begin(), piece.end(), piece.begin(),
                               [](char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; });
            text += piece;
        }
        SCOPED_TRACE(text);
        search.find(text, matches);
        std::string lower = text;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
        for (size_t list = 0; list < lists.size(); ++list) {
            int32_t position = 0, length = 0;
            for (const std::string& word : lists[list]) {
                size_t at = lower.find(word);
                if (at != std::string::npos) {
                    position = static_cast<int32_t>(at) + 1;
                    length = static_cast<int32_t>(word.size());
                    break;
                }
            }
            ASSERT_EQ(matches[list].position, position) << "list " << list;
            if (position > 0) {
                ASSERT_EQ(matches[list].length, length) << "list " << list;
            }
        }
    }
}

TEST(FirstEntrySearch, FoldsLatin1LettersOfUtf8Text) {
    const FirstEntrySearch search({{"caf\xC3\xA9", "\xC3\xB7"}, {}});
    std::vector<ListMatch> matches(2);

    search.find("LE CAF\xC3\x89!", matches); // "LE CAFÉ!"
    EXPECT_EQ(matches[0].position, 4);
    EXPECT_EQ(matches[0].length, 5);
    EXPECT_EQ(matches[0].entry, 0);
    EXPECT_EQ(matches[1].position, 0); // an empty list never matches

    // The multiplication sign is not the capital of the division sign.
    search.find("\xC3\x97", matches);
    EXPECT_EQ(matches[0].position, 0);
    // A lone continuation byte after another lead byte is not folded.
    search.find("caf\xC4\x89", matches);
    EXPECT_EQ(matches[0].position, 0);

    EXPECT_EQ(FoldCase("A\xC3\x80Z\xC3\x9E\xC3\x97"), "a\xC3\xA0z\xC3\xBE\xC3\x97");
}

} // namespace
} // namespace vorlith
