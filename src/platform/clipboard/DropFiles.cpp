#include "platform/clipboard/DropFiles.h"

#include "platform/clipboard/ClipboardAnsi.h"

#include <algorithm>
#include <limits>

namespace dropfiles
{
namespace
{

std::uint32_t readLe32(const unsigned char* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

void appendLe32(std::vector<unsigned char>& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

bool isHighSurrogate(char16_t u)
{
    return u >= 0xD800 && u <= 0xDBFF;
}
bool isLowSurrogate(char16_t u)
{
    return u >= 0xDC00 && u <= 0xDFFF;
}

} // namespace

Reader::Reader(const unsigned char* data, std::size_t size) : m_data(data), m_size(data ? size : 0)
{
    if (m_size < HeaderSize)
        return;
    m_first = readLe32(m_data);
    m_wide = readLe32(m_data + 16) != 0;
    m_valid = m_first < m_size;
    m_cursorOffset = m_first;
}

char16_t Reader::unitAt(std::size_t offset) const
{
    return static_cast<char16_t>(m_data[offset] | m_data[offset + 1] << 8);
}

bool Reader::nameAt(std::size_t offset, std::size_t& length) const
{
    if (m_wide) {
        // Whole 16-bit units only: a last odd byte is not part of any name.
        std::size_t units = (offset < m_size) ? (m_size - offset) / 2 : 0;
        for (std::size_t i = 0; i < units; ++i) {
            if (unitAt(offset + 2 * i) == 0) {
                length = i;
                return i > 0;
            }
        }
        return false;
    }
    if (offset >= m_size)
        return false;
    const unsigned char* start = m_data + offset;
    const unsigned char* end = m_data + m_size;
    const unsigned char* zero = std::find(start, end, 0);
    if (zero == end)
        return false;
    length = static_cast<std::size_t>(zero - start);
    return length > 0;
}

bool Reader::locate(unsigned index, std::size_t& offset, std::size_t& length)
{
    if (!m_valid || (m_countKnown && index >= m_count))
        return false;
    if (index < m_cursorIndex) {
        m_cursorIndex = 0;
        m_cursorOffset = m_first;
    }
    const std::size_t unit = m_wide ? 2 : 1;
    while (true) {
        std::size_t n = 0;
        if (!nameAt(m_cursorOffset, n)) {
            if (!m_countKnown) {
                m_countKnown = true;
                m_count = m_cursorIndex;
            }
            return false;
        }
        if (m_cursorIndex == index) {
            offset = m_cursorOffset;
            length = n;
            return true;
        }
        m_cursorOffset += (n + 1) * unit;
        ++m_cursorIndex;
    }
}

unsigned Reader::count()
{
    if (m_countKnown)
        return m_count;
    m_countKnown = true;
    m_count = 0;
    if (!m_valid)
        return 0;
    const std::size_t unit = m_wide ? 2 : 1;
    std::size_t offset = m_first;
    std::size_t n = 0;
    while (m_count < std::numeric_limits<unsigned>::max() - 1 && nameAt(offset, n)) {
        offset += (n + 1) * unit;
        ++m_count;
    }
    return m_count;
}

unsigned Reader::queryFileA(unsigned index, char* buffer, unsigned bufferSize)
{
    if (index == QueryCount)
        return count();
    std::size_t offset = 0;
    std::size_t length = 0;
    if (!locate(index, offset, length))
        return 0;

    // Single-byte characters produced so far; written while they fit before the closing zero.
    std::size_t produced = 0;
    const std::size_t room = (buffer && bufferSize > 0) ? bufferSize - 1 : 0;
    auto put = [&](unsigned char c) {
        if (buffer && produced < room)
            buffer[produced] = static_cast<char>(c);
        ++produced;
    };
    if (m_wide) {
        for (std::size_t i = 0; i < length; ++i) {
            char16_t u = unitAt(offset + 2 * i);
            if (isHighSurrogate(u) && i + 1 < length &&
                isLowSurrogate(unitAt(offset + 2 * i + 2))) {
                ++i;
                put(ansi::DefaultChar);
                continue;
            }
            int c = ansi::fromUtf16(u);
            put(c < 0 ? ansi::DefaultChar : static_cast<unsigned char>(c));
        }
    } else {
        for (std::size_t i = 0; i < length; ++i)
            put(m_data[offset + i]);
    }

    if (!buffer)
        return static_cast<unsigned>(
            std::min<std::size_t>(produced, std::numeric_limits<unsigned>::max()));
    if (bufferSize == 0)
        return 0;
    const std::size_t copied = std::min(produced, room);
    buffer[copied] = 0;
    return static_cast<unsigned>(copied);
}

std::u16string Reader::nameUtf16(unsigned index)
{
    std::size_t offset = 0;
    std::size_t length = 0;
    std::u16string name;
    if (!locate(index, offset, length))
        return name;
    name.reserve(length);
    for (std::size_t i = 0; i < length; ++i)
        name.push_back(m_wide ? unitAt(offset + 2 * i) : ansi::toUtf16(m_data[offset + i]));
    return name;
}

std::vector<unsigned char> buildWide(const std::vector<std::u16string>& names)
{
    std::vector<unsigned char> block;
    appendLe32(block, HeaderSize);
    appendLe32(block, 0);
    appendLe32(block, 0);
    appendLe32(block, 0);
    appendLe32(block, 1);
    auto appendUnit = [&](char16_t u) {
        block.push_back(static_cast<unsigned char>(u & 0xFF));
        block.push_back(static_cast<unsigned char>(u >> 8));
    };
    for (const std::u16string& name : names) {
        // A name ends at its first zero character; an empty name would end the list, so none is
        // written.
        const std::u16string::size_type end = std::min(name.find(u'\0'), name.size());
        if (end == 0)
            continue;
        for (std::u16string::size_type i = 0; i < end; ++i)
            appendUnit(name[i]);
        appendUnit(0);
    }
    appendUnit(0);
    return block;
}

} // namespace dropfiles
