#pragma once

#include <cstddef>
#include <cstdint>

// Splits RTF bytes into tokens. Flat and bounded: control words are cut at 32 letters, numeric
// parameters clamped, \binN data checked against the bytes left; bare CR, LF and NUL are dropped.
namespace rtf
{

enum class TokenType : uint8_t {
    End,
    GroupStart,
    GroupEnd,
    Word,    // control word: name/nameLength, hasParam/param
    Symbol,  // control symbol other than \' : symbol
    HexByte, // \'hh : byte
    Text,    // run of plain bytes: data/length
    Binary,  // \binN data: data/length
};

struct Token {
    TokenType type = TokenType::End;
    bool hasParam = false;
    char symbol = 0;
    uint8_t byte = 0;
    int param = 0;
    const char* data = nullptr;
    int length = 0;
};

class Tokenizer
{
public:
    static constexpr int MaxWordLength = 32;
    static constexpr int MaxDigits = 10;

    Tokenizer(const char* data, size_t size) : m_p(data), m_end(data + size) {}

    bool atEnd() const { return m_p >= m_end; }
    // The next byte, or -1 at the end.
    int peek() const { return m_p < m_end ? static_cast<uint8_t>(*m_p) : -1; }
    // Takes the next byte as it is (a trail byte of a two-byte character that looks like syntax).
    uint8_t takeRawByte() { return static_cast<uint8_t>(*m_p++); }
    size_t bytesLeft() const { return static_cast<size_t>(m_end - m_p); }
    // Where the next token starts.
    const char* position() const { return m_p; }

    void next(Token& token)
    {
        for (;;) {
            if (m_p >= m_end) {
                token.type = TokenType::End;
                return;
            }
            const uint8_t c = static_cast<uint8_t>(*m_p);
            switch (c) {
            case '{':
                ++m_p;
                token.type = TokenType::GroupStart;
                return;
            case '}':
                ++m_p;
                token.type = TokenType::GroupEnd;
                return;
            case '\\':
                if (readControl(token))
                    return;
                continue;
            case '\r':
            case '\n':
            case '\0':
                ++m_p;
                continue;
            default:
                break;
            }
            const char* start = m_p;
            ++m_p;
            while (m_p < m_end && !isStop(static_cast<uint8_t>(*m_p)))
                ++m_p;
            token.type = TokenType::Text;
            token.data = start;
            token.length = static_cast<int>(m_p - start);
            return;
        }
    }

private:
    static bool isStop(uint8_t c)
    {
        return c == '\\' || c == '{' || c == '}' || c == '\r' || c == '\n' || c == '\0';
    }
    static bool isLetter(uint8_t c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }
    static bool isDigit(uint8_t c) { return c >= '0' && c <= '9'; }
    static int hexValue(uint8_t c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    // Reads what follows a backslash. False when it produced no token (a lone trailing backslash,
    // an empty \'), so the caller reads on.
    bool readControl(Token& token)
    {
        ++m_p; // the backslash
        if (m_p >= m_end)
            return false;
        const uint8_t c = static_cast<uint8_t>(*m_p);
        if (isLetter(c)) {
            const char* name = m_p;
            while (m_p < m_end && isLetter(static_cast<uint8_t>(*m_p)))
                ++m_p;
            int length = static_cast<int>(m_p - name);
            if (length > MaxWordLength)
                length = MaxWordLength + 1; // too long: no known word matches
            token.type = TokenType::Word;
            token.data = name;
            token.length = length;
            token.hasParam = false;
            token.param = 0;
            if (m_p < m_end) {
                bool negative = false;
                const char* q = m_p;
                if (*q == '-' && q + 1 < m_end && isDigit(static_cast<uint8_t>(q[1]))) {
                    negative = true;
                    ++q;
                }
                if (q < m_end && isDigit(static_cast<uint8_t>(*q))) {
                    int64_t value = 0;
                    int digits = 0;
                    while (q < m_end && isDigit(static_cast<uint8_t>(*q))) {
                        if (digits < MaxDigits)
                            value = value * 10 + (*q - '0');
                        ++digits;
                        ++q;
                    }
                    if (value > 2147483647)
                        value = 2147483647;
                    token.hasParam = true;
                    token.param = static_cast<int>(negative ? -value : value);
                    m_p = q;
                }
                if (m_p < m_end && *m_p == ' ')
                    ++m_p;
            }
            if (length == 3 && name[0] == 'b' && name[1] == 'i' && name[2] == 'n') {
                size_t count =
                    token.hasParam && token.param > 0 ? static_cast<size_t>(token.param) : 0;
                if (count > bytesLeft())
                    count = bytesLeft();
                token.type = TokenType::Binary;
                token.data = m_p;
                token.length = static_cast<int>(count);
                m_p += count;
            }
            return true;
        }
        if (c == '\'') {
            ++m_p;
            int value = 0;
            int digits = 0;
            while (digits < 2 && m_p < m_end) {
                const int h = hexValue(static_cast<uint8_t>(*m_p));
                if (h < 0)
                    break;
                value = value * 16 + h;
                ++digits;
                ++m_p;
            }
            if (digits == 0)
                return false;
            token.type = TokenType::HexByte;
            token.byte = static_cast<uint8_t>(value);
            return true;
        }
        ++m_p;
        token.type = TokenType::Symbol;
        token.symbol = static_cast<char>(c);
        return true;
    }

    const char* m_p;
    const char* m_end;
};

} // namespace rtf
