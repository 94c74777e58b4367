#pragma once

// The clipboard's ANSI code page, Windows-1252, in plain C++ (no Qt), so that the parsers of
// clipboard blocks can be built on their own (the file-drop fuzz target compiles just them).
namespace ansi
{

// The UTF-16 code unit of one Windows-1252 byte. The five bytes that code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control of the same number, as the platform does.
char16_t toUtf16(unsigned char byte);

// The Windows-1252 byte of one UTF-16 code unit, or -1 when the code page has none for it.
int fromUtf16(char16_t unit);

// The byte the platform writes for a character the code page cannot show.
constexpr unsigned char DefaultChar = '?';

} // namespace ansi
