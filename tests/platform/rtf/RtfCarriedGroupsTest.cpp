// What the editor cannot show is carried through: document-level groups, inline groups, fields,
// the page setup; written back in place and stable over repeated saves.

#include "support/RtfTestSupport.h"

#include "platform/rtf/RtfCarriedGroups.h"

#include <QDir>
#include <QPageLayout>
#include <QPageSize>
#include <QTextCursor>

using namespace rtftest;

namespace
{

constexpr char16_t Object = QChar::ObjectReplacementCharacter;

// A Word-style document: the tables, page setup and headers before the text, notes, bookmarks,
// comments and fields in it.
QByteArray wordStyleDocument()
{
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1033"
           "{\\fonttbl{\\f0\\froman\\fcharset0 Times New Roman;}{\\f2\\fswiss\\fcharset0 Arial;}"
           "{\\f5\\fmodern\\fcharset0 Courier New;}}"
           "{\\colortbl;\\red0\\green0\\blue0;\\red255\\green255\\blue0;}"
           "{\\stylesheet{\\ql \\li0\\ri0\\widctlpar\\f0\\fs24 \\snext0 Normal;}"
           "{\\s1\\ql \\keepn\\b\\f2\\fs32 \\sbasedon0 \\snext0 heading 1;}}"
           "{\\*\\generator Some Writer 1.0;}"
           "{\\info{\\title The letter}{\\author Ann Author}{\\creatim\\yr2024\\mo3\\dy1}}"
           "\\paperw16838\\paperh11906\\margl1134\\margr1134\\margt1418\\margb1134\\landscape"
           "\\sectd\\lndscpsxn\\titlepg"
           "{\\header \\pard\\plain \\qc\\f2\\fs18 Running head {\\field{\\*\\fldinst PAGE}"
           "{\\fldrslt 1}}\\par}"
           "{\\footerf \\pard\\plain \\f2\\fs18 First footer\\par}"
           "\\pard\\plain \\f0\\fs24 Dear {\\*\\bkmkstart greeting}reader{\\*\\bkmkend greeting},"
           " see{\\super\\chftn}{\\footnote \\pard\\plain \\f0\\fs20 {\\super\\chftn} A note with "
           "{\\cf2 colour}.}"
           " and {\\*\\atnid AA}{\\*\\atnauthor Ann}\\chatn{\\*\\annotation \\pard A comment}"
           "here.\\par "
           "Page {\\field{\\*\\fldinst { PAGE }}{\\fldrslt {\\f5 3}}} of "
           "{\\field{\\*\\fldinst NUMPAGES}{\\fldrslt 9}}.\\par}";
}

QString withoutObjects(QString text)
{
    text.remove(QChar(Object));
    return text;
}

// The inline carried characters of the document, in order.
QList<QTextCharFormat> carriedCharacters(const QTextDocument& document)
{
    QList<QTextCharFormat> out;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it)
            if (carried::isInlineObject(it.fragment().charFormat()))
                for (int i = 0; i < it.fragment().length(); ++i)
                    out << it.fragment().charFormat();
    return out;
}

QByteArray resave(const QByteArray& rtf)
{
    return rtf::write(*readRtf(rtf));
}

// Pastes `rtf` at the end of `document`; the cursor stays after the pasted text.
QTextCursor pasteAtEnd(QTextDocument& document, const QByteArray& rtf)
{
    QTextCursor cursor(&document);
    cursor.movePosition(QTextCursor::End);
    rtf::insert(rtf, cursor);
    return cursor;
}

} // namespace

TEST(RtfCarriedGroups, DocumentLevelGroupsAreWrittenBackAsRead)
{
    const QByteArray original = wordStyleDocument();
    auto d = readRtf(original);
    EXPECT_EQ(withoutObjects(paragraphs(*d).join(u'|')),
              QStringLiteral("Dear reader, see and here.|Page 3 of 9."));
    const QByteArray saved = rtf::write(*d);
    for (const char* group :
         {"{\\stylesheet{\\ql \\li0\\ri0\\widctlpar\\f0\\fs24 \\snext0 Normal;}",
          "{\\info{\\title The letter}{\\author Ann Author}{\\creatim\\yr2024\\mo3\\dy1}}",
          "{\\header \\pard\\plain \\qc\\f2\\fs18 Running head {\\field{\\*\\fldinst PAGE}"
          "{\\fldrslt 1}}\\par}",
          "{\\footerf \\pard\\plain \\f2\\fs18 First footer\\par}"})
        EXPECT_TRUE(saved.contains(group)) << group;
    // The header comes after the page setup, the stylesheet before; the producer's name is not
    // repeated, since it did not write this file.
    EXPECT_LT(saved.indexOf("{\\stylesheet"), saved.indexOf("\\paperw16838"));
    EXPECT_LT(saved.indexOf("\\titlepg"), saved.indexOf("{\\header "));
    EXPECT_LT(saved.indexOf("{\\footerf"), saved.indexOf("Dear"));
    EXPECT_FALSE(saved.contains("\\generator"));

    // The carried bytes name fonts and colours by number: the tables keep those numbers.
    EXPECT_TRUE(saved.contains("{\\f2\\fnil\\fcharset0 Arial;}"));
    EXPECT_TRUE(saved.contains("{\\colortbl;\\red0\\green0\\blue0;\\red255\\green255\\blue0;"));
    auto again = readRtf(saved);
    EXPECT_EQ(family(formatOf(*again, "Dear")), QStringLiteral("Times New Roman"));
}

TEST(RtfCarriedGroups, InlineGroupsStandWhereTheyWereAndAreWrittenBackInPlace)
{
    auto d = readRtf(wordStyleDocument());
    const QString text = paragraph(*d, 0).text();
    // A bookmark's start and end, the note with its number, the comment with its data.
    EXPECT_EQ(text, QString::fromUtf16(u"Dear \uFFFCreader\uFFFC, see\uFFFC and \uFFFChere."));
    const QList<QTextCharFormat> objects = carriedCharacters(*d);
    ASSERT_EQ(objects.size(), 4);
    EXPECT_EQ(objects[0].intProperty(carried::LookProperty), int(carried::Look::Hidden));
    EXPECT_EQ(objects[2].intProperty(carried::LookProperty), int(carried::Look::Reference));
    EXPECT_EQ(objects[2].stringProperty(carried::Label), QStringLiteral("1"));
    EXPECT_EQ(objects[3].intProperty(carried::LookProperty), int(carried::Look::Marker));

    const QByteArray saved = rtf::write(*d);
    EXPECT_TRUE(saved.contains("Dear {\\*\\bkmkstart greeting}reader{\\*\\bkmkend greeting},"));
    EXPECT_TRUE(saved.contains(" see{\\super\\chftn}{\\footnote \\pard\\plain \\f0\\fs20 "
                               "{\\super\\chftn} A note with {\\cf2 colour}.} and "
                               "{\\*\\atnid AA}{\\*\\atnauthor Ann}{\\chatn}{\\*\\annotation "
                               "\\pard A comment}here."));
}

TEST(RtfCarriedGroups, RepeatedSavesAreByteIdenticalFromTheSecondOn)
{
    QList<QByteArray> originals{wordStyleDocument()};
    for (const char* folder : {"rtf/carried", "rtf/good"}) {
        const QDir dir(QStringLiteral(WORDLARK_TEST_DATA "/") + QLatin1String(folder));
        for (const QString& name : dir.entryList({QStringLiteral("*.rtf")}, QDir::Files))
            originals << dataFile(QLatin1String(folder) + u'/' + name);
    }
    EXPECT_GE(originals.size(), 12);
    for (const QByteArray& original : originals) {
        QByteArray previous = resave(original);
        const QByteArray second = resave(previous);
        for (int i = 0; i < 8; ++i) {
            const QByteArray next = resave(previous);
            EXPECT_EQ(next, second) << "save " << i + 3;
            previous = next;
        }
        EXPECT_LT(second.size(), original.size() * 2 + 4096);
    }
}

TEST(RtfCarriedGroups, EditingCarriesInlineGroupsWithTheirText)
{
    auto d = readRtf(wordStyleDocument());
    const int note = static_cast<int>(d->toRawText().indexOf(u"see") + 3);
    ASSERT_EQ(d->characterAt(note), QChar(Object));

    // Copy: a selection holding the note writes it; one beside it does not.
    EXPECT_TRUE(rtf::writeRange(*d, note - 3, note + 1).contains("{\\footnote "));
    EXPECT_FALSE(rtf::writeRange(*d, note - 3, note).contains("{\\footnote "));
    // Nor does a range write the document's header groups.
    EXPECT_FALSE(rtf::writeRange(*d, 0, note + 1).contains("{\\header"));

    // Paste into another document: the note comes along, at the caret.
    QTextDocument other;
    QTextCursor cursor(&other);
    cursor.insertText(QStringLiteral("Before after"));
    cursor.setPosition(7);
    rtf::insert(rtf::writeRange(*d, note - 3, note + 1), cursor);
    EXPECT_EQ(other.toRawText(), QString::fromUtf16(u"Before see\uFFFCafter"));
    EXPECT_TRUE(rtf::write(other).contains("see{\\super\\chftn}{\\footnote "));

    // Deleting the text that holds it removes it from what is saved.
    QTextCursor remove(d.get());
    remove.setPosition(note - 3);
    remove.setPosition(note + 1, QTextCursor::KeepAnchor);
    remove.removeSelectedText();
    const QByteArray saved = rtf::write(*d);
    EXPECT_FALSE(saved.contains("\\footnote"));
    EXPECT_TRUE(saved.contains("{\\*\\annotation"));
    // Typing after a carried character types text, not another copy of its groups.
    QTextCursor typing(d.get());
    typing.setPosition(static_cast<int>(d->toRawText().indexOf(u"here")));
    ASSERT_EQ(d->characterAt(typing.position() - 1), QChar(Object));
    typing.insertText(QStringLiteral("X"));
    EXPECT_EQ(rtf::write(*d).count("{\\*\\annotation"), 1);
}

TEST(RtfCarriedGroups, FieldsAreWrittenBackAsFields)
{
    auto d = readRtf(doc("Page {\\field{\\*\\fldinst { PAGE }}{\\fldrslt {3}}} of "
                         "{\\field{\\*\\fldinst NUMPAGES}{\\fldrslt 9}}; "
                         "{\\field{\\*\\fldinst { DATE \\\\@ \"d MMMM\" }}}; "
                         "{\\field{\\*\\fldinst SYMBOL 183 \\\\f \"Symbol\" \\\\s 12}{\\fldrslt }}"
                         "\\par"
                         "{\\field{\\*\\fldinst TOC \\\\o \"1-3\"}{\\fldrslt One\\tab 1\\par "
                         "Two\\tab 2\\par}}After\\par"));
    EXPECT_EQ(paragraph(*d, 0).text(), QString::fromUtf16(u"Page 3 of 9; \uFFFC; \u2022"));
    // The symbol shows in the font and size the field names.
    const QTextCharFormat symbol = formatOf(*d, QString::fromUtf16(u"\u2022"));
    EXPECT_EQ(family(symbol), QStringLiteral("Symbol"));
    EXPECT_EQ(symbol.fontPointSize(), 12);

    const QByteArray saved = rtf::write(*d);
    EXPECT_TRUE(saved.contains("{\\field{\\*\\fldinst { PAGE }}{\\fldrslt "));
    EXPECT_TRUE(saved.contains("{\\field{\\*\\fldinst NUMPAGES}{\\fldrslt "));
    // A field without a result is kept whole.
    EXPECT_TRUE(saved.contains("{\\field{\\*\\fldinst { DATE \\\\@ \"d MMMM\" }}}"));
    // A symbol's character is the field's own: it is not written as a result as well.
    EXPECT_TRUE(
        saved.contains("{\\field{\\*\\fldinst SYMBOL 183 \\\\f \"Symbol\" \\\\s 12}{\\fldrslt }}"))
        << saved.constData();
    // A table of contents stays one field over its paragraphs.
    EXPECT_EQ(saved.count("\\fldinst TOC"), 1);
    auto again = readRtf(saved);
    EXPECT_EQ(paragraphs(*again), paragraphs(*d));
    EXPECT_EQ(rtf::write(*again), saved);
}

TEST(RtfCarriedGroups, PageSetupIsReadWrittenAndPrintedWith)
{
    auto d = readRtf(wordStyleDocument());
    const auto groups = carried::documentGroups(*d);
    ASSERT_TRUE(groups);
    EXPECT_EQ(groups->page.paperWidth, 16838);
    EXPECT_EQ(groups->page.paperHeight, 11906);
    EXPECT_EQ(groups->page.left, 1134);
    EXPECT_TRUE(groups->page.landscape);
    EXPECT_TRUE(pagesetup::sectionPage(groups->page, groups->firstSection).titlePage);

    // What printing shows of the header and footer: every page's, else the first page's.
    EXPECT_EQ(carried::headerFooterText(*groups, false), QStringLiteral("Running head 1"));
    EXPECT_EQ(carried::headerFooterText(*groups, true), QStringLiteral("First footer"));

    const QPageLayout layout = pagesetup::pageLayoutFor(groups->page);
    EXPECT_EQ(layout.orientation(), QPageLayout::Landscape);
    EXPECT_EQ(layout.pageSize().id(), QPageSize::A4);
    EXPECT_NEAR(layout.margins(QPageLayout::Point).left(), 1134 / 20.0, 0.01);
    EXPECT_NEAR(layout.margins(QPageLayout::Point).top(), 1418 / 20.0, 0.01);

    const QByteArray saved = rtf::write(*d);
    EXPECT_TRUE(saved.contains(
        "\\paperw16838\\paperh11906\\margl1134\\margr1134\\margt1418\\margb1134\\landscape"));

    // Only the first section's page counts; a later section starts on a new page unless it says
    // it does not.
    d = readRtf(doc("\\sectd\\pgwsxn11906\\pghsxn16838 One\\par\\sect\\sectd\\pgwsxn5000 Two\\par"
                    "\\sect\\sectd\\sbknone Three\\par"));
    const auto sections = carried::documentGroups(*d);
    EXPECT_EQ(pagesetup::sectionPage(sections->page, sections->firstSection).paperWidth, 11906);
    EXPECT_TRUE(paragraph(*d, 1).blockFormat().pageBreakPolicy() &
                QTextFormat::PageBreak_AlwaysBefore);
    EXPECT_FALSE(paragraph(*d, 2).blockFormat().pageBreakPolicy() &
                 QTextFormat::PageBreak_AlwaysBefore);

    // A document without page setup or carried groups writes none, as a new one.
    d = readRtf(doc("Plain\\par"));
    EXPECT_FALSE(carried::documentGroups(*d));
    EXPECT_FALSE(rtf::write(*d).contains("\\paperw"));
}

TEST(RtfCarriedGroups, ASectionsWordsSetItsPageOverTheDocuments)
{
    pagesetup::PageSetup document;
    document.paperWidth = 12240;
    document.paperHeight = 15840;
    document.left = 1800;
    document.top = 1440;
    document.gutter = 100;
    document.facingPages = true;

    // A section that says nothing of its page has the document's.
    EXPECT_EQ(pagesetup::sectionPage(document, ""), document);
    EXPECT_EQ(pagesetup::sectionPage(document, "\\sbkpage\\pgnrestart\\cols2"), document);

    // What it says replaces the document's value; what it does not say stays.
    const pagesetup::PageSetup a4 = pagesetup::sectionPage(
        document, "\\sbkpage\\lndscpsxn\\pgwsxn16838\\pghsxn11906\\marglsxn1134\\margrsxn567"
                  "\\margbsxn360\\guttersxn0");
    EXPECT_EQ(a4.paperWidth, 16838);
    EXPECT_EQ(a4.paperHeight, 11906);
    EXPECT_TRUE(a4.landscape);
    EXPECT_EQ(a4.left, 1134);
    EXPECT_EQ(a4.right, 567);
    EXPECT_EQ(a4.top, 1440);
    EXPECT_EQ(a4.bottom, 360);
    EXPECT_EQ(a4.gutter, 0);
    EXPECT_TRUE(a4.facingPages);
    const QPageLayout layout = pagesetup::pageLayoutFor(a4);
    EXPECT_EQ(layout.pageSize().id(), QPageSize::A4);
    EXPECT_EQ(layout.orientation(), QPageLayout::Landscape);
    // A landscape document's section turns back upright when it says so.
    pagesetup::PageSetup turned = document;
    turned.landscape = true;
    EXPECT_FALSE(pagesetup::sectionPage(turned, "\\lndscpsxn0").landscape);

    // Garbled words: a length without a number keeps the document's, numbers are kept within
    // the page's bounds however long, a number ends at the first byte that is not a digit,
    // document words and stray bytes count for nothing.
    static const char Garbled[] = "\\pgwsxn\\pghsxn99999999999999999999999\\marglsxn-500"
                                  "\\margrsxn12x\\margbsxn- 7\\\\\\ {}\xff\x00\\paperw1"
                                  "\\landscape\\margtsxn";
    const pagesetup::PageSetup garbled =
        pagesetup::sectionPage(document, QByteArray(Garbled, sizeof Garbled - 1));
    EXPECT_EQ(garbled.paperWidth, 12240);
    EXPECT_EQ(garbled.paperHeight, 144000);
    EXPECT_EQ(garbled.left, 0);
    EXPECT_EQ(garbled.right, 12);
    EXPECT_EQ(garbled.bottom, -1);
    EXPECT_EQ(garbled.top, 1440);
    EXPECT_FALSE(garbled.landscape);
    // A long word is no word; backslashes alone are nothing.
    EXPECT_EQ(pagesetup::sectionPage(document, "\\" + QByteArray(40, 'a') + "pgwsxn5"), document);
    EXPECT_EQ(pagesetup::sectionPage(document, QByteArray(1 << 20, '\\')), document);

    // A section begins a new page unless it runs on in the page or column.
    EXPECT_TRUE(pagesetup::sectionBeginsPage(""));
    EXPECT_TRUE(pagesetup::sectionBeginsPage("\\sbkodd\\pgwsxn5000"));
    EXPECT_FALSE(pagesetup::sectionBeginsPage("\\pgwsxn5000\\sbknone"));
    EXPECT_FALSE(pagesetup::sectionBeginsPage("\\sbkcol"));
    EXPECT_TRUE(pagesetup::sectionBeginsPage("\\sbknonesuch"));
}

TEST(RtfCarriedGroups, DocumentDefaultsApplyToEveryParagraphAndRun)
{
    auto d = readRtf(doc("{\\*\\defchp \\fs22}{\\*\\defpap \\sa160\\sl259\\slmult1}"
                         "\\pard\\plain One\\par\\pard\\plain\\sa0 Two\\par"));
    EXPECT_DOUBLE_EQ(paragraph(*d, 0).blockFormat().bottomMargin(), 160 / 15.0);
    EXPECT_DOUBLE_EQ(paragraph(*d, 1).blockFormat().bottomMargin(), 0);
    EXPECT_EQ(formatOf(*d, "One").fontPointSize(), 11);
    EXPECT_FALSE(rtf::write(*d).contains("defpap"));
}

TEST(RtfCarriedGroups, CarriedBytesStayBounded)
{
    // A group cut off by the end of the bytes is not carried half.
    auto d = readRtf("{\\rtf1\\ansi text{\\*\\bkmkstart a}{\\footnote unfinished");
    const QByteArray saved = rtf::write(*d);
    EXPECT_FALSE(saved.contains("unfinished"));
    EXPECT_EQ(saved.count('{'), saved.count('}'));

    // Many adjacent inline groups share one character.
    QByteArray many;
    for (int i = 0; i < 5000; ++i)
        many += "{\\*\\bkmkstart b" + QByteArray::number(i) + "}";
    d = readRtf(doc("a" + many + "b\\par"));
    EXPECT_EQ(d->toRawText(), QString::fromUtf16(u"a\uFFFCb"));
    EXPECT_TRUE(rtf::write(*d).contains(many));

    // Deep nesting inside a carried group is carried as it is and read back within bounds.
    const QByteArray deep = QByteArray(3000, '{') + "x" + QByteArray(3000, '}');
    d = readRtf(doc("a{\\*\\wlunknown " + deep + "}b\\par"));
    const QByteArray saved2 = rtf::write(*d);
    EXPECT_TRUE(saved2.contains(deep));
    EXPECT_EQ(paragraphs(*readRtf(saved2)), paragraphs(*d));
}

TEST(RtfCarriedGroups, KeepingLeadersSpacingAndEastAsianFontsAreReadAndWritten)
{
    auto d =
        readRtf("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}"
                "{\\f3\\fnil\\fcharset128 MS Mincho;}}"
                "\\pard\\keep\\keepn\\tqr\\tldot\\tx5000\\tqc\\tx7000\\tlhyph\\tx8000 A\\tab 1\\par"
                "\\pard {\\striked1 two}{\\strike one}{\\expndtw40 wide}"
                "{\\loch\\f0\\hich\\f0\\dbch\\af3\\f3 \\'93\\'fa}\\par}");
    const QTextBlockFormat first = paragraph(*d, 0).blockFormat();
    // Kept together on a page, yet its lines still wrap.
    EXPECT_TRUE(first.boolProperty(docformat::KeepTogether));
    EXPECT_FALSE(first.nonBreakableLines());
    EXPECT_TRUE(first.boolProperty(docformat::KeepWithNext));
    ASSERT_EQ(first.tabPositions().size(), 3);
    EXPECT_EQ(first.tabPositions()[0].type, QTextOption::RightTab);
    EXPECT_EQ(first.stringProperty(docformat::TabLeaders), QStringLiteral(". -"));
    EXPECT_FALSE(paragraph(*d, 1).blockFormat().boolProperty(docformat::KeepWithNext));

    EXPECT_TRUE(formatOf(*d, "two").boolProperty(docformat::DoubleStrike));
    EXPECT_TRUE(formatOf(*d, "two").fontStrikeOut());
    EXPECT_FALSE(formatOf(*d, "one").boolProperty(docformat::DoubleStrike));
    const QTextCharFormat wide = formatOf(*d, "wide");
    EXPECT_EQ(wide.fontLetterSpacingType(), QFont::AbsoluteSpacing);
    EXPECT_NEAR(wide.fontLetterSpacing(), 40 / 15.0, 0.01);
    // Japanese text names its font first; the East Asian font follows for what it lacks.
    const QTextCharFormat japanese = formatOf(*d, QString::fromUtf8("日"));
    EXPECT_EQ(japanese.fontFamilies().toStringList(), QStringList({"MS Mincho"}));

    const QByteArray saved = rtf::write(*d);
    for (const char* word : {"\\keep\\keepn", "\\tldot\\tqr\\tx5000", "\\tlhyph\\tx8000",
                             "\\striked1", "\\expnd8\\expndtw40"})
        EXPECT_TRUE(saved.contains(word)) << word << saved.constData();
    EXPECT_EQ(rtf::write(*readRtf(saved)), saved);

    // Western text with an East Asian font beside it keeps both.
    d = readRtf("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f3\\fcharset128 MS Mincho;}}"
                "\\loch\\f0\\dbch\\af3 Mixed\\par}");
    EXPECT_EQ(formatOf(*d, "Mixed").fontFamilies().toStringList(),
              QStringList({"Arial", "MS Mincho"}));
    const QByteArray mixed = rtf::write(*d);
    EXPECT_TRUE(mixed.contains("\\dbch\\af")) << mixed.constData();
    EXPECT_EQ(formatOf(*readRtf(mixed), "Mixed").fontFamilies().toStringList(),
              QStringList({"Arial", "MS Mincho"}));
}

namespace
{

// Everything the reader found in a document, paragraph by paragraph and run by run: text,
// paragraph and character formats (picture resource names aside, which are new on each read).
QStringList everythingRead(const QTextDocument& document)
{
    const auto describe = [](QMap<int, QVariant> properties) {
        properties.remove(QTextFormat::ImageName);
        QStringList out;
        for (auto it = properties.cbegin(); it != properties.cend(); ++it) {
            QString value = it.value().toString();
            if (it.value().typeId() == QMetaType::QByteArray)
                value = QString::fromLatin1(it.value().toByteArray().toHex().left(4000));
            else if (value.isEmpty())
                value = QString::fromUtf8(it.value().typeName());
            if (it.key() == QTextFormat::TabPositions) {
                value.clear();
                for (const QTextOption::Tab& tab : it.value().value<QList<QTextOption::Tab>>())
                    value += QStringLiteral("%1/%2 ").arg(tab.position).arg(tab.type);
            }
            out << QStringLiteral("%1=%2").arg(it.key()).arg(value);
        }
        return out.join(u',');
    };
    QStringList out;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        out << QStringLiteral("P ") + describe(block.blockFormat().properties());
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it)
            out << it.fragment().text() + QStringLiteral(" | ") +
                       describe(it.fragment().charFormat().properties());
    }
    return out;
}

} // namespace

TEST(RtfCarriedGroups, ProducersFilesReadTheSameBeforeAndAfterASave)
{
    QDir dir(QStringLiteral(WORDLARK_TEST_DATA "/rtf/carried"));
    const QStringList files = dir.entryList({QStringLiteral("*.rtf")}, QDir::Files);
    EXPECT_GE(files.size(), 5);
    for (const QString& name : files) {
        SCOPED_TRACE(name.toStdString());
        auto original = readRtf(dataFile(QStringLiteral("rtf/carried/") + name));
        auto saved = readRtf(rtf::write(*original));
        EXPECT_EQ(everythingRead(*saved), everythingRead(*original));
        const auto before = carried::documentGroups(*original);
        const auto after = carried::documentGroups(*saved);
        ASSERT_EQ(bool(before), bool(after));
        if (before) {
            EXPECT_EQ(after->tables, before->tables);
            EXPECT_EQ(after->sections, before->sections);
            EXPECT_TRUE(after->page == before->page);
        }
    }
}

TEST(RtfCarriedGroups, ParagraphStylesAreKeptBesideTheStylesheet)
{
    auto d = readRtf(wordStyleDocument());
    QByteArray saved = rtf::write(*d);
    // Each paragraph names its style again, with its own spacing and indents spelled out, so
    // that a reader that applies the style's does not change the paragraph.
    EXPECT_FALSE(paragraph(*d, 0).blockFormat().hasProperty(docformat::ParagraphStyle));
    d = readRtf(wordStyleDocument().replace("\\pard\\plain \\f0\\fs24 Dear",
                                            "\\pard\\plain \\s1\\sa0\\f0\\fs24 Dear"));
    EXPECT_EQ(paragraph(*d, 0).blockFormat().intProperty(docformat::ParagraphStyle), 1);
    saved = rtf::write(*d);
    EXPECT_TRUE(saved.contains("\\pard\\s1\\ql\\fi0\\li0\\ri0\\sb0\\sa0\\sl240\\slmult1 "))
        << saved.constData();
    EXPECT_EQ(rtf::write(*readRtf(saved)), saved);

    // Without a stylesheet, a style number names nothing and is not written.
    d = readRtf(doc("\\pard\\s3 Plain\\par"));
    EXPECT_FALSE(rtf::write(*d).contains("\\s3"));
}

TEST(RtfCarriedGroups, PicturesOfObjectsAndShapesAreShownAndTheirGroupsWrittenBack)
{
    const QByteArray png =
        "89504e470d0a1a0a0000000d4948445200000002000000020802000000fdd49a73000000"
        "1049444154789c6338212707440c100a001f260411a28f22af0000000049454e44ae426082";
    const QByteArray object = "{\\object\\objemb{\\*\\objclass Paint.Picture}{\\*\\objdata 0105}"
                              "{\\result {\\pict\\pngblip\\picw2\\pich2 " +
                              png + "}}}";
    const QByteArray shape = "{\\shp{\\*\\shpinst\\shpleft0\\shptop0\\shpright300\\shpbottom300"
                             "{\\sp{\\sn shapeType}{\\sv 75}}{\\sp{\\sn pib}{\\sv {\\pict\\pngblip "
                             "\\picw2\\pich2 " +
                             png + "}}}}{\\shprslt {\\pict\\pngblip\\picw2\\pich2 " + png + "}}}";
    const QByteArray line = "{\\shp{\\*\\shpinst{\\sp{\\sn shapeType}{\\sv 20}}}}";
    const QByteArray textBox = "{\\shp{\\*\\shpinst{\\sp{\\sn shapeType}{\\sv 202}}"
                               "{\\shptxt \\pard In the box\\par}}}";
    auto d = readRtf(doc("A" + object + "B" + shape + "C" + line + "D\\par" + textBox + "E\\par"));
    EXPECT_EQ(images(*d).size(), 2);
    EXPECT_EQ(paragraphs(*d),
              QStringList({QString::fromUtf16(u"A\uFFFCB\uFFFCC\uFFFCD"), "In the box", "E"}));
    const QByteArray saved = rtf::write(*d);
    // The object and the shape come back whole, not as pictures of their own; a shape that shows
    // nothing is carried; a text box is written back around its paragraphs.
    EXPECT_TRUE(saved.contains("A" + object + "B" + shape + "C" + line + "D")) << saved.constData();
    EXPECT_TRUE(
        saved.contains("{\\shp{\\*\\shpinst{\\sp{\\sn shapeType}{\\sv 202}}{\\shptxt \\pard"))
        << saved.constData();
    EXPECT_EQ(saved.count("\\pict"), 3);
    EXPECT_EQ(rtf::write(*readRtf(saved)), saved);

    // An old drawing object shows its picture and is written back whole; one without a picture
    // is carried as before.
    const QByteArray drawing = "{\\*\\do\\dobxcolumn\\dobypara\\dodhgt8192{\\pict\\pngblip "
                               "\\picw2\\pich2 " +
                               png + "}\\dpx0\\dpy0\\dpxsize300\\dpysize300}";
    const QByteArray lineDrawing = "{\\*\\do\\dobxcolumn\\dpline\\dpptx0\\dppty0}";
    d = readRtf(doc("F" + drawing + "G" + lineDrawing + "H\\par"));
    EXPECT_EQ(images(*d).size(), 1);
    EXPECT_EQ(paragraphs(*d), QStringList({QString::fromUtf16(u"F\uFFFCG\uFFFCH")}));
    const QByteArray drawn = rtf::write(*d);
    EXPECT_TRUE(drawn.contains("F" + drawing + "G" + lineDrawing + "H")) << drawn.constData();
    EXPECT_EQ(drawn.count("\\pict"), 1);
    EXPECT_EQ(rtf::write(*readRtf(drawn)), drawn);
}

TEST(RtfCarriedGroups, CharacterStylesAreKeptOnTheirRunsAndInTheStylesheet)
{
    const QByteArray stylesheet = "{\\stylesheet{\\snext0 Normal;}{\\*\\cs10 \\additive Default "
                                  "Paragraph Font;}{\\*\\cs15 \\additive\\b\\sbasedon10 Strong;}}";
    auto d = readRtf(doc(stylesheet + "\\pard Plain {\\cs15\\b strong} and {\\plain again}\\par"));
    EXPECT_EQ(formatOf(*d, "strong").intProperty(docformat::CharacterStyle), 15);
    EXPECT_FALSE(formatOf(*d, "Plain").hasProperty(docformat::CharacterStyle));
    EXPECT_FALSE(formatOf(*d, "again").hasProperty(docformat::CharacterStyle))
        << "\\plain ends the character style";
    const QByteArray saved = rtf::write(*d);
    EXPECT_TRUE(saved.contains(stylesheet)) << saved.constData();
    EXPECT_TRUE(saved.contains("\\plain\\cs15\\f0")) << saved.constData();
    EXPECT_EQ(saved.count("\\cs15"), 2) << "once in the stylesheet, once on the run";
    EXPECT_EQ(rtf::write(*readRtf(saved)), saved);

    // Without a stylesheet a style number names nothing and is not written.
    EXPECT_FALSE(rtf::write(*readRtf(doc("{\\cs15 x}\\par"))).contains("\\cs15"));
}

TEST(RtfCarriedGroups, HighlightingAndCharacterShadingAreWrittenBackAsRead)
{
    auto d = readRtf(doc("{\\highlight1 marked} {\\chcbpat2 shaded} {\\cb1 old} "
                         "{\\chcfpat1\\chcbpat2\\chshdng2500 patterned}\\par"));
    // All four show their background colour.
    for (const char* text : {"marked", "shaded", "old", "patterned"})
        EXPECT_NE(formatOf(*d, text).background().style(), Qt::NoBrush) << text;
    EXPECT_EQ(formatOf(*d, "shaded").background().color(), QColor(0, 128, 0));
    const QByteArray saved = rtf::write(*d);
    EXPECT_TRUE(saved.contains("\\highlight1 marked")) << saved.constData();
    EXPECT_TRUE(saved.contains("\\chcbpat2 shaded")) << saved.constData();
    EXPECT_TRUE(saved.contains("\\cb1 old")) << saved.constData();
    EXPECT_TRUE(saved.contains("\\chcfpat1\\chcbpat2\\chshdng2500 patterned")) << saved.constData();
    EXPECT_EQ(rtf::write(*readRtf(saved)), saved);
}

TEST(RtfCarriedGroups, TextBoxesShowTheirTextAndAreWrittenBackAsShapes)
{
    const QByteArray opening = "{\\shp{\\*\\shpinst\\shpleft0\\shptop0\\shpright3000"
                               "\\shpbottom1000{\\sp{\\sn shapeType}{\\sv 202}}";
    const QByteArray textBox =
        opening + "{\\shptxt \\pard\\plain First line\\par\\pard\\plain Second line\\par}}}";
    auto d = readRtf(doc("\\pard Before " + textBox + "after\\par\\pard Next\\par"));
    // The box's paragraphs stand apart from the paragraph that holds the shape.
    EXPECT_EQ(paragraphs(*d),
              QStringList({"Before ", "First line", "Second line", "after", "Next"}));
    EXPECT_FALSE(paragraph(*d, 0).blockFormat().hasProperty(carried::TextBoxNumber));
    EXPECT_TRUE(paragraph(*d, 1).blockFormat().hasProperty(carried::TextBoxNumber));
    EXPECT_TRUE(paragraph(*d, 2).blockFormat().hasProperty(carried::TextBoxNumber));
    EXPECT_FALSE(paragraph(*d, 3).blockFormat().hasProperty(carried::TextBoxNumber));

    // Written back as the same shape around both paragraphs, the text as edited.
    QTextCursor cursor(paragraph(*d, 2));
    cursor.insertText(QStringLiteral("Edited "));
    QByteArray saved = rtf::write(*d);
    const qsizetype shape = saved.indexOf(opening + "{\\shptxt \\pard");
    ASSERT_GE(shape, 0) << saved.constData();
    EXPECT_EQ(saved.count("{\\shp{"), 1);
    EXPECT_LT(saved.indexOf("Before"), shape);
    EXPECT_LT(shape, saved.indexOf("First line"));
    EXPECT_LT(saved.indexOf("Edited Second line\\par\n}}}"), saved.indexOf("after"))
        << saved.constData();
    auto again = readRtf(saved);
    EXPECT_EQ(paragraphs(*again), paragraphs(*d));
    EXPECT_EQ(rtf::write(*again), saved);

    // Two boxes one after the other stay two shapes; a box without a last paragraph mark keeps
    // its text too.
    d = readRtf(doc(textBox + opening + "{\\shptxt Third}}}\\par"));
    EXPECT_EQ(paragraphs(*d), QStringList({"First line", "Second line", "Third", ""}));
    saved = rtf::write(*d);
    EXPECT_EQ(saved.count("{\\shptxt "), 2) << saved.constData();
    EXPECT_EQ(rtf::write(*readRtf(saved)), saved);

    // An old drawing object's text box alike, inside its object.
    const QByteArray drawing = "{\\*\\do\\dobxcolumn\\dobypara\\dptxbx\\dptxlrtb{\\dptxbxtext";
    const QByteArray rest = "\\dpx0\\dpy0\\dpxsize2000\\dpysize1000}";
    d = readRtf(
        doc("\\pard Before " + drawing + "\\pard\\plain Old box\\par}" + rest + "after\\par"));
    EXPECT_EQ(paragraphs(*d), QStringList({"Before ", "Old box", "after"}));
    saved = rtf::write(*d);
    EXPECT_TRUE(saved.contains(drawing + "\\pard\\ql Old box\\par\n}" + rest)) << saved.constData();
    EXPECT_EQ(rtf::write(*readRtf(saved)), saved);
}

TEST(RtfCarriedGroups, LaterSectionsKeepTheirOwnSetup)
{
    auto d = readRtf(doc("\\sectd\\pgwsxn11906\\pghsxn16838 One\\par"
                         "\\sect\\sectd\\sbkodd\\lndscpsxn\\pgwsxn16838\\pghsxn11906\\marglsxn720"
                         "\\cols2\\pgnrestart {\\header \\pard Second head\\par}Two\\par "
                         "Two and a half\\par"
                         "\\sect\\sectd\\sbknone Three\\par"));
    EXPECT_EQ(carried::documentGroups(*d)->firstSection, "\\pgwsxn11906\\pghsxn16838")
        << "the first section's words";
    EXPECT_FALSE(paragraph(*d, 0).blockFormat().hasProperty(carried::SectionWords));
    EXPECT_EQ(paragraph(*d, 1).blockFormat().property(carried::SectionWords).toByteArray(),
              "\\sbkodd\\lndscpsxn\\pgwsxn16838\\pghsxn11906\\marglsxn720\\cols2\\pgnrestart");
    EXPECT_FALSE(paragraph(*d, 2).blockFormat().hasProperty(carried::SectionWords));
    EXPECT_EQ(paragraph(*d, 3).blockFormat().property(carried::SectionWords).toByteArray(),
              "\\sbknone");

    const QByteArray saved = rtf::write(*d);
    EXPECT_TRUE(saved.contains("\\sect\\sectd\\sbkodd\\lndscpsxn\\pgwsxn16838\\pghsxn11906"
                               "\\marglsxn720\\cols2\\pgnrestart\n\\pard"))
        << saved.constData();
    EXPECT_TRUE(saved.contains("\\sect\\sectd\\sbknone\n\\pard")) << saved.constData();
    EXPECT_EQ(saved.count("\\sect\\"), 2);
    EXPECT_FALSE(saved.contains("\\pagebb")) << "the section's start is the page break";
    // The second section's header stays with it.
    EXPECT_LT(saved.indexOf("\\sbkodd"), saved.indexOf("{\\header"));
    auto again = readRtf(saved);
    EXPECT_EQ(paragraphs(*again), paragraphs(*d));
    EXPECT_TRUE(paragraph(*again, 1).blockFormat().pageBreakPolicy() &
                QTextFormat::PageBreak_AlwaysBefore);
    EXPECT_EQ(rtf::write(*again), saved);

    // A paragraph split off the section's first one (Enter) does not begin a section of its own.
    QTextCursor cursor(paragraph(*d, 3));
    cursor.insertBlock(paragraph(*d, 3).blockFormat());
    cursor.insertText(QStringLiteral("Split"));
    EXPECT_EQ(paragraph(*d, 4).blockFormat().property(carried::SectionWords).toByteArray(),
              "\\sbknone");
    EXPECT_EQ(rtf::write(*d).count("\\sect\\"), 2);

    // The first section keeps all its words (columns, page numbers, line numbers) and a later
    // section that names no page takes the document's, not the first section's.
    d = readRtf(doc("\\paperw12240\\paperh15840\\sectd\\lndscpsxn\\pgwsxn15840\\pghsxn12240\\cols2"
                    "\\colsx720\\linemod1\\pgnstarts5\\vertalc One\\par\\sect\\sectd Two\\par"));
    const QByteArray columns = rtf::write(*d);
    EXPECT_TRUE(columns.contains("\\paperw12240\\paperh15840\n\\sectd\\lndscpsxn\\pgwsxn15840"
                                 "\\pghsxn12240\\cols2\\colsx720\\linemod1\\pgnstarts5\\vertalc\n"))
        << columns.constData();
    EXPECT_FALSE(columns.contains("\\landscape")) << columns.constData();
    EXPECT_EQ(rtf::write(*readRtf(columns)), columns);
    // Saved again and again, the section names its page once.
    d = readRtf(doc("\\paperw11906\\paperh16838\\margl1134 One\\par"));
    const QByteArray once = rtf::write(*d);
    EXPECT_TRUE(once.contains("\\sectd\\pgwsxn11906\\pghsxn16838\\marglsxn1134\n"))
        << once.constData();
    EXPECT_EQ(rtf::write(*readRtf(once)), once);
}

TEST(RtfCarriedGroups, PastedGroupsNameTheSameFontsAndColoursInTheirNewDocument)
{
    // The note names the source's font 7 (Georgia) and colour 2 (blue).
    const QByteArray source =
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f7 Georgia;}}"
        "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
        "x{\\footnote \\pard\\plain\\f7 {\\cf2 Blue} note\\'e9\\bin3 \\f7}y\\par}";
    auto from = readRtf(source);
    const QByteArray copied = rtf::writeRange(*from, 0, 3);

    // The target's tables number other fonts and colours the same way.
    auto to = readRtf("{\\rtf1\\ansi{\\fonttbl{\\f0 Times;}{\\f7 Courier;}}"
                      "{\\colortbl;\\red0\\green255\\blue0;\\red9\\green9\\blue9;}"
                      "a{\\*\\bkmkstart b}b{\\*\\bkmkend b}\\par}");
    pasteAtEnd(*to, copied);

    const auto groups = carried::documentGroups(*to);
    ASSERT_TRUE(groups);
    const auto georgia =
        std::find_if(groups->fonts.begin(), groups->fonts.end(),
                     [](const carried::FontEntry& f) { return f.name == "Georgia"; });
    ASSERT_NE(georgia, groups->fonts.end()) << "the target's table gains the font";
    const auto blue = std::find(groups->colors.begin(), groups->colors.end(), QColor(0, 0, 255));
    ASSERT_NE(blue, groups->colors.end());
    const QByteArray f = "\\f" + QByteArray::number(georgia->number);
    const QByteArray cf = "\\cf" + QByteArray::number(blue - groups->colors.begin() + 1);

    const QByteArray saved = rtf::write(*to);
    EXPECT_TRUE(saved.contains("{\\footnote \\pard\\plain" + f + " {" + cf + " Blue} note\\'e9"))
        << saved.constData();
    EXPECT_TRUE(saved.contains("\\bin3 \\f7}")) << "binary data stays as it was";
    auto again = readRtf(saved);
    EXPECT_EQ(rtf::write(*again), saved);

    // Pasting into the same document changes nothing.
    const QByteArray before = rtf::write(*from);
    pasteAtEnd(*from, copied);
    EXPECT_EQ(rtf::write(*from).count("{\\footnote \\pard\\plain\\f7 {\\cf2 Blue}"), 2)
        << before.constData();
}

TEST(RtfCarriedGroups, PastedParagraphsAndRunsNameTheSameStylesInTheirNewDocument)
{
    // The source numbers "heading 1" 1 and "Body Text" 2; its note's paragraph is Body Text too.
    const QByteArray source =
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}"
        "{\\stylesheet{\\ql\\fs24 Normal;}{\\s1\\b\\fs32 \\sbasedon0 \\snext2 heading 1;}"
        "{\\s2\\sa120 \\sbasedon0 \\snext2 Body Text;}{\\*\\cs5 \\additive\\b Strong;}}"
        "\\pard\\s1 Title\\par"
        "\\pard\\s2 {\\cs5 Bold} text{\\footnote \\pard\\plain \\s2 Note}\\par\\pard\\par}";
    auto from = readRtf(source);
    const QByteArray copied = rtf::writeRange(*from, 0, from->characterCount() - 1);
    EXPECT_TRUE(copied.contains("{\\stylesheet")) << "a copy names its styles for other programs";

    // The target numbers "Body Text" 1 and has no heading or Strong.
    auto to = readRtf("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}"
                      "{\\stylesheet{\\ql Normal;}{\\s1\\sa240 Body Text;}{\\s2\\i Quote;}}"
                      "\\pard\\s2 Quoted\\par\\pard\\par}");
    QTextCursor cursor = pasteAtEnd(*to, copied);

    ASSERT_EQ(paragraphs(*to), QStringList({"Quoted", "Title", "Bold text\uFFFC", ""}));
    EXPECT_EQ(paragraph(*to, 1).blockFormat().intProperty(docformat::ParagraphStyle), 3)
        << "heading 1 is added under a free number";
    EXPECT_EQ(paragraph(*to, 2).blockFormat().intProperty(docformat::ParagraphStyle), 1)
        << "Body Text is the target's own";
    EXPECT_EQ(paragraph(*to, 0).blockFormat().intProperty(docformat::ParagraphStyle), 2)
        << "the target's paragraphs keep their style";
    QByteArray saved = rtf::write(*to);
    EXPECT_TRUE(saved.contains("{\\s3\\b\\fs32 \\sbasedon0 \\snext1 heading 1;}"))
        << saved.constData();
    EXPECT_TRUE(saved.contains("{\\*\\cs4 \\additive\\b Strong;}")) << saved.constData();
    EXPECT_TRUE(saved.contains("{\\cs4") || saved.contains("\\cs4 ")) << saved.constData();
    EXPECT_TRUE(saved.contains("{\\footnote \\pard\\plain \\s1 Note}")) << saved.constData();
    EXPECT_EQ(saved.count("Body Text;"), 1);
    EXPECT_EQ(rtf::write(*readRtf(saved)), saved);

    // Pasting again adds no style twice; pasting into the document copied from changes nothing.
    rtf::insert(copied, cursor);
    saved = rtf::write(*to);
    EXPECT_EQ(saved.count("heading 1;"), 1);
    EXPECT_EQ(saved.count("Strong;"), 1);
    const QByteArray before = rtf::write(*from);
    pasteAtEnd(*from, copied);
    const QByteArray after = rtf::write(*from);
    EXPECT_EQ(after.count("\\pard\\s1\\"), 2) << after.constData();
    EXPECT_EQ(after.left(after.indexOf("\\pard")), before.left(before.indexOf("\\pard")))
        << "the stylesheet stays as it was";

    // A new document gains a stylesheet with the default style and the styles pasted.
    QTextDocument fresh;
    QTextCursor into(&fresh);
    rtf::insert(copied, into);
    saved = rtf::write(fresh);
    EXPECT_TRUE(saved.contains("{\\stylesheet{\\ql\\fs24 Normal;}{\\s1\\b\\fs32"))
        << saved.constData();
    EXPECT_EQ(paragraph(fresh, 0).blockFormat().intProperty(docformat::ParagraphStyle), 1);

    // Style names match whatever their case.
    auto capitalized = readRtf("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}{\\stylesheet{\\ql Normal;}"
                               "{\\s4\\b Heading 1;}}\\pard\\par}");
    QTextCursor start(capitalized.get());
    rtf::insert(copied, start);
    EXPECT_EQ(paragraph(*capitalized, 0).blockFormat().intProperty(docformat::ParagraphStyle), 4);
    EXPECT_EQ(rtf::write(*capitalized).count("eading 1;"), 1);

    // Style numbers that name no style of their document are dropped on pasting.
    QTextCursor again(to.get());
    rtf::insert("{\\rtf1\\ansi \\pard\\s7 Loose\\par}", again);
    EXPECT_FALSE(paragraph(*to, 0).blockFormat().hasProperty(docformat::ParagraphStyle));
}

TEST(RtfCarriedGroups, PastedTextBoxesAndSectionsStayApartFromTheDocumentsOwn)
{
    const auto box = [](const char* left, const char* text) {
        return QByteArray("{\\shp{\\*\\shpinst\\shpleft") + left +
               "{\\sp{\\sn shapeType}{\\sv 202}}{\\shptxt \\pard " + text + "\\par}}}";
    };
    auto from = readRtf(doc(box("100", "From X") + "\\pard\\par"));
    auto to = readRtf(doc(box("900", "In Y") + "\\pard After\\par"));
    // The first box of each document: pasted next to the other, it stays a shape of its own.
    const QByteArray copied = rtf::writeRange(*from, 0, paragraph(*from, 1).position());
    QTextCursor cursor(paragraph(*to, 1));
    rtf::insert(copied, cursor);
    ASSERT_EQ(paragraphs(*to), QStringList({"In Y", "From X", "After"}));
    QByteArray saved = rtf::write(*to);
    EXPECT_EQ(saved.count("{\\shptxt "), 2) << saved.constData();
    EXPECT_LT(saved.indexOf("\\shpleft100"), saved.indexOf("From X"));
    EXPECT_LT(saved.indexOf("From X"), saved.indexOf("After"));

    // Copied within its box and pasted back into it, a paragraph stays in the same shape.
    const QByteArray own = rtf::writeRange(*to, 0, paragraph(*to, 1).position());
    QTextCursor inside(paragraph(*to, 1));
    rtf::insert(own, inside);
    ASSERT_EQ(paragraphs(*to), QStringList({"In Y", "In Y", "From X", "After"}));
    saved = rtf::write(*to);
    EXPECT_EQ(saved.count("{\\shptxt "), 2) << saved.constData();
    EXPECT_EQ(saved.count("\\shpleft900"), 1) << saved.constData();

    // A section's first paragraph pasted right after itself begins a section of its own.
    auto sections = readRtf(doc("One\\par\\sect\\sectd\\lndscpsxn Two\\par\\pard\\par"));
    const QByteArray start = rtf::writeRange(*sections, paragraph(*sections, 1).position(),
                                             paragraph(*sections, 2).position());
    QTextCursor next(paragraph(*sections, 2));
    rtf::insert(start, next);
    ASSERT_EQ(paragraphs(*sections), QStringList({"One", "Two", "Two", ""}));
    saved = rtf::write(*sections);
    EXPECT_EQ(saved.count("\\sect\\sectd\\lndscpsxn"), 2) << saved.constData();
}

TEST(RtfCarriedGroups, ASectionThatBeginsWithATableKeepsItsWordsBeforeIt)
{
    const QByteArray row =
        "\\trowd\\cellx2000\\cellx4000\\pard\\intbl A\\cell\\pard\\intbl B\\cell\\row";
    auto d = readRtf(doc("One\\par\\sect\\sectd\\lndscpsxn " + row + row + "\\pard After\\par"));
    const QByteArray saved = rtf::write(*d);
    const qsizetype section = saved.indexOf("\\sect\\sectd\\lndscpsxn\n");
    ASSERT_GE(section, 0) << saved.constData();
    EXPECT_LT(saved.indexOf("One"), section);
    EXPECT_EQ(saved.indexOf("\\trowd"), section + qsizetype(strlen("\\sect\\sectd\\lndscpsxn\n")));
    EXPECT_EQ(saved.count("\\sect\\"), 1);
    EXPECT_EQ(rtf::write(*readRtf(saved)), saved);

    // A section that begins between rows, or inside a cell, begins after the table, and never
    // with a paragraph inside a cell.
    d = readRtf(doc(row + "\\sect\\sectd\\sbknone " + row + "\\pard After\\par"));
    QByteArray between = rtf::write(*d);
    EXPECT_LT(between.lastIndexOf("\\row"), between.indexOf("\\sect\\sectd\\sbknone"))
        << between.constData();
    d = readRtf(doc("\\trowd\\cellx2000\\pard\\intbl A\\sect\\sectd\\sbknone\\pard\\intbl B1\\par "
                    "B2\\cell\\row\\pard After\\par"));
    between = rtf::write(*d);
    EXPECT_LT(between.lastIndexOf("\\row"), between.indexOf("\\sect\\sectd\\sbknone"))
        << between.constData();
}
