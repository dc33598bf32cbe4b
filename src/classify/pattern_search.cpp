#include "classify/pattern_search.h"

#include <cassert>
#include <limits>
#include <map>

namespace vorlith {
namespace {
constexpr uint32_t kNone = std::numeric_limits<uint32_t>::max();
constexpr size_t kLongestText = static_cast<size_t>(std::numeric_limits<int32_t>::max());
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
    for (const auto& [folded, members] : memberships) {
        const uint32_t state = addPattern(folded);
        m_patternAt[state] = static_cast<int32_t>(m_patterns.size());
        m_patterns.push_back({static_cast<int32_t>(folded.size()),
                              static_cast<uint32_t>(m_members.size()),
                              static_cast<uint32_t>(members.size())});
        m_members.insert(m_members.end(), members.begin(), members.end());
    }
    buildTransitions();
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

void FirstEntrySearch::find(std::string_view text, std::span<ListMatch> matches) const {
    assert(matches.size() == m_listCount && "one match per list");
    for (ListMatch& match : matches)
        match = ListMatch{};
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
            // The first time a pattern ends is its first occurrence; a later entry of a list
            // never replaces an earlier one.
            const auto position =
                static_cast<int32_t>(static_cast<int64_t>(i) + 2 - pattern.length);
            for (uint32_t m = 0; m < pattern.memberCount; ++m) {
                const Member& member = m_members[pattern.firstMember + m];
                ListMatch& match = matches[member.list];
                if (match.entry >= 0 && static_cast<uint32_t>(match.entry) <= member.entry)
                    continue;
                match = {position, pattern.length, static_cast<int32_t>(member.entry)};
                if (member.entry == 0 && --undecided == 0)
                    return;
            }
        }
    }
}

} // namespace vorlith
