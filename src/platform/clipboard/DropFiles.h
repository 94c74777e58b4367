#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// File-drop blocks (the clipboard's file-list format): a 20-byte header followed by the names.
//
//   offset 0   4 bytes  offset of the first name from the start of the block
//   offset 4   4 bytes  drop point x        offset 8  4 bytes  drop point y
//   offset 12  4 bytes  non-client flag     offset 16 4 bytes  wide flag (names in UTF-16)
//   then each name followed by a zero character, and one more zero character after the last.
//
// Plain C++ without Qt: the blocks come from other programs, so this parser is fuzzed on its own.
// Every read is bounds-checked against the block's size; a malformed block yields fewer names,
// never a read outside the block:
// - a block shorter than the header, or whose first-name offset lies at or past its end, has none;
// - the list ends at an empty name or at the end of the block, whichever comes first;
// - a name that runs to the end of the block without its zero character is not a name;
// - in a wide block a last odd byte is ignored.
namespace dropfiles
{

constexpr std::size_t HeaderSize = 20;
constexpr unsigned QueryCount = 0xFFFFFFFFu;
// The file-name buffer of the platform's path length.
constexpr unsigned MaxPath = 260;

class Reader
{
public:
    Reader(const unsigned char* data, std::size_t size);

    bool wide() const { return m_wide; }

    // The number of names (computed once, without storing them).
    unsigned count();

    // The file-drop query with the platform's rules: `index` QueryCount gives the count; a null
    // `buffer` gives the length of name `index` in single-byte characters; otherwise up to
    // `bufferSize` - 1 characters of it are copied, a zero byte is written after them, and their
    // number is returned. An index past the last name gives 0 and writes nothing. Wide names are
    // converted to Windows-1252, a character without a code there (a surrogate pair counting as
    // one) becoming '?'.
    unsigned queryFileA(unsigned index, char* buffer, unsigned bufferSize);

    // Name `index` in UTF-16 (single-byte names read as Windows-1252); empty past the last name.
    std::u16string nameUtf16(unsigned index);

private:
    // Finds name `index`: its byte offset and its length in characters. Reading the names in order
    // costs one pass over the block in all; going backwards starts again from the first name.
    bool locate(unsigned index, std::size_t& offset, std::size_t& length);
    // The length of the name at `offset`, or false when it has no zero character in the block or
    // when it is the empty name that ends the list.
    bool nameAt(std::size_t offset, std::size_t& length) const;
    char16_t unitAt(std::size_t offset) const;

    const unsigned char* m_data;
    std::size_t m_size;
    std::size_t m_first = 0;
    bool m_wide = false;
    bool m_valid = false;
    bool m_countKnown = false;
    unsigned m_count = 0;
    unsigned m_cursorIndex = 0;
    std::size_t m_cursorOffset = 0;
};

// A block in the layout above with the names in UTF-16 and the wide flag set. A name ends at its
// first zero character; empty names are left out.
std::vector<unsigned char> buildWide(const std::vector<std::u16string>& names);

} // namespace dropfiles
