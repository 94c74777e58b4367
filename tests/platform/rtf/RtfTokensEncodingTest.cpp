// Tokens and text encodings: control words and symbols, \'hh, \uN/\ucN, code pages.

#include "support/RtfTestSupport.h"

#include "platform/document/CodePages.h"
#include "platform/rtf/RtfTokenizer.h"

using namespace rtftest;

TEST(RtfTokens, ControlWordsSymbolsAndLineEnds)
{
    // One space ends a control word and is not text; a second one is. Bare CR/LF are not text;
    // a backslash before a line end is a paragraph mark.
    auto d = readRtf(doc("\\pard one\\b  two\\b0\r\nthree\\\nfour\\\r\nfive\\par"));
    EXPECT_EQ(paragraphs(*d), QStringList({"one twothree", "four", "five"}));
    EXPECT_TRUE(isBold(formatOf(*d, " two")));
    EXPECT_FALSE(isBold(formatOf(*d, "three")));

    d = readRtf(doc("a\\{b\\}c\\\\d\\~e\\-f\\_g\\tab h\\emdash\\endash\\bullet"
                    "\\lquote\\rquote\\ldblquote\\rdblquote\\emspace\\enspace\\line i\\par"));
    EXPECT_EQ(d->toRawText(),
              QString::fromUtf8("a{b}c\\d\u00a0e\u00adf\u2011g\th\u2014\u2013\u2022\u2018\u2019"
                                "\u201c\u201d\u2003\u2002\u2028i"));

    // Digits end at the first non-digit, which stays text; a minus without digits is text.
    d = readRtf(doc("\\fs20x\\fs-y\\par"));
    EXPECT_EQ(d->toRawText(), QStringLiteral("x-y"));
}

TEST(RtfTokens, TokenizerBoundsWordsNumbersAndBinary)
{
    const QByteArray longWord = "\\" + QByteArray(100, 'a') + "123 x";
    rtf::Tokenizer t(longWord.constData(), static_cast<size_t>(longWord.size()));
    rtf::Token token;
    t.next(token);
    EXPECT_EQ(token.type, rtf::TokenType::Word);
    EXPECT_EQ(token.length, rtf::Tokenizer::MaxWordLength + 1); // matches no known word
    EXPECT_TRUE(token.hasParam);
    EXPECT_EQ(token.param, 123);
    t.next(token);
    EXPECT_EQ(token.type, rtf::TokenType::Text);
    EXPECT_EQ(QByteArray(token.data, token.length), QByteArray("x"));

    const QByteArray huge = "\\fs99999999999999999999 \\li-99999999999 ";
    rtf::Tokenizer h(huge.constData(), static_cast<size_t>(huge.size()));
    h.next(token);
    EXPECT_EQ(token.param, 2147483647);
    h.next(token);
    EXPECT_EQ(token.param, -2147483647);

    // \binN takes N bytes whatever they are, and never more than are left.
    const QByteArray bin = "\\bin3 {}\\x\\bin999 ab";
    rtf::Tokenizer b(bin.constData(), static_cast<size_t>(bin.size()));
    b.next(token);
    EXPECT_EQ(token.type, rtf::TokenType::Binary);
    EXPECT_EQ(QByteArray(token.data, token.length), QByteArray("{}\\"));
    b.next(token);
    EXPECT_EQ(token.type, rtf::TokenType::Text);
    b.next(token);
    EXPECT_EQ(token.type, rtf::TokenType::Binary);
    EXPECT_EQ(token.length, 2);
    b.next(token);
    EXPECT_EQ(token.type, rtf::TokenType::End);

    // Hex escapes: two digits at most, one digit is taken, none is no escape.
    const QByteArray hex = "\\'4a\\'7\\'zz";
    rtf::Tokenizer x(hex.constData(), static_cast<size_t>(hex.size()));
    x.next(token);
    EXPECT_EQ(token.type, rtf::TokenType::HexByte);
    EXPECT_EQ(token.byte, 0x4a);
    x.next(token);
    EXPECT_EQ(token.byte, 0x7);
    x.next(token);
    EXPECT_EQ(token.type, rtf::TokenType::Text);
    EXPECT_EQ(QByteArray(token.data, token.length), QByteArray("zz"));
}

TEST(RtfEncoding, UnicodeEscapesAndFallbackSkipping)
{
    // \uN is signed 16-bit; the fallback after it is skipped, \'hh counting as one unit.
    auto d = readRtf(
        doc("caf\\u233\\'e9 \\u-3913?\\uc2\\u8364\\'80\\'80x{\\uc0\\u8220 q}\\u8221?\\par"));
    EXPECT_EQ(d->toRawText(), QString::fromUtf8("caf\u00e9 \uf0b7\u20acx\u201cq\u201d"));

    // Surrogate pairs are joined; a lone half becomes U+FFFD.
    d = readRtf(doc("\\u-10179?\\u-8704?|\\u-10179?x|\\u-8704?\\par"));
    EXPECT_EQ(d->toRawText(), QString::fromUtf8("\U0001F600|\ufffdx|\ufffd"));

    // The skip count is scoped to the group, and a group end stops skipping.
    d = readRtf(doc("{\\uc3 \\u945 ab}cd\\u946 ef\\par"));
    EXPECT_EQ(d->toRawText(), QString::fromUtf8("\u03b1cd\u03b2f"));

    // Characters a document cannot hold are left out or turned into line breaks.
    d = readRtf(doc("a\\u0?b\\u10?c\\u-4?d\\u-560?e\\par"));
    EXPECT_EQ(d->toRawText(), QString::fromUtf8("ab\u2028cde"));
}

TEST(RtfEncoding, CodePagesFromFontCharsetThenDocument)
{
    // \ansicpg1251 for fonts of the default charset; a font's \fcharset wins.
    const QByteArray rtf =
        "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fnil Arial;}"
        "{\\f1\\fnil\\fcharset161 Arial Greek;}{\\f2\\fnil\\fcharset0 Arial;}"
        "{\\f3\\fnil\\fcharset238 Arial CE;}{\\f4\\fnil\\fcharset2 Symbol;}}"
        "\\f0 \\'cf\\'f0\\'e8 \\f1 \\'e1\\'e5 \\f2 \\'e9 \\f3 \\'9a \\f4 \\'61\\'b7\\par}";
    auto d = readRtf(rtf);
    EXPECT_EQ(d->toRawText(), QString::fromUtf8("При αε é š α•"));

    // \mac and \pc documents.
    d = readRtf("{\\rtf1\\mac \\'8e\\par}");
    EXPECT_EQ(d->toRawText(), QString::fromUtf8("é"));
    d = readRtf("{\\rtf1\\pc \\'82\\par}");
    EXPECT_EQ(d->toRawText(), QString::fromUtf8("é"));
    // A code page that cannot be had reads as Windows-1252.
    d = readRtf("{\\rtf1\\ansi\\ansicpg99999 \\'e9\\'80\\par}");
    EXPECT_EQ(d->toRawText(), QString::fromUtf8("é€"));
}

TEST(RtfEncoding, MultiByteCodePagesWithTrailBytesThatLookLikeSyntax)
{
    // Shift-JIS: hex pairs, and raw bytes whose trail byte is a backslash (0x5C) or a brace.
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fnil\\fcharset128 "
                     "\\'82\\'6c\\'82\\'72 \\'96\\'be\\'92\\'a9;}}\\f0 \\'93\\'fa\\'96\\'7b ";
    rtf += QByteArray("\x95\x5c\x83\x5c\x83\x7b ok", 9);
    rtf += "\\par}";
    auto d = readRtf(rtf);
    EXPECT_EQ(d->toRawText(), QString::fromUtf8("日本 表ソボ ok"));
    EXPECT_EQ(family(formatOf(*d, QString::fromUtf8("日"))), QString::fromUtf8("ＭＳ 明朝"));

    // GBK (936), Korean (949) and Big5 (950), also split across hex escapes and \u fallbacks.
    d = readRtf("{\\rtf1\\ansi\\ansicpg936 \\'d6\\'d0\\'ce\\'c4\\uc2\\u25991\\'ce\\'c4\\par}");
    EXPECT_EQ(d->toRawText(), QString::fromUtf8("中文文"));
    d = readRtf(
        "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset129 Gulim;}}\\f0 \\'c7\\'d1\\'b1\\'db\\par}");
    EXPECT_EQ(d->toRawText(), QString::fromUtf8("한글"));
    d = readRtf(
        "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset136 MingLiU;}}\\f0 \\'a4\\'a4\\'a4\\'e5\\par}");
    EXPECT_EQ(d->toRawText(), QString::fromUtf8("中文"));

    // A lead byte with nothing after it does not swallow the end of the document.
    d = readRtf("{\\rtf1\\ansi\\ansicpg932 a\\'82}");
    EXPECT_TRUE(d->toRawText().startsWith(u'a'));
}

TEST(RtfEncoding, CodePageTables)
{
    EXPECT_EQ(codepage::windows1252(0x80), u'\u20ac');
    EXPECT_EQ(codepage::windows1252(0x41), u'A');
    const codepage::CodePage& cyrillic = codepage::forNumber(1251);
    EXPECT_FALSE(cyrillic.isMultiByte());
    EXPECT_EQ(cyrillic.single(0xC0), u'\u0410');
    EXPECT_EQ(cyrillic.single(0x01), 0); // control characters are not text
    EXPECT_EQ(cyrillic.single('\t'), u'\t');
    const codepage::CodePage& japanese = codepage::forNumber(932);
    EXPECT_TRUE(japanese.isMultiByte());
    EXPECT_TRUE(japanese.isLeadByte(0x82));
    EXPECT_FALSE(japanese.isLeadByte(0x41));
    EXPECT_EQ(codepage::forCharset(204, 1252), 1251);
    EXPECT_EQ(codepage::forCharset(1, 1250), 1250);
    EXPECT_EQ(codepage::forNumber(123456).single(0x80), u'\u20ac');
}
