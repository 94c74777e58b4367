// Bad input: nothing a file or the clipboard holds crashes, hangs or exhausts memory.

#include "support/RtfTestSupport.h"

#include <QDirIterator>
#include <QElapsedTimer>

using namespace rtftest;

TEST(RtfHostileInput, EveryCorpusFileReadsWritesAndReadsBack)
{
    QDirIterator it(QStringLiteral(WORDLARK_TEST_DATA "/rtf"), QDir::Files,
                    QDirIterator::Subdirectories);
    int files = 0;
    while (it.hasNext()) {
        const QString path = it.next();
        SCOPED_TRACE(path.toStdString());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QElapsedTimer timer;
        timer.start();
        QTextDocument document;
        if (!rtf::looksLikeRtf(bytes)) {
            EXPECT_THROW(rtf::read(bytes, document), rtf::FormatError);
            continue;
        }
        ASSERT_NO_THROW(rtf::read(bytes, document));
        const QByteArray written = rtf::write(document);
        QTextDocument again;
        ASSERT_NO_THROW(rtf::read(written, again));
        EXPECT_EQ(again.toRawText(), document.toRawText());
        EXPECT_LT(timer.elapsed(), 2000);
        ++files;
    }
    EXPECT_GT(files, 30);
}

TEST(RtfHostileInput, NestingIsBoundedWithoutRecursion)
{
    // A million open groups: read in bounded time and memory; text beyond the depth bound is
    // dropped, text around it kept.
    QByteArray deep = "{\\rtf1 before";
    deep += QByteArray(1000000, '{');
    deep += "lost";
    deep += QByteArray(1000000, '}');
    deep += " after}";
    QElapsedTimer timer;
    timer.start();
    auto d = readRtf(deep);
    EXPECT_EQ(d->toRawText(), QStringLiteral("before after"));
    EXPECT_LT(timer.elapsed(), 3000);

    // Unclosed groups at moderate depth: the text is kept with the formatting in force.
    d = readRtf("{\\rtf1 a{\\b b{\\i c{\\ul d");
    EXPECT_EQ(d->toRawText(), QStringLiteral("abcd"));
    EXPECT_TRUE(formatOf(*d, "d").fontUnderline());
    EXPECT_TRUE(formatOf(*d, "d").fontItalic());

    // Extra closing braces end the document; nothing after it is read.
    EXPECT_EQ(readRtf("{\\rtf1 a}}} b")->toRawText(), QStringLiteral("a"));
}

TEST(RtfHostileInput, NumbersAndTableSizesAreBounded)
{
    auto d = readRtf(dataFile(QStringLiteral("rtf/hostile/huge_numbers.rtf")));
    // \uc2147483647 is bounded (to 16): the fallback skipped after \u is short.
    EXPECT_TRUE(d->toRawText().startsWith(QChar(0xFFFD)));
    const QTextCharFormat f = formatOf(*d, QString(QChar(0xFFFD)));
    EXPECT_LE(f.fontPointSize(), 1638.0);
    EXPECT_LE(std::abs(docformat::charOffsetTwips(f)), 32760.0);
    const QTextBlockFormat b = d->lastBlock().blockFormat();
    EXPECT_LE(std::abs(b.leftMargin()), 31680 / 15.0);
    EXPECT_LE(std::abs(b.textIndent()), 31680 / 15.0);

    // \binN never reads past the end; a huge count swallows the rest and stops there.
    EXPECT_EQ(readRtf(dataFile(QStringLiteral("rtf/hostile/huge_bin.rtf")))->toRawText(),
              QStringLiteral("a"));

    // Font, colour and list tables past their bounds, and indexes out of range.
    QByteArray fonts = "{\\rtf1{\\fonttbl";
    for (int i = 0; i < 100000; ++i)
        fonts += "{\\f" + QByteArray::number(i) + " F" + QByteArray::number(i) + ";}";
    fonts += "}\\f5 x\\f99999 y\\par}";
    QElapsedTimer timer;
    timer.start();
    d = readRtf(fonts);
    EXPECT_LT(timer.elapsed(), 3000);
    EXPECT_EQ(family(formatOf(*d, "x")), QStringLiteral("F5"));
    EXPECT_EQ(d->toRawText(), QStringLiteral("xy"));

    d = readRtf(dataFile(QStringLiteral("rtf/hostile/table_index_out_of_range.rtf")));
    EXPECT_EQ(paragraphs(*d), QStringList({"abcdefgx\th", "i"}));
    EXPECT_EQ(formatOf(*d, "c").foreground().style(), Qt::NoBrush);

    // Invalid hex and stray bytes read as what they are.
    d = readRtf(dataFile(QStringLiteral("rtf/hostile/invalid_hex.rtf")));
    EXPECT_TRUE(d->toRawText().startsWith(QStringLiteral("azz b\x04 c d\x01")) ||
                d->toRawText().startsWith(QStringLiteral("azz b")));
}

TEST(RtfHostileInput, PastedStylesheetsAreBoundedInWorkAndNumbers)
{
    // Thousands of styles, each paragraph of its own: pasting takes them over in one pass.
    QByteArray source = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\stylesheet{\\ql Normal;}";
    QByteArray body;
    constexpr int Styles = 20000;
    for (int i = 1; i <= Styles; ++i) {
        source += "{\\s" + QByteArray::number(i) + "\\sbasedon" + QByteArray::number(i - 1) +
                  " Style " + QByteArray::number(i) + ";}";
        body += "\\pard\\s" + QByteArray::number(i) + " p\\par";
    }
    source += "}" + body + "}";
    auto target = readRtf("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\stylesheet{\\ql Normal;}"
                          "{\\s5 Style 7;}}\\pard\\par}");
    QTextCursor cursor(target.get());
    rtf::insert(source, cursor);
    EXPECT_EQ(target->findBlockByNumber(6).blockFormat().intProperty(docformat::ParagraphStyle), 5);
    EXPECT_EQ(target->findBlockByNumber(0).blockFormat().intProperty(docformat::ParagraphStyle), 6);
    const QByteArray saved = rtf::write(*target);
    EXPECT_EQ(saved.count("Style 7;"), 1);
    EXPECT_EQ(saved.count("Style 20000;"), 1);

    // A target whose styles use the last number there is takes no more; nothing overflows.
    auto full = readRtf("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\stylesheet{\\ql Normal;}"
                        "{\\s2147483647 Last;}}\\pard\\par}");
    QTextCursor end(full.get());
    rtf::insert("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\stylesheet{\\ql Normal;}{\\s1 New;}}"
                "\\pard\\s1 x\\par}",
                end);
    EXPECT_FALSE(full->firstBlock().blockFormat().hasProperty(docformat::ParagraphStyle));
    EXPECT_FALSE(rtf::write(*full).contains("New;"));
}
