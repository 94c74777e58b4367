// Character and paragraph formatting.

#include "support/RtfTestSupport.h"

using namespace rtftest;

TEST(RtfCharacterFormatting, RunsTakeTheStateAndAClosingBraceRestoresIt)
{
    auto d = readRtf(doc("\\f2\\fs20 a{\\b\\i\\ul\\strike\\cf1\\f0\\fs31 b{\\plain c}d}e"
                         "\\b f\\b0 g\\ul h\\ulnone i\\uldb j\\ul0 k\\cf2 l\\cf0 m\\cf99 n\\par"));
    EXPECT_EQ(d->toRawText(), QStringLiteral("abcdefghijklmn"));

    const QTextCharFormat a = formatOf(*d, "a");
    EXPECT_EQ(family(a), QStringLiteral("Courier New"));
    EXPECT_DOUBLE_EQ(a.fontPointSize(), 10.0);
    EXPECT_FALSE(isBold(a));
    EXPECT_FALSE(a.fontItalic());
    EXPECT_FALSE(a.fontUnderline());
    EXPECT_EQ(a.foreground().style(), Qt::NoBrush);

    const QTextCharFormat b = formatOf(*d, "b");
    EXPECT_EQ(family(b), QStringLiteral("Arial"));
    EXPECT_DOUBLE_EQ(b.fontPointSize(), 15.5);
    EXPECT_TRUE(isBold(b));
    EXPECT_TRUE(b.fontItalic());
    EXPECT_TRUE(b.fontUnderline());
    EXPECT_TRUE(b.fontStrikeOut());
    EXPECT_EQ(b.foreground().color(), QColor(255, 0, 0));

    // \plain: the default font (\deff0) at 12 points, nothing else.
    const QTextCharFormat c = formatOf(*d, "c");
    EXPECT_EQ(family(c), QStringLiteral("Arial"));
    EXPECT_DOUBLE_EQ(c.fontPointSize(), 12.0);
    EXPECT_FALSE(isBold(c));
    EXPECT_FALSE(c.fontStrikeOut());
    EXPECT_EQ(c.foreground().style(), Qt::NoBrush);

    EXPECT_TRUE(isBold(formatOf(*d, "d")));
    EXPECT_EQ(formatOf(*d, "e"), a); // the brace restored everything
    EXPECT_TRUE(isBold(formatOf(*d, "f")));
    EXPECT_FALSE(isBold(formatOf(*d, "g")));
    EXPECT_TRUE(formatOf(*d, "h").fontUnderline());
    EXPECT_FALSE(formatOf(*d, "i").fontUnderline());
    // Every underline kind reads as underlined; the kind is kept for writing.
    EXPECT_TRUE(formatOf(*d, "j").fontUnderline());
    EXPECT_EQ(formatOf(*d, "j").intProperty(docformat::UnderlineKind), 3);
    EXPECT_FALSE(formatOf(*d, "k").fontUnderline());
    EXPECT_EQ(formatOf(*d, "l").foreground().color(), QColor(0, 128, 0));
    // Entry 0 and entries past the table are automatic.
    EXPECT_EQ(formatOf(*d, "m").foreground().style(), Qt::NoBrush);
    EXPECT_EQ(formatOf(*d, "n").foreground().style(), Qt::NoBrush);
}

TEST(RtfCharacterFormatting, OffsetsSuperscriptAndSubscript)
{
    auto d = readRtf(doc("\\fs20 a{\\up b}{\\up12 c}{\\dn d}{\\dn4 e}{\\up6\\up0 f}"
                         "{\\super g}{\\sub h}{\\super\\nosupersub i}{\\caps j}{\\scaps k}\\par"));
    EXPECT_DOUBLE_EQ(docformat::charOffsetTwips(formatOf(*d, "a")), 0.0);
    EXPECT_DOUBLE_EQ(docformat::charOffsetTwips(formatOf(*d, "b")), 60.0); // default 6 half-points
    EXPECT_DOUBLE_EQ(docformat::charOffsetTwips(formatOf(*d, "c")), 120.0);
    EXPECT_DOUBLE_EQ(docformat::charOffsetTwips(formatOf(*d, "d")), -60.0);
    EXPECT_DOUBLE_EQ(docformat::charOffsetTwips(formatOf(*d, "e")), -40.0);
    EXPECT_DOUBLE_EQ(docformat::charOffsetTwips(formatOf(*d, "f")), 0.0);
    // The offset is drawn through the baseline shift for the run's size.
    EXPECT_DOUBLE_EQ(formatOf(*d, "c").baselineOffset(), docformat::baselinePercentFor(120, 10));
    EXPECT_EQ(formatOf(*d, "g").verticalAlignment(), QTextCharFormat::AlignSuperScript);
    EXPECT_EQ(formatOf(*d, "h").verticalAlignment(), QTextCharFormat::AlignSubScript);
    EXPECT_EQ(formatOf(*d, "i").verticalAlignment(), QTextCharFormat::AlignNormal);
    EXPECT_EQ(formatOf(*d, "j").fontCapitalization(), QFont::AllUppercase);
    EXPECT_EQ(formatOf(*d, "k").fontCapitalization(), QFont::SmallCaps);
}

TEST(RtfCharacterFormatting, ProportionalRaisedTextIsShownSmallerAndWrittenBackAsRead)
{
    // As LibreOffice writes subscripts and superscripts: an offset and a proportional size.
    auto d =
        readRtf(doc("\\fs24 a{\\*\\updnprop8000}\\dn2 b\\plain\\fs24 c{{\\*\\updnprop5801}\\up9 d}"
                    "{\\*\\updnprop8000} e\\par"));
    EXPECT_DOUBLE_EQ(formatOf(*d, "a").fontPointSize(), 12.0);
    EXPECT_DOUBLE_EQ(formatOf(*d, "b").fontPointSize(), 9.6);
    EXPECT_DOUBLE_EQ(docformat::charOffsetTwips(formatOf(*d, "b")), -20.0);
    EXPECT_DOUBLE_EQ(formatOf(*d, "b").baselineOffset(), docformat::baselinePercentFor(-20, 9.6));
    EXPECT_DOUBLE_EQ(formatOf(*d, "c").fontPointSize(), 12.0) << "\\plain ends it";
    EXPECT_DOUBLE_EQ(formatOf(*d, "d").fontPointSize(), 12.0 * 0.58);
    EXPECT_DOUBLE_EQ(formatOf(*d, "e").fontPointSize(), 12.0) << "a proportion without an offset";

    const QByteArray written = rtf::write(*d);
    EXPECT_TRUE(written.contains("\\fs24{\\*\\updnprop8000}\\dn2")) << written.toStdString();
    EXPECT_TRUE(written.contains("\\fs24{\\*\\updnprop5801}\\up9")) << written.toStdString();
    auto again = readRtf(written);
    EXPECT_EQ(formatOf(*again, "b"), formatOf(*d, "b"));
    EXPECT_EQ(formatOf(*again, "d"), formatOf(*d, "d"));
}

TEST(RtfCharacterFormatting, OurOwnOffsetsAreWrittenWithoutAProportion)
{
    QTextDocument d;
    QTextCursor cursor(&d);
    QTextCharFormat raised;
    raised.setFontPointSize(12);
    docformat::setCharOffsetTwips(raised, 60, 12);
    cursor.insertText(QStringLiteral("x"), raised);
    const QByteArray written = rtf::write(d);
    EXPECT_TRUE(written.contains("\\fs24\\up6")) << written.toStdString();
    EXPECT_FALSE(written.contains("updnprop"));
}

TEST(RtfParagraphFormatting, PardResetsParagraphPropertiesOnly)
{
    auto d = readRtf(doc("\\pard\\qc\\li720\\ri360\\fi-240\\sb120\\sa240\\b centred\\par "
                         "still centred\\par "
                         "\\pard right bold? \\qr\\par"
                         "\\pard\\qj justified\\par"
                         "\\pard\\sl360\\slmult1 one and a half\\par"
                         "\\pard\\sl-300\\slmult0\\pagebb exact\\par"
                         "\\pard\\tx1440\\tqr\\tx5000 tabs\\par"));
    ASSERT_EQ(d->blockCount(), 7);
    const QTextBlockFormat first = paragraph(*d, 0).blockFormat();
    EXPECT_EQ(first.alignment(), Qt::AlignHCenter);
    EXPECT_DOUBLE_EQ(first.leftMargin(), 48.0);
    EXPECT_DOUBLE_EQ(first.rightMargin(), 24.0);
    EXPECT_DOUBLE_EQ(first.textIndent(), -16.0);
    EXPECT_DOUBLE_EQ(first.topMargin(), 8.0);
    EXPECT_DOUBLE_EQ(first.bottomMargin(), 16.0);
    EXPECT_EQ(paragraph(*d, 1).blockFormat().alignment(), Qt::AlignHCenter);
    // The paragraph takes the properties in force at its mark; \pard left bold alone.
    EXPECT_EQ(paragraph(*d, 2).blockFormat().alignment(), Qt::AlignRight);
    EXPECT_DOUBLE_EQ(paragraph(*d, 2).blockFormat().leftMargin(), 0.0);
    EXPECT_TRUE(isBold(formatOf(*d, "right")));
    EXPECT_EQ(paragraph(*d, 3).blockFormat().alignment(), Qt::AlignJustify);
    EXPECT_EQ(paragraph(*d, 4).blockFormat().lineHeightType(),
              QTextBlockFormat::ProportionalHeight);
    EXPECT_DOUBLE_EQ(paragraph(*d, 4).blockFormat().lineHeight(), 150.0);
    EXPECT_EQ(paragraph(*d, 5).blockFormat().lineHeightType(), QTextBlockFormat::FixedHeight);
    EXPECT_DOUBLE_EQ(paragraph(*d, 5).blockFormat().lineHeight(), 20.0);
    EXPECT_TRUE(paragraph(*d, 5).blockFormat().pageBreakPolicy() &
                QTextFormat::PageBreak_AlwaysBefore);
    const QList<QTextOption::Tab> tabs = paragraph(*d, 6).blockFormat().tabPositions();
    ASSERT_EQ(tabs.size(), 2);
    EXPECT_DOUBLE_EQ(tabs[0].position, 96.0);
    EXPECT_EQ(tabs[1].type, QTextOption::RightTab);
}

TEST(RtfParagraphFormatting, BreaksAndTheLastParagraphMark)
{
    // \page ends the paragraph and breaks the page before the next one; \sect and \column end a
    // paragraph that has text, and a new section starts on a new page unless it says otherwise.
    auto d = readRtf(doc("one\\page two\\par\\page three\\sect four\\par\\sect\\sbknone five"
                         "\\column six"));
    EXPECT_EQ(paragraphs(*d), QStringList({"one", "two", "three", "four", "five", "six"}));
    for (int i : {1, 2, 3})
        EXPECT_TRUE(paragraph(*d, i).blockFormat().pageBreakPolicy() &
                    QTextFormat::PageBreak_AlwaysBefore)
            << i;
    for (int i : {4, 5})
        EXPECT_FALSE(paragraph(*d, i).blockFormat().pageBreakPolicy() &
                     QTextFormat::PageBreak_AlwaysBefore)
            << i;

    // The last \par closes the last paragraph; an empty paragraph before it stays.
    EXPECT_EQ(paragraphs(*readRtf(doc("a\\par b\\par"))), QStringList({"a", "b"}));
    EXPECT_EQ(paragraphs(*readRtf(doc("a\\par \\par"))), QStringList({"a", ""}));
    EXPECT_EQ(paragraphs(*readRtf(doc("a\\par b"))), QStringList({"a", "b"}));
    EXPECT_EQ(paragraphs(*readRtf(doc(""))), QStringList({""}));
    EXPECT_EQ(paragraphs(*readRtf("{\\rtf1}")), QStringList({""}));

    // The paragraph mark keeps the character format of an empty paragraph.
    d = readRtf(doc("a\\par\\f2\\fs40 \\par"));
    EXPECT_DOUBLE_EQ(paragraph(*d, 1).charFormat().fontPointSize(), 20.0);
}

TEST(RtfCharacterFormatting, AssociatedPropertiesAsLibreOfficeWritesThem)
{
    // Right-to-left and \hich runs keep their associated size and bold to themselves; elsewhere
    // (LibreOffice's \dbch runs of CJK text) they are the run's.
    auto d = readRtf(doc(
        "\\rtlch\\af1\\afs40\\ab \\ltrch\\fs20 a{\\hich\\af2\\loch\\f2\\dbch\\afs30\\ab\\dbch b}"
        "{\\hich\\afs50\\ab c}{\\rtlch\\ai \\ltrch\\loch d}\\par"));
    EXPECT_DOUBLE_EQ(formatOf(*d, "a").fontPointSize(), 10.0);
    EXPECT_FALSE(isBold(formatOf(*d, "a")));
    EXPECT_DOUBLE_EQ(formatOf(*d, "b").fontPointSize(), 15.0);
    EXPECT_TRUE(isBold(formatOf(*d, "b")));
    EXPECT_DOUBLE_EQ(formatOf(*d, "c").fontPointSize(), 10.0);
    EXPECT_FALSE(isBold(formatOf(*d, "c")));
    EXPECT_FALSE(formatOf(*d, "d").fontItalic());
}
