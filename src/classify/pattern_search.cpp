#include "classify/pattern_search.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <limits>
#include <map>

namespace vorlith {
namespace {
constexpr uint32_t kNone = std::numeric_limits<uint32_t>::max();
constexpr size_t kLongestText = static_cast<size_t>(std::numeric_limits<int32_t>::max());

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
    buildTrigramIndex(patternTexts);
}

void FirstEntrySearch::buildTrigramIndex(const std::vector<std::string>& folded) {
    std::array<uint8_t, 256> codeOf{};
    for (int letter = 0; letter < 26; ++letter) {
        codeOf[static_cast<size_t>('a' + letter)] = static_cast<uint8_t>(1 + letter);
        codeOf[static_cast<size_t>('A' + letter)] = static_cast<uint8_t>(1 + letter);
    }
    uint8_t nextCode = 27; // codes 27 to 31 for the other bytes the entries use
    for (const std::string& text : folded) {
        if (text.size() < 3)
            return;
        for (char c : text) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte >= 0x80 || (byte >= 'A' && byte <= 'Z')) // folded entries are lower case
                return;
            if (codeOf[byte] != 0)
                continue;
            if (nextCode > 31)
                return;
            codeOf[byte] = nextCode++;
        }
    }
    // Start numbers are kept in a byte; lists with more distinct starts use the automaton.
    std::vector<uint32_t> keys;
    for (const std::string& text : folded) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
        keys.push_back(uint32_t{codeOf[bytes[0]]} << 10 | uint32_t{codeOf[bytes[1]]} << 5 |
                       codeOf[bytes[2]]);
    }
    std::vector<uint32_t> distinct = keys;
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    if (distinct.size() > 255)
        return;

    m_codeOf = codeOf;
    m_startOf.assign(size_t{1} << kKeyBits, 0);
    m_fourthCodes.assign(distinct.size() + 1, 0); // start 0 matches no fourth code
    for (size_t start = 0; start < distinct.size(); ++start)
        m_startOf[distinct[start]] = static_cast<uint8_t>(start + 1);
    std::vector<std::vector<uint32_t>> patternsOf(distinct.size() + 1);
    for (size_t pattern = 0; pattern < folded.size(); ++pattern) {
        const uint8_t start = m_startOf[keys[pattern]];
        const std::string& text = folded[pattern];
        m_fourthCodes[start] |= text.size() == 3
                                    ? ~uint32_t{0}
                                    : uint32_t{1} << codeOf[static_cast<unsigned char>(text[3])];
        patternsOf[start].push_back(static_cast<uint32_t>(pattern));
    }
    for (const std::vector<uint32_t>& patterns : patternsOf) {
        m_startEntries.push_back(static_cast<uint32_t>(m_byStart.size()));
        m_byStart.insert(m_byStart.end(), patterns.begin(), patterns.end());
    }
    m_startEntries.push_back(static_cast<uint32_t>(m_byStart.size()));
    m_patternTexts = folded;
    m_byTrigrams = true;
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

bool FirstEntrySearch::compareFrom(const unsigned char* bytes, size_t length, size_t start,
                                   uint32_t startNumber, std::span<ListMatch> matches,
                                   size_t& undecided) const {
    for (uint32_t at = m_startEntries[startNumber]; at < m_startEntries[startNumber + 1]; ++at) {
        // The key holds the first three bytes; patterns are ASCII, so a byte matches a pattern's
        // byte only when its ASCII lower case is that byte: the Latin-1 folding of UTF-8 text
        // never makes an ASCII byte.
        const uint32_t patternIndex = m_byStart[at];
        const std::string& pattern = m_patternTexts[patternIndex];
        if (pattern.size() > length - start)
            continue;
        size_t k = 3;
        while (k < pattern.size() &&
               lowerAscii(bytes[start + k]) == static_cast<unsigned char>(pattern[k]))
            ++k;
        if (k == pattern.size() && !record(m_patterns[patternIndex], start, matches, undecided))
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
    const uint8_t* codeOf = m_codeOf.data();
    const uint8_t* startOf = m_startOf.data();
    const uint32_t* fourthCodes = m_fourthCodes.data();
    // The start number of the three codes and whether the fourth code may follow it.
    const auto startOfKey = [startOf](uint32_t first, uint32_t second, uint32_t third) {
        return uint32_t{startOf[first << 10 | second << 5 | third]};
    };
    const auto follows = [fourthCodes](uint32_t startNumber, uint32_t fourth) {
        return (fourthCodes[startNumber] >> fourth) & 1;
    };
    // Four positions at a time, each tested from its own four codes so that the tests do not
    // wait on one another; almost every block holds no start at all.
    uint32_t first = codeOf[bytes[0]];
    uint32_t second = codeOf[bytes[1]];
    uint32_t third = codeOf[bytes[2]];
    size_t fourth = 3; // the fourth byte of the next position tested
    for (; fourth + 4 <= length; fourth += 4) {
        const uint32_t c0 = codeOf[bytes[fourth]];
        const uint32_t c1 = codeOf[bytes[fourth + 1]];
        const uint32_t c2 = codeOf[bytes[fourth + 2]];
        const uint32_t c3 = codeOf[bytes[fourth + 3]];
        const uint32_t s0 = startOfKey(first, second, third);
        const uint32_t s1 = startOfKey(second, third, c0);
        const uint32_t s2 = startOfKey(third, c0, c1);
        const uint32_t s3 = startOfKey(c0, c1, c2);
        uint32_t found =
            follows(s0, c0) | follows(s1, c1) << 1 | follows(s2, c2) << 2 | follows(s3, c3) << 3;
        first = c1;
        second = c2;
        third = c3;
        // The start numbers are looked up again for the rare position that needs them, rather
        // than kept through every block.
        for (size_t k = 0; found != 0; ++k, found >>= 1) {
            if (!(found & 1))
                continue;
            const size_t start = fourth + k - 3;
            const uint32_t startNumber = startOfKey(codeOf[bytes[start]], codeOf[bytes[start + 1]],
                                                    codeOf[bytes[start + 2]]);
            if (!compareFrom(bytes, length, start, startNumber, matches, undecided))
                return;
        }
    }
    // The last positions; past the end the fourth code is 0, which only entries of three bytes
    // accept.
    for (; fourth <= length; ++fourth) {
        const uint32_t code = fourth < length ? codeOf[bytes[fourth]] : 0;
        const uint32_t startNumber = startOfKey(first, second, third);
        if (follows(startNumber, code) &&
            !compareFrom(bytes, length, fourth - 3, startNumber, matches, undecided))
            return;
        first = second;
        second = third;
        third = code;
    }
}

} // namespace vorlith
