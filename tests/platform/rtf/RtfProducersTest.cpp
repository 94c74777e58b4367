// Files as real word processors write them (tests/data/rtf/good) read with the right text and
// formatting.

#include "support/RtfTestSupport.h"

#include <QTextCursor>
#include <QTextTable>

using namespace rtftest;

TEST(RtfProducers, WordDocument)
{
    auto d = readRtf(dataFile(QStringLiteral("rtf/good/word.rtf")));
    const QString obj(QChar::ObjectReplacementCharacter);
    EXPECT_EQ(
        paragraphs(*d),
        QStringList(
            {"Quarterly Report",
             QString::fromUtf8("Sales rose by 12\u00a0% in the \u201cnorth\u201d region despite "
                               "the weather \u2013 see the full report. H2O and E=mc2."),
             "First bullet", "Nested bullet", "Numbered item", "Logo: " + obj, "Region", "Total",
             "North", QString::fromUtf8("1\u00a0200"), QString::fromUtf8("Café € 你好")}));
    EXPECT_EQ(paragraph(*d, 0).blockFormat().alignment(), Qt::AlignHCenter);
    EXPECT_TRUE(isBold(formatOf(*d, "Quarterly")));
    EXPECT_DOUBLE_EQ(formatOf(*d, "Quarterly").fontPointSize(), 16.0);
    EXPECT_EQ(family(formatOf(*d, "Sales")), QStringLiteral("Calibri"));
    EXPECT_DOUBLE_EQ(formatOf(*d, "Sales").fontPointSize(), 11.0);
    EXPECT_TRUE(formatOf(*d, "despite").fontItalic());
    EXPECT_EQ(formatOf(*d, "the full").anchorHref(), QStringLiteral("https://example.com/report"));
    EXPECT_EQ(formatOf(*d, "the full").foreground().color(), QColor(5, 99, 193));
    EXPECT_DOUBLE_EQ(docformat::charOffsetTwips(formatOf(*d, "2O")), 60.0);
    EXPECT_EQ(formatOf(*d, "2.").verticalAlignment(), QTextCharFormat::AlignSuperScript);
    EXPECT_TRUE(hasBullet(paragraph(*d, 2)));
    EXPECT_TRUE(hasBullet(paragraph(*d, 3)));
    EXPECT_EQ(paragraph(*d, 3).textList()->format().indent(), 2);
    EXPECT_FALSE(hasBullet(paragraph(*d, 4)));
    ASSERT_TRUE(paragraph(*d, 4).textList());
    EXPECT_EQ(listNumbers(*d)[4], QStringLiteral("1."));
    // The table's cells are cells of a table.
    EXPECT_NE(QTextCursor(paragraph(*d, 6)).currentTable(), nullptr);
    EXPECT_EQ(paragraph(*d, 1).blockFormat().lineHeightType(),
              QTextBlockFormat::ProportionalHeight);
}

TEST(RtfProducers, LibreOfficeDocument)
{
    auto d = readRtf(dataFile(QStringLiteral("rtf/good/libreoffice.rtf")));
    EXPECT_EQ(
        paragraphs(*d),
        QStringList({"Chapter One",
                     QString::fromUtf8(
                         "It was a dark and stormy night; the red lamp said \u201chello\u201d "
                         "and \u2014 nothing more. CO2 and x2. See the website."),
                     "Apples", "Green ones", "Step one", "Name", "Value", "Width", "42",
                     QString::fromUtf8("Right aligned 中文 end")}));
    EXPECT_EQ(family(formatOf(*d, "Chapter")), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(paragraph(*d, 0).blockFormat().alignment(), Qt::AlignHCenter);
    EXPECT_EQ(family(formatOf(*d, "It was")), QStringLiteral("Liberation Serif"));
    EXPECT_TRUE(isBold(formatOf(*d, "dark")));
    EXPECT_TRUE(formatOf(*d, "stormy").fontItalic());
    EXPECT_EQ(formatOf(*d, "red").foreground().color(), QColor(201, 33, 30));
    EXPECT_EQ(formatOf(*d, "2 and").verticalAlignment(), QTextCharFormat::AlignSubScript);
    EXPECT_EQ(formatOf(*d, "the website").anchorHref(),
              QStringLiteral("https://www.libreoffice.org/"));
    EXPECT_TRUE(hasBullet(paragraph(*d, 2)));
    EXPECT_EQ(paragraph(*d, 3).textList()->format().indent(), 2);
    EXPECT_EQ(listStyleOf(paragraph(*d, 4)), QTextListFormat::ListDecimal);
    EXPECT_NE(QTextCursor(paragraph(*d, 5)).currentTable(), nullptr);
    EXPECT_EQ(paragraph(*d, 9).blockFormat().alignment(), Qt::AlignRight);
}

TEST(RtfProducers, AbiWordPandocTextEditWordPadAndLegacyCodePages)
{
    auto abi = readRtf(dataFile(QStringLiteral("rtf/good/abiword.rtf")));
    EXPECT_EQ(paragraphs(*abi),
              QStringList({"Introduction", "This text is justified and has blue underlined words.",
                           "One", "Two", "Centred struck"}));
    EXPECT_EQ(paragraph(*abi, 1).blockFormat().alignment(), Qt::AlignJustify);
    EXPECT_EQ(formatOf(*abi, "blue").foreground().color(), QColor(0, 0, 255));
    EXPECT_TRUE(formatOf(*abi, "blue").fontUnderline());
    EXPECT_TRUE(hasBullet(paragraph(*abi, 2)));
    EXPECT_TRUE(formatOf(*abi, "struck").fontStrikeOut());

    auto pandoc = readRtf(dataFile(QStringLiteral("rtf/good/pandoc.rtf")));
    EXPECT_EQ(paragraphs(*pandoc),
              QStringList({"Pandoc heading",
                           QString::fromUtf8("Some emphasis, strong, code and a link. Unicode: "
                                             "\u201cquoted\u201d \u2014 \u03bb."),
                           QString::fromUtf8("\u2022\tFirst"), QString::fromUtf8("\u2022\tSecond"),
                           "1.\tNumbered", "Block quote"}));
    EXPECT_DOUBLE_EQ(formatOf(*pandoc, "Pandoc").fontPointSize(), 18.0);
    EXPECT_EQ(family(formatOf(*pandoc, "code")), QStringLiteral("Courier"));
    EXPECT_EQ(formatOf(*pandoc, "link").anchorHref(), QStringLiteral("https://pandoc.org"));

    auto textEdit = readRtf(dataFile(QStringLiteral("rtf/good/textedit.rtf")));
    EXPECT_EQ(paragraphs(*textEdit),
              QStringList({"Plain line", "", "Bold line and red",
                           QString::fromUtf8("\u201cSmart quotes\u201d and café"), "Disc item",
                           "Another item", "mono centred"}));
    EXPECT_TRUE(hasBullet(paragraph(*textEdit, 4)));
    EXPECT_TRUE(hasBullet(paragraph(*textEdit, 5)));
    EXPECT_EQ(paragraph(*textEdit, 6).blockFormat().alignment(), Qt::AlignHCenter);
    EXPECT_EQ(formatOf(*textEdit, "red").foreground().color(), QColor(251, 2, 7));

    auto wordPad = readRtf(dataFile(QStringLiteral("rtf/good/wordpad.rtf")));
    EXPECT_EQ(paragraphs(*wordPad),
              QStringList({"WordPad title", "Normal blue text with a tab\tand underline.",
                           "Bullet one", "Bullet two", "Right", "Subscript and superscript."}));
    EXPECT_TRUE(hasBullet(paragraph(*wordPad, 3)));
    EXPECT_EQ(formatOf(*wordPad, "script and").verticalAlignment(),
              QTextCharFormat::AlignSubScript);

    auto japanese = readRtf(dataFile(QStringLiteral("rtf/good/japanese.rtf")));
    EXPECT_EQ(paragraphs(*japanese), QStringList({QString::fromUtf8("日本語の表示とソフト"),
                                                  QString::fromUtf8("Latin 十能")}));
    EXPECT_TRUE(isBold(formatOf(*japanese, QString::fromUtf8("能"))));

    auto cyrillic = readRtf(dataFile(QStringLiteral("rtf/good/cyrillic_greek.rtf")));
    EXPECT_EQ(cyrillic->toPlainText(), QString::fromUtf8("Привет Καλημέρα"));
}
