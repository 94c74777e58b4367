// Plain-text files: UTF-8 with byte-order marks honoured, Windows-1252 for bytes that are not
// UTF-8, written as UTF-8 without a byte-order mark and with LF line ends.

#include "support/RtfTestSupport.h"

#include "platform/document/PlainText.h"

TEST(PlainText, DecodesUtf8ByteOrderMarksAndWindows1252)
{
    EXPECT_EQ(plaintext::decode(QByteArray("caf\xc3\xa9 \xe2\x82\xac")),
              QString::fromUtf8("café €"));
    EXPECT_EQ(plaintext::decode(QByteArray("\xef\xbb\xbfx")), QStringLiteral("x"));
    EXPECT_EQ(plaintext::decode(QByteArray("\xff\xfe"
                                           "a\0\xe9\0",
                                           6)),
              QString::fromUtf8("aé"));
    EXPECT_EQ(plaintext::decode(QByteArray("\xfe\xff\0a\0\xe9", 6)), QString::fromUtf8("aé"));
    // Bytes that are not UTF-8 are Windows-1252, and valid UTF-8 around them stays UTF-8.
    EXPECT_EQ(plaintext::decode(QByteArray("caf\xe9 \x80 \x93q\x94")),
              QString::fromUtf8("café € “q”"));
    EXPECT_EQ(plaintext::decode(QByteArray("\xc3\xa9\xe9")), QString::fromUtf8("éé"));
    // Overlong forms, surrogates and truncated sequences are not UTF-8.
    EXPECT_EQ(plaintext::decode(QByteArray("\xc0\xaf")), QString::fromUtf8("À¯"));
    EXPECT_EQ(plaintext::decode(QByteArray("\xed\xa0\x80")), QString::fromUtf8("í\u00a0€"));
    EXPECT_EQ(plaintext::decode(QByteArray("a\xe2\x82")), QString::fromUtf8("aâ‚"));
    // CRLF and CR are line ends.
    EXPECT_EQ(plaintext::decode("a\r\nb\rc\nd"), QStringLiteral("a\nb\nc\nd"));
    EXPECT_EQ(plaintext::decode(QByteArray()), QString());
}

TEST(PlainText, EncodesUtf8WithLfLineEnds)
{
    const QString text = QString::fromUtf8("café\r\nb\rc") + QChar(0x2029) + QStringLiteral("d") +
                         QChar(0x2028) + QStringLiteral("e") +
                         QChar(QChar::ObjectReplacementCharacter) + QStringLiteral("f");
    EXPECT_EQ(plaintext::encode(text), QByteArray("caf\xc3\xa9\nb\nc\nd\ne"
                                                  "f"));
    EXPECT_FALSE(plaintext::encode(QStringLiteral("x")).startsWith("\xef\xbb\xbf"));
    // What is read is written back byte for byte when it was UTF-8 with LF ends.
    const QByteArray utf8 = "line one\n\xe6\x97\xa5\xe6\x9c\xac\n\tindented\n";
    EXPECT_EQ(plaintext::encode(plaintext::decode(utf8)), utf8);
}
