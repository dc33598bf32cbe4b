#include "classify/keywords.h"

#include "classify/pattern_search.h"

#include <string>

namespace vorlith {
namespace {

// Adult vocabulary. The order is part of the contract: the four runs of "x" at the top and the
// plural "boobs" can never decide (an earlier entry is part of them), nor can the second "nude";
// the teen words stand at 29 and 31 and the first four gay words at 32 to 35. Apart from those,
// no entry contains an earlier one, so each can decide.
constexpr std::string_view kExplicit[] = {
    "xxx",      "xxxx",     "xxxxx",       "xxxxxx",       "pornstar",  // 1-5
    "hardcore", "hentai",   "playboy",     "penthouse",    "boob",      // 6-10
    "nipple",   "erotic",   "fetish",      "bondage",      "stripper",  // 11-15
    "camgirl",  "nude",     "naked",       "topless",      "escort",    // 16-20
    "hooker",   "orgy",     "milf",        "bukkake",      "blowjob",   // 21-25
    "handjob",  "nude",     "cumshot",     "teen",         "upskirt",   // 26-30
    "jailbait", "gay",      "lesbian",     "queer",        "twink",     // 31-35
    "sexy",     "nsfw",     "xrated",      "centerfold",   "boobs",     // 36-40
    "pussy",    "dildo",    "vibrator",    "masturbation", "threesome", // 41-45
    "gangbang", "creampie", "deepthroat",  "spanking",     "swinger",   // 46-50
    "voyeur",   "sextape",  "pornography", "smut",         "slut",      // 51-55
    "whore",    "horny",    "fuck",        "playmate",     "lingerie",  // 56-60
    "panties",  "thong",    "nympho",      "kinky",        "bdsm",      // 61-65
    "hustler",  "peepshow", "stripclub",   "adult",        "nudist",    // 66-70
    "nudity",   "sex",      "porn",        "hotwife",                   // 71-74
};

constexpr std::string_view kTeen[] = {"teen", "lolita", "jailbait"};

constexpr std::string_view kGay[] = {"gay", "lesbian", "queer", "twink", "lgbt"};

constexpr std::string_view kGambling[] = {"gambling", "casino",    "betting",     "poker",
                                          "roulette", "blackjack", "slots",       "jackpot",
                                          "baccarat", "craps",     "goldenpalace"};

constexpr std::string_view kPersonals[] = {
    "myspace",                // 1
    "facebook",               // 2
    "match.com",              // 3: a large online dating service
    "personals",              // 4
    "dating",                 // 5
    "eharmony",               // 6
    "friendster",             // 7
    "okcupid.com",            // 8: a personality-test and dating community
    "lavalife",               // 9
    "friendfinder",           // 10
    "plentyoffish",           // 11
    "jdate",                  // 12
    "theknot",                // 13
    "jeevansathi",            // 14
    "zoosk.com",              // 15: a dating service
    "singlesnet",             // 16
    "chemistry.com",          // 17: a dating service
    "sugardaddie.com",        // 18-20: sugar-daddy dating services
    "sugardaddyforme.com",    //
    "sugardaddymeet.com",     //
    "seekingarrangement.com", // 21: arrangement dating
    "seekingmillionaire.com", // 22: millionaire dating
};

constexpr std::string_view kSports[] = {"espn",    "sports",  "nba.com",
                                        "mlb.com", "nfl.com", "nhl.com"};

constexpr std::string_view kNews[] = {"cnn.com", "foxnews",        "cbsnews",  "abcnews",  "msnbc",
                                      "nytimes", "washingtonpost", "usatoday", "bbc.co.uk"};

static_assert(std::size(kExplicit) == 74);
static_assert(std::size(kTeen) == 3);
static_assert(std::size(kGay) == 5);
static_assert(std::size(kGambling) == 11);
static_assert(std::size(kPersonals) == 22);
static_assert(std::size(kSports) == 6);
static_assert(std::size(kNews) == 9);

constexpr std::span<const std::string_view> kLists[kKeywordListCount] = {
    kExplicit, kTeen, kGay, kGambling, kPersonals, kSports, kNews};

const FirstEntrySearch& sharedSearch() {
    static const FirstEntrySearch search = [] {
        std::vector<std::vector<std::string>> lists;
        for (std::span<const std::string_view> list : kLists)
            lists.emplace_back(list.begin(), list.end());
        return FirstEntrySearch(lists);
    }();
    return search;
}

} // namespace

std::span<const std::string_view> KeywordEntries(KeywordList list) {
    return kLists[static_cast<size_t>(list)];
}

KeywordHits FindKeywords(std::string_view text) {
    std::array<ListMatch, kKeywordListCount> matches;
    sharedSearch().find(text, matches);
    KeywordHits hits;
    for (size_t list = 0; list < kKeywordListCount; ++list)
        hits.byList[list] = {matches[list].position, matches[list].length};
    return hits;
}

KeywordHit FindKeyword(KeywordList list, std::string_view text) {
    return FindKeywords(text)[list];
}

} // namespace vorlith
