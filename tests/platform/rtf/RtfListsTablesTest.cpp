// Bullets and lists (the \pn scheme and list tables), and tables read as tab-separated rows.

#include "support/RtfTestSupport.h"

using namespace rtftest;

TEST(RtfLists, PnBulletsAndListTableBulletsBecomeBulletLists)
{
    // WordPad's \pn scheme: the \pntext is the fallback and is not shown; properties carry on to
    // the next paragraph until \pard.
    auto d = readRtf(
        doc("\\pard{\\pntext\\f1\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'b7}}"
            "\\fi-360\\li720 one\\par{\\pntext\\f1\\'b7\\tab}two\\par\\pard three\\par"));
    EXPECT_EQ(paragraphs(*d), QStringList({"one", "two", "three"}));
    EXPECT_TRUE(hasBullet(paragraph(*d, 0)));
    EXPECT_TRUE(hasBullet(paragraph(*d, 1)));
    EXPECT_EQ(paragraph(*d, 0).textList(), paragraph(*d, 1).textList());
    EXPECT_FALSE(hasBullet(paragraph(*d, 2)));
    // The standard hanging indent is where the bullet goes: no extra margin or indent.
    EXPECT_DOUBLE_EQ(paragraph(*d, 0).blockFormat().leftMargin(), 0.0);
    EXPECT_DOUBLE_EQ(paragraph(*d, 0).blockFormat().textIndent(), 0.0);

    // Word's list table: \levelnfc23 is a bullet, at the level \ilvl names.
    const QByteArray table =
        "{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc23\\levelnfcn23"
        "{\\leveltext\\'01\\u-3913 ?;}{\\levelnumbers;}\\f1\\fi-360\\li720}"
        "{\\listlevel\\levelnfc23{\\leveltext\\'01o;}{\\levelnumbers;}\\fi-360\\li1440}"
        "{\\listname ;}\\listid7}"
        "{\\list{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}}\\listid8}}"
        "{\\*\\listoverridetable{\\listoverride\\listid7\\listoverridecount0\\ls1}"
        "{\\listoverride\\listid8\\listoverridecount0\\ls2}}";
    d = readRtf(doc(table +
                    "{\\listtext\\pard\\plain\\f1 \\'b7\\tab}\\pard\\fi-360\\li720\\ls1 a\\par"
                    "{\\listtext\\pard\\plain o\\tab}\\pard\\fi-360\\li1440\\ls1\\ilvl1 b\\par"
                    "{\\listtext\\pard\\plain 1.\\tab}\\pard\\fi-360\\li720\\ls2 c\\par"
                    "{\\listtext\\pard\\plain 2.\\tab}\\pard\\fi-360\\li720\\ls2 d\\par"
                    "{\\listtext\\pard\\plain -\\tab}\\pard\\ls9 e\\par"));
    // Numbered lists keep their numbers as text; an unknown list shows its text too.
    EXPECT_EQ(paragraphs(*d), QStringList({"a", "b", "1.\tc", "2.\td", "-\te"}));
    EXPECT_TRUE(hasBullet(paragraph(*d, 0)));
    EXPECT_TRUE(hasBullet(paragraph(*d, 1)));
    EXPECT_EQ(paragraph(*d, 0).textList()->format().indent(), 1);
    EXPECT_EQ(paragraph(*d, 1).textList()->format().indent(), 2);
    EXPECT_FALSE(hasBullet(paragraph(*d, 2)));
    EXPECT_FALSE(hasBullet(paragraph(*d, 4)));
    EXPECT_DOUBLE_EQ(paragraph(*d, 2).blockFormat().leftMargin(), 48.0);
    EXPECT_DOUBLE_EQ(paragraph(*d, 2).blockFormat().textIndent(), -24.0);
    // The formatting of the list text does not leak into the paragraph.
    EXPECT_EQ(family(formatOf(*d, "a")), QStringLiteral("Arial"));

    // Old numbered \pn lists keep their \pntext numbers.
    d = readRtf(doc("{\\pntext 1.\\tab}{\\*\\pn\\pnlvlbody\\pndec\\pnstart1{\\pntxta "
                    ".}}\\fi-360\\li720 x\\par"));
    EXPECT_EQ(paragraphs(*d), QStringList({"1.\tx"}));
    EXPECT_FALSE(hasBullet(paragraph(*d, 0)));
}

TEST(RtfTables, RowsAreParagraphsWithCellsSeparatedByTabs)
{
    // LibreOffice and Word write rows this way; the cell boundaries become tab stops.
    auto d = readRtf(
        doc("\\trowd\\cellx2000\\cellx4000\\cellx6000\\pard\\intbl a\\cell b\\cell c\\cell\\row"
            "\\trowd\\cellx2000\\cellx4000\\cellx6000\\pard\\intbl {d\\cell}{\\cell}{f\\cell}"
            "{\\trowd\\cellx2000\\cellx4000\\cellx6000\\row}\\pard after\\par"));
    EXPECT_EQ(paragraphs(*d), QStringList({"a\tb\tc", "d\t\tf", "after"}));
    const QList<QTextOption::Tab> tabs = paragraph(*d, 0).blockFormat().tabPositions();
    ASSERT_EQ(tabs.size(), 2);
    EXPECT_DOUBLE_EQ(tabs[0].position, 2000 / 15.0);
    EXPECT_DOUBLE_EQ(tabs[1].position, 4000 / 15.0);
    EXPECT_TRUE(paragraph(*d, 2).blockFormat().tabPositions().isEmpty());

    // Paragraphs inside a cell, nested tables and malformed rows lose no text.
    d = readRtf(doc("\\intbl one\\par two\\cell three\\cell\\row"
                    "\\pard\\intbl\\itap2 in\\nestcell ner\\nestcell{\\*\\nesttableprops\\nestrow}"
                    "{\\nonesttables x}\\cell\\row "
                    "lone\\cell\\row\\row stray\\cell tail"));
    EXPECT_EQ(paragraphs(*d),
              QStringList({"one", "two\tthree", "in\tner\t", "lone", "", "stray\ttail"}));
}
