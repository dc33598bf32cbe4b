#pragma once
// One pass over a text that answers, for several ordered lists of keywords at once, which entry
// of each list decides: the first entry in list order that occurs anywhere in the text.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vorlith {

/// Where the deciding entry of one list occurs.
struct ListMatch {
    int32_t position = 0; // 1-based byte position of the entry's first occurrence; 0: none occurs
    int32_t length = 0;   // bytes of the entry
    int32_t entry = -1;   // 0-based index of the deciding entry in its list; -1: none
};

/// Case-insensitive substring search of many lists in one pass (an Aho-Corasick automaton over
/// the byte classes the entries use). Letters compare without regard to case: ASCII letters,
/// and the Latin-1 letters of UTF-8 text (U+00C0 to U+00DE fold to U+00E0 to U+00FE, which keeps
/// every byte position). Positions and lengths count bytes of the UTF-8 text, so that cutting
/// the text at them never splits a character when the entries are ASCII.
///
/// Empty entries never match. A text longer than 2^31 - 1 bytes is searched in its first
/// 2^31 - 1 bytes, so that every position fits its type. Building costs time in the entries'
/// total length; a search costs one table step per byte plus one step per entry occurrence.
class FirstEntrySearch {
public:
    explicit FirstEntrySearch(const std::vector<std::vector<std::string>>& lists);

    size_t listCount() const { return m_listCount; }

    /// Fills matches[l] for every list l (matches.size() must be listCount()).
    void find(std::string_view text, std::span<ListMatch> matches) const;

private:
    struct Member {
        uint32_t list;
        uint32_t entry;
    };
    struct Pattern {
        int32_t length;
        uint32_t firstMember; // into m_members
        uint32_t memberCount;
    };

    uint32_t addPattern(std::string_view folded);
    void buildTransitions();
    void buildTrigramIndex(const std::vector<std::string>& folded);
    void findByTrigrams(std::string_view text, std::span<ListMatch> matches) const;
    // Compares the candidates of the key at `position` with the text around it, recording those
    // that occur; false once nothing more can change.
    bool compareAt(const unsigned char* bytes, size_t length, size_t position,
                   std::span<ListMatch> matches, size_t& undecided) const;
    // Records an occurrence of the pattern at the 0-based byte `start`; false once every list
    // has its first entry, when nothing more can change.
    bool record(const Pattern& pattern, size_t start, std::span<ListMatch> matches,
                size_t& undecided) const;

    size_t m_listCount = 0;
    uint32_t m_classCount = 1;             // class 0: bytes no entry uses
    std::array<uint16_t, 256> m_classOf{}; // byte (already folded) -> class
    std::vector<uint32_t> m_next;          // state * m_classCount + class -> state
    std::vector<int32_t> m_patternAt;      // state -> pattern spelled by the state, or -1
    std::vector<int32_t> m_outputLink;     // state -> nearest state on its suffix chain (itself
                                           // included) that spells a pattern, or -1
    std::vector<int32_t> m_nextOutput;     // pattern state -> the next one on its suffix chain
    std::vector<Pattern> m_patterns;
    std::vector<Member> m_members;

    // When every entry is ASCII, at least three bytes long and spelled with letters and at most
    // five other bytes (the keyword lists), a search keys every other position of the text by
    // its three bytes: five bits per byte (a letter's code ignores its case; a byte no entry uses
    // has code 0). Each entry is a candidate of one or two keys, with its start relative to the
    // keyed position (see buildTrigramIndex); each key has a mask of the codes its candidates
    // allow at the byte after it. So one table step and one bit test per two bytes say, with no
    // branch, where an entry may stand: only there are the key's candidates compared, which in
    // web addresses is about once in 350 bytes.
    static constexpr int kKeyBits = 15;
    struct Candidate {
        int32_t offset;   // the entry's start relative to the keyed position: -1, 0 or 1
        uint32_t pattern; // into m_patterns and m_patternTexts
    };
    bool m_byTrigrams = false;
    std::array<uint8_t, 256> m_codeOf{};     // byte -> its five-bit code
    std::vector<uint32_t> m_nextCodes;       // key -> bit per code allowed after it; 0: no entry
    std::vector<uint32_t> m_keyCandidates;   // key -> first index in m_candidates << 8 | count
    std::vector<Candidate> m_candidates;     // the keys' candidates, each key's in start order
    std::vector<std::string> m_patternTexts; // folded text of each pattern
};

/// Folds one byte of UTF-8 text for comparison: ASCII upper-case letters to lower case, and the
/// second byte of a UTF-8 Latin-1 upper-case letter (after 0xC3) to that of its lower case.
inline unsigned char FoldByte(unsigned char previous, unsigned char byte) {
    if (byte >= 'A' && byte <= 'Z')
        return static_cast<unsigned char>(byte + ('a' - 'A'));
    if (previous == 0xC3 && byte >= 0x80 && byte <= 0x9E && byte != 0x97) // 0x97: the sign ×
        return static_cast<unsigned char>(byte + 0x20);
    return byte;
}

/// The text folded byte by byte with FoldByte (same length, same positions).
std::string FoldCase(std::string_view text);

} // namespace vorlith
