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
    m_codeOf = codeOf;
    m_startKeys.assign(size_t{1} << (kKeyBits - 3), 0);
    for (size_t pattern = 0; pattern < folded.size(); ++pattern) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(folded[pattern].data());
        const uint32_t key = uint32_t{m_codeOf[bytes[0]]} << 10 |
                             uint32_t{m_codeOf[bytes[1]]} << 5 | m_codeOf[bytes[2]];
        m_startKeys[key >> 3] |= static_cast<uint8_t>(1u << (key & 7));
        m_keyed.emplace_back(key, static_cast<uint32_t>(pattern));
    }
    std::sort(m_keyed.begin(), m_keyed.end());
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
                                   uint32_t key, std::span<ListMatch> matches,
                                   size_t& undecided) const {
    auto keyed = std::lower_bound(m_keyed.begin(), m_keyed.end(), std::pair(key, 0u));
    for (; keyed != m_keyed.end() && keyed->first == key; ++keyed) {
        // The key holds the first three bytes; patterns are ASCII, so a byte matches a pattern's
        // byte only when its ASCII lower case is that byte: the Latin-1 folding of UTF-8 text
        // never makes an ASCII byte.
        const std::string& pattern = m_patternTexts[keyed->second];
        if (pattern.size() > length - start)
            continue;
        size_t k = 3;
        while (k < pattern.size() &&
               lowerAscii(bytes[start + k]) == static_cast<unsigned char>(pattern[k]))
            ++k;
        if (k == pattern.size() && !record(m_patterns[keyed->second], start, matches, undecided))
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
    const uint8_t* startKeys = m_startKeys.data();
    const auto keyOf = [](uint32_t first, uint32_t second, uint32_t third) {
        return first << 10 | second << 5 | third;
    };
    const auto starts = [startKeys](uint32_t key) -> uint32_t {
        return (startKeys[key >> 3] >> (key & 7)) & 1;
    };
    // Four positions at a time, each key made from its own three codes so that the four tests
    // do not wait on one another; most blocks hold no start at all.
    uint32_t before2 = codeOf[bytes[0]];
    uint32_t before1 = codeOf[bytes[1]];
    size_t end = 2; // the last byte of the next key
    for (; end + 4 <= length; end += 4) {
        const uint32_t c0 = codeOf[bytes[end]];
        const uint32_t c1 = codeOf[bytes[end + 1]];
        const uint32_t c2 = codeOf[bytes[end + 2]];
        const uint32_t c3 = codeOf[bytes[end + 3]];
        const uint32_t keys[4] = {keyOf(before2, before1, c0), keyOf(before1, c0, c1),
                                  keyOf(c0, c1, c2), keyOf(c1, c2, c3)};
        uint32_t found =
            starts(keys[0]) | starts(keys[1]) << 1 | starts(keys[2]) << 2 | starts(keys[3]) << 3;
        before2 = c2;
        before1 = c3;
        for (size_t k = 0; found != 0; ++k, found >>= 1)
            if ((found & 1) &&
                !compareFrom(bytes, length, end + k - 2, keys[k], matches, undecided))
                return;
    }
    for (; end < length; ++end) {
        const uint32_t code = codeOf[bytes[end]];
        const uint32_t key = keyOf(before2, before1, code);
        before2 = before1;
        before1 = code;
        if (starts(key) && !compareFrom(bytes, length, end - 2, key, matches, undecided))
            return;
    }
}

} // namespace vorlith
