// Bullets and lists (the \pn scheme and list tables).

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
    // Numbered lists are lists too; an unknown list shows its text.
    EXPECT_EQ(paragraphs(*d), QStringList({"a", "b", "c", "d", "-\te"}));
    EXPECT_TRUE(hasBullet(paragraph(*d, 0)));
    EXPECT_TRUE(hasBullet(paragraph(*d, 1)));
    EXPECT_EQ(paragraph(*d, 0).textList()->format().indent(), 1);
    EXPECT_EQ(paragraph(*d, 1).textList()->format().indent(), 2);
    EXPECT_FALSE(hasBullet(paragraph(*d, 2)));
    ASSERT_TRUE(paragraph(*d, 2).textList());
    EXPECT_EQ(paragraph(*d, 2).textList(), paragraph(*d, 3).textList());
    EXPECT_EQ(listNumbers(*d)[3], QStringLiteral("2."));
    EXPECT_FALSE(paragraph(*d, 4).textList());
    // The list's own indent is where the number goes: no extra margin or indent.
    EXPECT_DOUBLE_EQ(paragraph(*d, 2).blockFormat().leftMargin(), 0.0);
    EXPECT_DOUBLE_EQ(paragraph(*d, 2).blockFormat().textIndent(), 0.0);
    // The formatting of the list text does not leak into the paragraph.
    EXPECT_EQ(family(formatOf(*d, "a")), QStringLiteral("Arial"));

    // Old numbered \pn paragraphs are numbered lists.
    d = readRtf(doc("{\\pntext 1.\\tab}{\\*\\pn\\pnlvlbody\\pndec\\pnstart1{\\pntxta "
                    ".}}\\fi-360\\li720 x\\par"));
    EXPECT_EQ(paragraphs(*d), QStringList({"x"}));
    ASSERT_TRUE(paragraph(*d, 0).textList());
    EXPECT_EQ(listNumbers(*d)[0], QStringLiteral("1."));
}

TEST(RtfLists, NumberFormatsLevelTextsStartsAndRestarts)
{
    // Word's list table: decimal "1." with an upper-letter second level "(A)", a Roman list that
    // starts at 4, and an override that restarts the first list at 10.
    const QByteArray table =
        "{\\*\\listtable"
        "{\\list{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'"
        "01;}"
        "\\fi-360\\li720}{\\listlevel\\levelnfc3\\levelstartat1{\\leveltext\\'03(\\'01);}"
        "{\\levelnumbers\\'02;}\\fi-360\\li1440}\\listid1}"
        "{\\list{\\listlevel\\levelnfc2\\levelstartat4{\\leveltext\\'02\\'00);}{\\levelnumbers\\'"
        "01;}}"
        "\\listid2}"
        "{\\list{\\listlevel\\levelnfc4{\\leveltext\\'04\\'00.\\'01.;}}"
        "{\\listlevel\\levelnfc255{\\leveltext\\'00;}}\\listid3}}"
        "{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}"
        "{\\listoverride\\listid2\\listoverridecount0\\ls2}"
        "{\\listoverride\\listid1\\listoverridecount1{\\lfolevel\\listoverridestartat"
        "\\levelstartat10}\\ls3}{\\listoverride\\listid3\\listoverridecount0\\ls4}}";
    auto d = readRtf(doc(table + "{\\listtext 1.\\tab}\\pard\\ls1 one\\par"
                                 "{\\listtext (A)\\tab}\\pard\\ls1\\ilvl1 sub\\par"
                                 "\\pard plain\\par"
                                 "{\\listtext 2.\\tab}\\pard\\ls1 two\\par"
                                 "{\\listtext iv)\\tab}\\pard\\ls2 roman\\par"
                                 "{\\listtext 10.\\tab}\\pard\\ls3 ten\\par"
                                 "\\pard\\ls4 letter\\par\\pard\\ls4\\ilvl1 none\\par"));
    EXPECT_EQ(paragraphs(*d),
              QStringList({"one", "sub", "plain", "two", "roman", "ten", "letter", "none"}));
    EXPECT_EQ(listNumbers(*d), QStringList({"1.", "(A)", "", "2.", "iv)", "10.", "a.", ""}));
    EXPECT_EQ(listStyleOf(paragraph(*d, 1)), QTextListFormat::ListUpperAlpha);
    EXPECT_EQ(paragraph(*d, 1).textList()->format().indent(), 2);
    EXPECT_EQ(listStyleOf(paragraph(*d, 4)), QTextListFormat::ListLowerRoman);
    EXPECT_EQ(paragraph(*d, 4).textList()->format().intProperty(docformat::ListStart), 4);
    // A list continues across a paragraph outside it; an override with a start is a new list.
    EXPECT_EQ(paragraph(*d, 0).textList(), paragraph(*d, 3).textList());
    EXPECT_NE(paragraph(*d, 0).textList(), paragraph(*d, 5).textList());
    EXPECT_EQ(listStyleOf(paragraph(*d, 7)), QTextListFormat::ListStyleUndefined);

    // Written back with a list table, \ls and \ilvl, the numbers as \listtext and the \pn
    // fallback; read back the same.
    const QByteArray rtf = rtf::write(*d);
    EXPECT_TRUE(rtf.contains("{\\*\\listtable")) << rtf.constData();
    EXPECT_TRUE(rtf.contains("{\\*\\listoverridetable")) << rtf.constData();
    EXPECT_TRUE(rtf.contains("{\\listtext (A)\\tab}")) << rtf.constData();
    EXPECT_TRUE(rtf.contains("\\levelstartat4")) << rtf.constData();
    EXPECT_TRUE(rtf.contains("\\pnucltr")) << rtf.constData();
    EXPECT_TRUE(rtf.contains("{\\leveltext\\'03(\\'01);}{\\levelnumbers\\'02;}"))
        << rtf.constData();
    auto again = readRtf(rtf);
    EXPECT_EQ(paragraphs(*again), paragraphs(*d));
    EXPECT_EQ(listNumbers(*again), listNumbers(*d));
    EXPECT_EQ(paragraph(*again, 0).textList(), paragraph(*again, 3).textList());
    EXPECT_EQ(paragraph(*again, 1).textList()->format().indent(), 2);
}

TEST(RtfLists, OldParagraphNumberingForms)
{
    // \pn with letters, Roman numerals, text before and after, a start number and outline levels.
    auto d =
        readRtf(doc("{\\pntext A.\\tab}{\\*\\pn\\pnlvlbody\\pnucltr\\pnstart1{\\pntxta .}}a\\par"
                    "{\\pntext B.\\tab}b\\par"
                    "\\pard{\\pntext (iii)\\tab}{\\*\\pn\\pnlvlbody\\pnlcrm\\pnstart3{\\pntxtb (}"
                    "{\\pntxta )}}c\\par"
                    "\\pard{\\*\\pn\\pnlvl2\\pndec\\pnstart5{\\pntxta .}}d\\par"));
    EXPECT_EQ(paragraphs(*d), QStringList({"a", "b", "c", "d"}));
    EXPECT_EQ(listNumbers(*d), QStringList({"A.", "B.", "(iii)", "5."}));
    EXPECT_EQ(paragraph(*d, 3).textList()->format().indent(), 2);
    auto again = readRtf(rtf::write(*d));
    EXPECT_EQ(listNumbers(*again), listNumbers(*d));
}
