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

// Three bytes as one key (keyAt). Setting bit 5 of each byte makes an ASCII letter's
// two cases one key (and merges a few other pairs of bytes, which the comparison after the
// filter tells apart), so the filter needs no folding.
constexpr uint32_t kLooseCase = 0x202020;
constexpr uint32_t kThreeBytes = 0xFFFFFF;

// The three bytes at `bytes`, the first lowest.
uint32_t keyAt(const unsigned char* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16;
}

// The filter's index of a key: few enough bits that the filter (a byte per index) stays in the
// fastest cache.
uint32_t trigramHash(uint32_t looseKey) {
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
    buildTrigramFilter(patternTexts);
}

void FirstEntrySearch::buildTrigramFilter(const std::vector<std::string>& folded) {
    const bool fits = std::all_of(folded.begin(), folded.end(), [](const std::string& text) {
        return text.size() >= 3 && std::all_of(text.begin(), text.end(), [](char c) {
                   return static_cast<unsigned char>(c) < 0x80;
               });
    });
    if (!fits)
        return;
    m_byTrigrams = true;
    m_patternTexts = folded;
    static_assert(kHashBits == 13, "trigramHash gives 13 bits");
    const size_t buckets = size_t{1} << kHashBits;
    m_trigramFilter.assign(buckets, 0);
    std::vector<std::vector<uint32_t>> members(buckets);
    for (size_t pattern = 0; pattern < folded.size(); ++pattern) {
        const uint32_t hash = trigramHash(
            keyAt(reinterpret_cast<const unsigned char*>(folded[pattern].data())) | kLooseCase);
        m_trigramFilter[hash] = 1;
        members[hash].push_back(static_cast<uint32_t>(pattern));
    }
    m_bucketFirst.assign(buckets + 1, 0);
    for (size_t bucket = 0; bucket < buckets; ++bucket) {
        m_bucketFirst[bucket] = static_cast<uint32_t>(m_bucketPatterns.size());
        m_bucketPatterns.insert(m_bucketPatterns.end(), members[bucket].begin(),
                                members[bucket].end());
    }
    m_bucketFirst[buckets] = static_cast<uint32_t>(m_bucketPatterns.size());
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
    if (m_byTrigrams) {
        findByTrigrams(text, matches);
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

bool FirstEntrySearch::matchAt(const unsigned char* bytes, size_t length, size_t start,
                               std::span<ListMatch> matches, size_t& undecided) const {
    const uint32_t bucket = trigramHash(keyAt(bytes + start) | kLooseCase);
    for (uint32_t at = m_bucketFirst[bucket]; at < m_bucketFirst[bucket + 1]; ++at) {
        const uint32_t index = m_bucketPatterns[at];
        const std::string& pattern = m_patternTexts[index];
        if (pattern.size() > length - start)
            continue;
        size_t k = 0;
        while (k < pattern.size() &&
               lowerAscii(bytes[start + k]) == static_cast<unsigned char>(pattern[k]))
            ++k;
        if (k == pattern.size() && !record(m_patterns[index], start, matches, undecided))
            return false;
    }
    return true;
}

void FirstEntrySearch::findByTrigrams(std::string_view text, std::span<ListMatch> matches) const {
    size_t undecided = matches.size();
    const size_t length = std::min(text.size(), kLongestText);
    if (length < 3)
        return;
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const uint8_t* filter = m_trigramFilter.data();
    const auto mayStart = [filter](uint32_t key) -> uint32_t {
        return filter[trigramHash(key | kLooseCase)];
    };
    // Eight starts at a time from twelve bytes read as two words, tested without a branch; most
    // blocks hold no start that the filter lets through. Patterns are ASCII, so a byte matches a
    // pattern's byte only when its ASCII lower case is that byte: the Latin-1 folding of UTF-8
    // text never makes an ASCII byte.
    const size_t starts = length - 2;
    size_t block = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (; block + 12 <= length; block += 8) {
            uint64_t low, high; // bytes 0 to 7 and 4 to 11 of the block
            std::memcpy(&low, bytes + block, 8);
            std::memcpy(&high, bytes + block + 4, 8);
            const auto key = [](uint64_t word, int at) {
                return static_cast<uint32_t>(word >> (8 * at)) & kThreeBytes;
            };
            uint32_t candidates = mayStart(key(low, 0)) | mayStart(key(low, 1)) << 1 |
                                  mayStart(key(low, 2)) << 2 | mayStart(key(low, 3)) << 3 |
                                  mayStart(key(low, 4)) << 4 | mayStart(key(low, 5)) << 5 |
                                  mayStart(key(high, 2)) << 6 | mayStart(key(high, 3)) << 7;
            while (candidates != 0) {
                const auto j = static_cast<size_t>(std::countr_zero(candidates));
                candidates &= candidates - 1;
                if (!matchAt(bytes, length, block + j, matches, undecided))
                    return;
            }
        }
    }
    for (; block < starts; ++block) {
        if (mayStart(keyAt(bytes + block)) && !matchAt(bytes, length, block, matches, undecided))
            return;
    }
}

} // namespace vorlith
