#include "platform/document/CodePages.h"

#include <QStringDecoder>

#include <map>
#include <memory>
#include <mutex>

namespace codepage
{

namespace
{

// Windows-1252 0x80..0x9F; the five undefined bytes keep their Latin-1 (C1) value.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The Symbol font, 0x20..0x7F and 0xA0..0xFF (0 = as Windows-1252).
constexpr char16_t SymbolLow[96] = {
    0x0020, 0x0021, 0x2200, 0x0023, 0x2203, 0x0025, 0x0026, 0x220B, 0x0028, 0x0029, 0x2217, 0x002B,
    0x002C, 0x2212, 0x002E, 0x002F, 0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037,
    0x0038, 0x0039, 0x003A, 0x003B, 0x003C, 0x003D, 0x003E, 0x003F, 0x2245, 0x0391, 0x0392, 0x03A7,
    0x0394, 0x0395, 0x03A6, 0x0393, 0x0397, 0x0399, 0x03D1, 0x039A, 0x039B, 0x039C, 0x039D, 0x039F,
    0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03C2, 0x03A9, 0x039E, 0x03A8, 0x0396, 0x005B,
    0x2234, 0x005D, 0x22A5, 0x005F, 0x203E, 0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5, 0x03C6, 0x03B3,
    0x03B7, 0x03B9, 0x03D5, 0x03BA, 0x03BB, 0x03BC, 0x03BD, 0x03BF, 0x03C0, 0x03B8, 0x03C1, 0x03C3,
    0x03C4, 0x03C5, 0x03D6, 0x03C9, 0x03BE, 0x03C8, 0x03B6, 0x007B, 0x007C, 0x007D, 0x223C, 0};
constexpr char16_t SymbolHigh[96] = {
    0x20AC, 0x03D2, 0x2032, 0x2264, 0x2044, 0x221E, 0x0192, 0x2663, 0x2666, 0x2665, 0x2660, 0x2194,
    0x2190, 0x2191, 0x2192, 0x2193, 0x00B0, 0x00B1, 0x2033, 0x2265, 0x00D7, 0x221D, 0x2202, 0x2022,
    0x00F7, 0x2260, 0x2261, 0x2248, 0x2026, 0x23D0, 0x23AF, 0x21B5, 0x2135, 0x2111, 0x211C, 0x2118,
    0x2297, 0x2295, 0x2205, 0x2229, 0x222A, 0x2283, 0x2287, 0x2284, 0x2282, 0x2286, 0x2208, 0x2209,
    0x2220, 0x2207, 0x00AE, 0x00A9, 0x2122, 0x220F, 0x221A, 0x22C5, 0x00AC, 0x2227, 0x2228, 0x21D4,
    0x21D0, 0x21D1, 0x21D2, 0x21D3, 0x25CA, 0x2329, 0x00AE, 0x00A9, 0x2122, 0x2211, 0x239B, 0x239C,
    0x239D, 0x23A1, 0x23A2, 0x23A3, 0x23A7, 0x23A8, 0x23A9, 0x23AA, 0,      0x232A, 0x222B, 0x2320,
    0x23AE, 0x2321, 0x239E, 0x239F, 0x23A0, 0x23A4, 0x23A5, 0x23A6, 0x23AB, 0x23AC, 0x23AD, 0};

struct MultiByteInfo {
    int number;
    const char* decoder;
};

// The multi-byte pages; every other number is tried as a single-byte page.
constexpr MultiByteInfo MultiBytePages[] = {
    {932, "windows-31j"}, {936, "GBK"},      {949, "windows-949"},     {950, "Big5"},
    {1361, "johab"},      {65001, "UTF-8"},  {54936, "GB18030"},       {20932, "EUC-JP"},
    {51932, "EUC-JP"},    {51949, "EUC-KR"}, {10001, "x-mac-japanese"}};

QByteArray singleByteDecoderName(int number)
{
    switch (number) {
    case 10000:
        return "macintosh";
    case 10006:
        return "x-mac-greek";
    case 10007:
        return "x-mac-cyrillic";
    case 10029:
        return "x-mac-centraleurroman";
    case 20866:
        return "KOI8-R";
    case 21866:
        return "KOI8-U";
    default:
        break;
    }
    if (number >= 28591 && number <= 28605)
        return "ISO-8859-" + QByteArray::number(number - 28590);
    if ((number >= 1250 && number <= 1258) || number == 874)
        return "windows-" + QByteArray::number(number);
    return "cp" + QByteArray::number(number);
}

bool isLeadByteOf(int number, uint8_t b)
{
    switch (number) {
    case 932:
    case 10001:
        return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    case 20932:
    case 51932:
        return b >= 0x8E;
    case 65001:
        return b >= 0xC2;
    default:
        return b >= 0x81 && b <= 0xFE;
    }
}

void fillControls(char16_t* table)
{
    for (int b = 0; b < 0x20; ++b)
        table[b] = b == '\t' ? u'\t' : 0;
    table[0x7F] = 0;
}

} // namespace

char16_t windows1252(uint8_t byte)
{
    if (byte >= 0x80 && byte < 0xA0)
        return Cp1252High[byte - 0x80];
    return byte;
}

void CodePage::decodeAppend(const char* bytes, qsizetype length, QString& out) const
{
    if (!m_multiByte) {
        const qsizetype start = out.size();
        out.resize(start + length);
        QChar* dst = out.data() + start;
        qsizetype n = 0;
        for (qsizetype i = 0; i < length; ++i) {
            const char16_t c = m_table[static_cast<uint8_t>(bytes[i])];
            if (c)
                dst[n++] = QChar(c);
        }
        out.truncate(start + n);
        return;
    }
    QStringDecoder decoder(m_decoderName.constData(), QStringConverter::Flag::Stateless);
    QString decoded = decoder.decode(QByteArrayView(bytes, length));
    out += decoded;
}

const CodePage& forNumber(int number)
{
    static std::mutex mutex;
    static std::map<int, std::unique_ptr<CodePage>> pages;
    std::lock_guard<std::mutex> lock(mutex);
    auto found = pages.find(number);
    if (found != pages.end())
        return *found->second;

    auto page = std::make_unique<CodePage>();
    page->m_number = number;
    bool made = false;
    if (number == SymbolFont) {
        for (int b = 0; b < 256; ++b) {
            char16_t c = 0;
            if (b >= 0x20 && b < 0x80)
                c = SymbolLow[b - 0x20];
            else if (b >= 0xA0)
                c = SymbolHigh[b - 0xA0];
            page->m_table[b] = c ? c : windows1252(static_cast<uint8_t>(b));
        }
        made = true;
    } else if (number != Windows1252) {
        for (const MultiByteInfo& info : MultiBytePages) {
            if (info.number != number)
                continue;
            QStringDecoder probe(info.decoder);
            if (probe.isValid()) {
                page->m_multiByte = true;
                page->m_decoderName = info.decoder;
                for (int b = 0; b < 256; ++b)
                    page->m_lead[b] = isLeadByteOf(number, static_cast<uint8_t>(b));
                made = true;
            }
            break;
        }
        if (!made && number > 0 && number < 100000) {
            const QByteArray name = singleByteDecoderName(number);
            QStringDecoder decoder(name.constData(), QStringConverter::Flag::Stateless);
            if (decoder.isValid()) {
                for (int b = 0; b < 256; ++b) {
                    const char byte = static_cast<char>(b);
                    const QString one = decoder.decode(QByteArrayView(&byte, 1));
                    // Bytes the page does not define (ICU's substitutes) read as Windows-1252.
                    const bool defined =
                        one.size() == 1 && one.at(0) != QChar::ReplacementCharacter &&
                        (b < 0x20 || (one.at(0).unicode() >= 0x20 && one.at(0).unicode() != 0x7F));
                    page->m_table[b] =
                        defined ? one.at(0).unicode() : windows1252(static_cast<uint8_t>(b));
                }
                made = true;
            }
        }
    }
    if (!made) {
        page->m_number = number == Windows1252 ? Windows1252 : number;
        page->m_multiByte = false;
        for (int b = 0; b < 256; ++b)
            page->m_table[b] = windows1252(static_cast<uint8_t>(b));
    }
    if (!page->m_multiByte)
        fillControls(page->m_table);
    auto inserted = pages.emplace(number, std::move(page));
    return *inserted.first->second;
}

int forCharset(int charset, int documentCodePage)
{
    switch (charset) {
    case 0:
        return 1252;
    case 2:
        return SymbolFont;
    case 77:
        return 10000;
    case 78:
        return 10001;
    case 128:
        return 932;
    case 129:
        return 949;
    case 130:
        return 1361;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    case 254:
        return 437;
    case 255:
        return 850;
    default:
        return documentCodePage;
    }
}

} // namespace codepage
