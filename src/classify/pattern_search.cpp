#include "classify/pattern_search.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <limits>
#include <map>
#include <utility>

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
    // Every entry is found from the keys of positions 0, 2, 4, ... of the text: an entry at an
    // even start by its first three bytes; one of four bytes or more at an odd start by its
    // bytes 1 to 3, tested at the position after its start; one of three bytes at an odd start
    // by the key made of the byte before it and its first two bytes (whatever that byte is),
    // tested at the position before its start. Each key keeps the codes its candidates allow at
    // the byte after the key (any code where the entry ends with the key).
    const auto code = [&codeOf](const std::string& text, size_t at) -> uint32_t {
        return codeOf[static_cast<unsigned char>(text[at])];
    };
    const auto keyOf = [](uint32_t first, uint32_t second, uint32_t third) {
        return first << 10 | second << 5 | third;
    };
    const auto followedBy = [&](const std::string& text, size_t at) {
        return at < text.size() ? uint32_t{1} << code(text, at) : ~uint32_t{0};
    };
    std::vector<std::vector<Candidate>> candidatesOf(size_t{1} << kKeyBits);
    std::vector<uint32_t> nextCodes(size_t{1} << kKeyBits, 0);
    const auto add = [&](uint32_t key, int32_t offset, size_t pattern, uint32_t next) {
        candidatesOf[key].push_back({offset, static_cast<uint32_t>(pattern)});
        nextCodes[key] |= next;
    };
    for (size_t pattern = 0; pattern < folded.size(); ++pattern) {
        const std::string& text = folded[pattern];
        add(keyOf(code(text, 0), code(text, 1), code(text, 2)), 0, pattern, followedBy(text, 3));
        if (text.size() >= 4) {
            add(keyOf(code(text, 1), code(text, 2), code(text, 3)), -1, pattern,
                followedBy(text, 4));
        } else {
            for (uint32_t before = 0; before < 32; ++before)
                add(keyOf(before, code(text, 0), code(text, 1)), 1, pattern, followedBy(text, 2));
        }
    }
    // A key keeps up to 255 candidates, all keys 2^24 in all (the keyword lists need a few
    // hundred); lists beyond that use the automaton.
    size_t total = 0;
    for (const std::vector<Candidate>& candidates : candidatesOf) {
        total += candidates.size();
        if (candidates.size() > 255 || total >= (size_t{1} << 24))
            return;
    }
    // A key's candidates are compared in the order of their starts, so that each entry's
    // occurrences are met in text order.
    m_keyCandidates.assign(size_t{1} << kKeyBits, 0);
    m_candidates.clear();
    for (size_t key = 0; key < candidatesOf.size(); ++key) {
        std::vector<Candidate>& candidates = candidatesOf[key];
        if (candidates.empty())
            continue;
        std::stable_sort(
            candidates.begin(), candidates.end(),
            [](const Candidate& a, const Candidate& b) { return a.offset < b.offset; });
        m_keyCandidates[key] = static_cast<uint32_t>(m_candidates.size()) << 8 |
                               static_cast<uint32_t>(candidates.size());
        m_candidates.insert(m_candidates.end(), candidates.begin(), candidates.end());
    }
    m_codeOf = codeOf;
    m_nextCodes = std::move(nextCodes);
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

bool FirstEntrySearch::compareAt(const unsigned char* bytes, size_t length, size_t position,
                                 std::span<ListMatch> matches, size_t& undecided) const {
    const uint32_t key = uint32_t{m_codeOf[bytes[position]]} << 10 |
                         uint32_t{m_codeOf[bytes[position + 1]]} << 5 |
                         m_codeOf[bytes[position + 2]];
    const uint32_t range = m_keyCandidates[key];
    const Candidate* candidate = m_candidates.data() + (range >> 8);
    for (const Candidate* end = candidate + (range & 0xFF); candidate != end; ++candidate) {
        if (candidate->offset < 0 && position == 0)
            continue;
        const size_t start =
            position + static_cast<size_t>(static_cast<int64_t>(candidate->offset));
        const std::string& pattern = m_patternTexts[candidate->pattern];
        if (start > length || pattern.size() > length - start)
            continue;
        // Patterns are ASCII, so a byte matches a pattern's byte only when its ASCII lower case
        // is that byte: the Latin-1 folding of UTF-8 text never makes an ASCII byte.
        size_t k = 0;
        while (k < pattern.size() &&
               lowerAscii(bytes[start + k]) == static_cast<unsigned char>(pattern[k]))
            ++k;
        if (k == pattern.size() &&
            !record(m_patterns[candidate->pattern], start, matches, undecided))
            return false;
    }
    return true;
}

void FirstEntrySearch::findByTrigrams(std::string_view text, std::span<ListMatch> matches) const {
    size_t undecided = matches.size();
    const size_t length = std::min(text.size(), kLongestText);
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const uint8_t* codeOf = m_codeOf.data();
    const uint32_t* nextCodes = m_nextCodes.data();
    // Whether some entry may stand around the position of the three codes, given the next one.
    const auto candidate = [nextCodes](uint32_t first, uint32_t second, uint32_t third,
                                       uint32_t next) {
        return (nextCodes[first << 10 | second << 5 | third] >> next) & 1;
    };
    // Every other position, four at a time (eight bytes), each tested from its own codes so that
    // the tests do not wait on one another; almost every block holds no candidate at all.
    size_t position = 0;
    for (; position + 10 <= length; position += 8) {
        const auto codeAt = [codeOf, bytes, position](size_t k) -> uint32_t {
            return codeOf[bytes[position + k]];
        };
        const uint32_t c0 = codeAt(0), c1 = codeAt(1), c2 = codeAt(2), c3 = codeAt(3);
        const uint32_t c4 = codeAt(4), c5 = codeAt(5), c6 = codeAt(6), c7 = codeAt(7);
        const uint32_t c8 = codeAt(8), c9 = codeAt(9);
        uint32_t found = candidate(c0, c1, c2, c3) | candidate(c2, c3, c4, c5) << 1 |
                         candidate(c4, c5, c6, c7) << 2 | candidate(c6, c7, c8, c9) << 3;
        for (size_t k = 0; found != 0; ++k, found >>= 1)
            if ((found & 1) && !compareAt(bytes, length, position + 2 * k, matches, undecided))
                return;
    }
    // The last positions; past the end the next code is 0, which only a candidate that ends
    // with its key accepts.
    for (; position + 2 < length; position += 2) {
        const uint32_t next = position + 3 < length ? codeOf[bytes[position + 3]] : 0;
        if (candidate(codeOf[bytes[position]], codeOf[bytes[position + 1]],
                      codeOf[bytes[position + 2]], next) &&
            !compareAt(bytes, length, position, matches, undecided))
            return;
    }
}

} // namespace vorlith
