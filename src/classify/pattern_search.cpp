#include "classify/pattern_search.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstring>
#include <limits>
#include <map>

namespace vorlith {
namespace {
constexpr uint32_t kNone = std::numeric_limits<uint32_t>::max();
constexpr size_t kLongestText = static_cast<size_t>(std::numeric_limits<int32_t>::max());

// Setting bit 5 of each byte makes an ASCII letter's two cases one key (and merges a few other
// pairs of bytes, which the comparison after a filter tells apart), so the filters need no
// folding. Keys hold their first byte lowest.
constexpr uint32_t kLooseCase = 0x20202020;
constexpr uint32_t kThreeBytes = 0xFFFFFF;
constexpr uint32_t kTwoBytes = 0xFFFF;

uint32_t keyOf(const unsigned char* bytes, size_t count) {
    uint32_t key = 0;
    for (size_t i = 0; i < count; ++i)
        key |= static_cast<uint32_t>(bytes[i]) << (8 * i);
    return key;
}

// A filter's index of a key: few enough bits that a filter (a byte per index) stays in the
// fastest cache.
uint32_t filterHash(uint32_t looseKey) {
    return (looseKey * 0x9E3779B1u) >> (32 - 13);
}

unsigned char lowerAscii(unsigned char byte) {
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}
} // namespace

std::string FoldCase(std::string_view text) {
    std::string folded(text.size(), '\0');
    unsigned char previous = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        folded[i] = static_cast<char>(FoldByte(previous, byte));
        previous = byte;
    }
    return folded;
}

FirstEntrySearch::FirstEntrySearch(const std::vector<std::vector<std::string>>& lists)
    : m_listCount(lists.size()) {
    // Every distinct folded entry becomes one pattern of the automaton, however many lists hold
    // it; the lists it belongs to are its members.
    std::map<std::string, std::vector<Member>> memberships;
    for (size_t list = 0; list < lists.size(); ++list) {
        for (size_t entry = 0; entry < lists[list].size(); ++entry) {
            std::string folded = FoldCase(lists[list][entry]);
            if (folded.empty() || folded.size() > kLongestText)
                continue;
            memberships[folded].push_back(
                {static_cast<uint32_t>(list), static_cast<uint32_t>(entry)});
        }
    }

    // Only the bytes the entries use get a class of their own; every other byte shares class 0,
    // which keeps the transition table small enough to stay in the cache.
    for (const auto& [folded, members] : memberships) {
        for (char c : folded) {
            auto byte = static_cast<unsigned char>(c);
            if (m_classOf[byte] == 0)
                m_classOf[byte] = static_cast<uint16_t>(m_classCount++);
        }
    }
    // Upper-case ASCII letters are folded before the lookup, but give them their lower-case
    // class as well so that the table alone is right for ASCII text.
    for (int byte = 'A'; byte <= 'Z'; ++byte)
        m_classOf[static_cast<size_t>(byte)] = m_classOf[static_cast<size_t>(byte + 'a' - 'A')];

    m_next.assign(m_classCount, kNone);
    m_patternAt.assign(1, -1);
    std::vector<std::string> patternTexts;
    for (const auto& [folded, members] : memberships) {
        const uint32_t state = addPattern(folded);
        m_patternAt[state] = static_cast<int32_t>(m_patterns.size());
        m_patterns.push_back({static_cast<int32_t>(folded.size()),
                              static_cast<uint32_t>(m_members.size()),
                              static_cast<uint32_t>(members.size())});
        m_members.insert(m_members.end(), members.begin(), members.end());
        patternTexts.push_back(folded);
    }
    buildTransitions();
    buildSampledFilters(patternTexts);
}

FirstEntrySearch::Filter
FirstEntrySearch::buildFilter(const std::vector<std::vector<Candidate>>& byHash) {
    Filter filter;
    filter.passes.assign(byHash.size(), 0);
    filter.first.assign(byHash.size() + 1, 0);
    for (size_t hash = 0; hash < byHash.size(); ++hash) {
        filter.first[hash] = static_cast<uint32_t>(filter.candidates.size());
        filter.passes[hash] = byHash[hash].empty() ? 0 : 1;
        // A pattern starting one before the position comes first, so that the starts compared
        // never go backwards.
        for (uint32_t offset : {1u, 0u})
            for (const Candidate& candidate : byHash[hash])
                if (candidate.offset == offset)
                    filter.candidates.push_back(candidate);
    }
    filter.first[byHash.size()] = static_cast<uint32_t>(filter.candidates.size());
    return filter;
}

void FirstEntrySearch::buildSampledFilters(const std::vector<std::string>& folded) {
    const bool fits = std::all_of(folded.begin(), folded.end(), [](const std::string& text) {
        return text.size() >= 3 && std::all_of(text.begin(), text.end(), [](char c) {
                   return static_cast<unsigned char>(c) < 0x80;
               });
    });
    if (!fits)
        return;
    static_assert(kHashBits == 13, "filterHash gives 13 bits");
    const size_t hashes = size_t{1} << kHashBits;
    std::vector<std::vector<Candidate>> trigrams(hashes), bigrams(hashes);
    for (size_t pattern = 0; pattern < folded.size(); ++pattern) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(folded[pattern].data());
        const auto index = static_cast<uint32_t>(pattern);
        trigrams[filterHash(keyOf(bytes, 3) | kLooseCase)].push_back({index, 0});
        if (folded[pattern].size() >= 4)
            trigrams[filterHash(keyOf(bytes + 1, 3) | kLooseCase)].push_back({index, 1});
        else // one that starts at an odd position: its first two bytes follow the even one
            bigrams[filterHash(keyOf(bytes, 2) | kLooseCase)].push_back({index, 0});
    }
    m_trigrams = buildFilter(trigrams);
    m_bigrams = buildFilter(bigrams);
    m_patternTexts = folded;
    m_sampled = true;
}

uint32_t FirstEntrySearch::addPattern(std::string_view folded) {
    uint32_t state = 0;
    for (char c : folded) {
        const size_t slot = state * m_classCount + m_classOf[static_cast<unsigned char>(c)];
        if (m_next[slot] == kNone) {
            const auto created = static_cast<uint32_t>(m_patternAt.size());
            m_next[slot] = created;
            m_next.resize(m_next.size() + m_classCount, kNone);
            m_patternAt.push_back(-1);
        }
        state = m_next[slot];
    }
    return state;
}

void FirstEntrySearch::buildTransitions() {
    // Breadth-first over the trie: a state's failure state is shallower, so its row is complete
    // when the state's own missing transitions are copied from it.
    const size_t stateCount = m_patternAt.size();
    std::vector<uint32_t> failure(stateCount, 0);
    m_outputLink.assign(stateCount, -1);
    m_nextOutput.assign(stateCount, -1);
    std::vector<uint32_t> queue;
    queue.reserve(stateCount);
    for (uint32_t c = 0; c < m_classCount; ++c) {
        uint32_t& target = m_next[c];
        if (target == kNone) {
            target = 0;
        } else {
            failure[target] = 0;
            queue.push_back(target);
        }
    }
    for (size_t head = 0; head < queue.size(); ++head) {
        const uint32_t state = queue[head];
        const uint32_t fail = failure[state];
        m_outputLink[state] =
            m_patternAt[state] >= 0 ? static_cast<int32_t>(state) : m_outputLink[fail];
        if (m_patternAt[state] >= 0)
            m_nextOutput[state] = m_outputLink[fail];
        for (uint32_t c = 0; c < m_classCount; ++c) {
            uint32_t& target = m_next[state * m_classCount + c];
            if (target == kNone) {
                target = m_next[fail * m_classCount + c];
            } else {
                failure[target] = m_next[fail * m_classCount + c];
                queue.push_back(target);
            }
        }
    }
}

bool FirstEntrySearch::record(const Pattern& pattern, size_t start, std::span<ListMatch> matches,
                              size_t& undecided) const {
    const auto position = static_cast<int32_t>(start + 1);
    for (uint32_t m = 0; m < pattern.memberCount; ++m) {
        const Member& member = m_members[pattern.firstMember + m];
        ListMatch& match = matches[member.list];
        // The first time a pattern is seen is its first occurrence; a later entry of a list
        // never replaces an earlier one.
        if (match.entry >= 0 && static_cast<uint32_t>(match.entry) <= member.entry)
            continue;
        match = {position, pattern.length, static_cast<int32_t>(member.entry)};
        if (member.entry == 0 && --undecided == 0)
            return false;
    }
    return true;
}

void FirstEntrySearch::find(std::string_view text, std::span<ListMatch> matches) const {
    assert(matches.size() == m_listCount && "one match per list");
    for (ListMatch& match : matches)
        match = ListMatch{};
    if (m_sampled) {
        findSampled(text, matches);
        return;
    }
    size_t undecided = matches.size(); // lists whose first entry has not been seen yet

    const size_t length = std::min(text.size(), kLongestText);
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    uint32_t state = 0;
    unsigned char previous = 0;
    for (size_t i = 0; i < length; ++i) {
        const unsigned char byte = bytes[i];
        state = m_next[state * m_classCount + m_classOf[FoldByte(previous, byte)]];
        previous = byte;
        for (int32_t output = m_outputLink[state]; output >= 0;
             output = m_nextOutput[static_cast<size_t>(output)]) {
            const Pattern& pattern = m_patterns[static_cast<size_t>(m_patternAt[output])];
            if (!record(pattern, i + 1 - static_cast<size_t>(pattern.length), matches, undecided))
                return;
        }
    }
}

bool FirstEntrySearch::compareAt(const unsigned char* bytes, size_t length, int64_t start,
                                 uint32_t pattern, std::span<ListMatch> matches,
                                 size_t& undecided) const {
    const std::string& text = m_patternTexts[pattern];
    if (start < 0 || text.size() > length - static_cast<size_t>(start))
        return true;
    // Patterns are ASCII, so a byte matches a pattern's byte only when its ASCII lower case is
    // that byte: the Latin-1 folding of UTF-8 text never makes an ASCII byte.
    const unsigned char* at = bytes + start;
    for (size_t k = 0; k < text.size(); ++k)
        if (lowerAscii(at[k]) != static_cast<unsigned char>(text[k]))
            return true;
    return record(m_patterns[pattern], static_cast<size_t>(start), matches, undecided);
}

bool FirstEntrySearch::comparePassed(const Filter& filter, uint32_t key,
                                     const unsigned char* bytes, size_t length, int64_t position,
                                     std::span<ListMatch> matches, size_t& undecided) const {
    const uint32_t hash = filterHash(key | kLooseCase);
    for (uint32_t at = filter.first[hash]; at < filter.first[hash + 1]; ++at) {
        const Candidate& candidate = filter.candidates[at];
        if (!compareAt(bytes, length, position - candidate.offset, candidate.pattern, matches,
                       undecided))
            return false;
    }
    return true;
}

void FirstEntrySearch::findSampled(std::string_view text, std::span<ListMatch> matches) const {
    size_t undecided = matches.size();
    const size_t length = std::min(text.size(), kLongestText);
    if (length < 3)
        return;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const uint8_t* trigrams = m_trigrams.passes.data();
    const uint8_t* bigrams = m_bigrams.passes.data();
    // The even positions whose three bytes lie within the text: every pattern occurrence is
    // found from one of them (see the filters).
    const size_t positions = length - 2;
    // Four even positions at a time from twelve bytes, tested without a branch; most blocks hold
    // none that a filter lets through. The text's last bytes are looked at in a copy padded with
    // zeros, whose keys at most pass a filter by chance; the comparisons read the text itself.
    const auto scan = [&](const unsigned char* window, size_t first, size_t count) {
        uint64_t low = 0, high = 0; // bytes 0 to 7 and 4 to 11 of the window
        for (size_t i = 0; i < 8; ++i) {
            low |= static_cast<uint64_t>(window[i]) << (8 * i);
            high |= static_cast<uint64_t>(window[i + 4]) << (8 * i);
        }
        const auto three = [](uint64_t word, int at) {
            return static_cast<uint32_t>(word >> (8 * at)) & kThreeBytes;
        };
        const auto two = [](uint64_t word, int at) {
            return static_cast<uint32_t>(word >> (8 * at)) & kTwoBytes;
        };
        const auto passes = [](const uint8_t* filter, uint32_t key) -> uint32_t {
            return filter[filterHash(key | kLooseCase)];
        };
        // Key 2k: the three bytes from position first + 2k; key 2k + 1: the two after it.
        const uint32_t keys[8] = {three(low, 0), two(low, 1), three(low, 2), two(low, 3),
                                  three(low, 4), two(low, 5), three(high, 2), two(high, 3)};
        uint32_t passed = 0;
        for (uint32_t k = 0; k < 8; ++k)
            passed |= passes(k & 1 ? bigrams : trigrams, keys[k]) << k;
        passed &= (1u << (2 * count)) - 1;
        while (passed != 0) {
            const auto k = static_cast<size_t>(std::countr_zero(passed));
            passed &= passed - 1;
            const auto position = static_cast<int64_t>(first + (k & ~size_t{1}));
            const bool passedAfter = (k & 1) != 0;
            if (!comparePassed(passedAfter ? m_bigrams : m_trigrams, keys[k], bytes, length,
                               passedAfter ? position + 1 : position, matches, undecided))
                return false;
        }
        return true;
    };
    size_t position = 0;
    for (; position + 12 <= length; position += 8) {
        if (!scan(bytes + position, position, 4))
            return;
    }
    unsigned char padded[24] = {};
    std::memcpy(padded, bytes + position, length - position); // fewer than 12 bytes
    for (size_t at = 0; position < positions; position += 8, at += 8) {
        const size_t count = std::min<size_t>(4, (positions - position + 1) / 2);
        if (!scan(padded + at, position, count))
            return;
    }
}

} // namespace vorlith
