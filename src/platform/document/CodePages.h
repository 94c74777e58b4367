#pragma once

#include <QString>

#include <cstdint>

// Windows code pages for the RTF reader and the plain-text codec. Single-byte pages decode through
// a 256-entry table; multi-byte pages (932, 936, 949, 950, UTF-8, ...) through Qt's ICU-backed
// QStringDecoder. A page that cannot be had falls back to Windows-1252.
namespace codepage
{

constexpr int Windows1252 = 1252;
// Not a Windows number: the Symbol font's own characters (Greek letters, bullet, math signs).
constexpr int SymbolFont = -2;

class CodePage
{
public:
    int number() const { return m_number; }
    bool isMultiByte() const { return m_multiByte; }

    // Single-byte pages: the character for a byte; 0 for bytes that stand for nothing in a document
    // (control characters other than tab).
    char16_t single(uint8_t byte) const { return m_table[byte]; }

    // Multi-byte pages: whether the byte starts a two-byte character.
    bool isLeadByte(uint8_t byte) const { return m_lead[byte]; }

    // Appends the characters of `bytes` to `out` (both kinds of page).
    void decodeAppend(const char* bytes, qsizetype length, QString& out) const;

private:
    friend const CodePage& forNumber(int number);
    int m_number = Windows1252;
    bool m_multiByte = false;
    QByteArray m_decoderName;
    char16_t m_table[256] = {};
    bool m_lead[256] = {};
};

// The page for a Windows code page number; Windows-1252 when the number is unknown or unavailable.
// The objects live as long as the program and may be used from any thread.
const CodePage& forNumber(int number);

// The code page that an RTF \fcharset stands for; `documentCodePage` for the default charset.
int forCharset(int charset, int documentCodePage);

// The Windows-1252 character of a byte (undefined bytes keep their Latin-1 value).
char16_t windows1252(uint8_t byte);

} // namespace codepage
