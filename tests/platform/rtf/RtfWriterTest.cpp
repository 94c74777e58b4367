// The writer: plain 7-bit RTF, selections, and writing into a selection (SelRTF).

#include "support/RtfTestSupport.h"

#include <QBuffer>
#include <QImage>
#include <QRegularExpression>
#include <QTextCursor>
#include <QUrl>

using namespace rtftest;

namespace
{

QByteArray pngBytes(int w, int h, QRgb color)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QByteArray hexOf(const QByteArray& bytes)
{
    return bytes.toHex();
}

QByteArray withoutLineEnds(QByteArray bytes)
{
    bytes.replace('\n', "");
    return bytes;
}

} // namespace

TEST(RtfWriter, PlainSevenBitRtfWithTablesAndEscapes)
{
    QTextDocument document;
    document.setDefaultFont(QFont(QStringLiteral("Courier New"), 9));
    QTextCursor cursor(&document);
    QTextCharFormat red;
    red.setFontFamilies({QStringLiteral("Times New Roman")});
    red.setFontPointSize(10.5);
    red.setForeground(QColor(200, 0, 0));
    red.setFontWeight(QFont::Bold);
    red.setFontItalic(true);
    red.setFontUnderline(true);
    red.setFontStrikeOut(true);
    cursor.insertText(QStringLiteral("plain "));
    cursor.insertText(QString::fromUtf8("red {x} \\ caf\u00e9\u20ac\u65e5\tz\u00a0\U0001F600"),
                      red);
    QTextCharFormat raised;
    docformat::setCharOffsetTwips(raised, 52.5, 10.5);
    cursor.insertText(QStringLiteral("up"), raised);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    centred.setLeftMargin(48);
    centred.setTextIndent(-24);
    cursor.insertBlock(centred);
    cursor.insertText(QString(QStringLiteral("line")) + QChar(0x2028) + QStringLiteral("two"));

    const QByteArray rtf = rtf::write(document);
    for (char c : rtf)
        ASSERT_LT(static_cast<unsigned char>(c), 0x80) << "writes 7-bit RTF only";
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252\\deff0"));
    EXPECT_TRUE(rtf.endsWith("}"));
    EXPECT_TRUE(rtf.contains("{\\fonttbl{\\f0\\fnil\\fcharset0 Courier New;}"
                             "{\\f1\\fnil\\fcharset0 Times New Roman;}}"));
    EXPECT_TRUE(rtf.contains("{\\colortbl;\\red200\\green0\\blue0;}"));
    EXPECT_TRUE(rtf.contains("\\plain\\f0\\fs18 plain "));
    EXPECT_TRUE(rtf.contains("\\plain\\f1\\fs21\\b\\i\\ul\\strike\\cf1 red \\{x\\} \\\\ "
                             "caf\\u233?\\u8364?\\u26085?\\tab z\\~\\u-10179?\\u-8704?"));
    // 52.5 twips: the nearest half-points for other readers, the exact value for ours.
    EXPECT_TRUE(rtf.contains("\\up5\\wlcharoffset5250 up"));
    EXPECT_TRUE(rtf.contains("\\pard\\qc\\fi-360\\li720 line\\line two\\par\n}"));
    // One \pard ... \par per paragraph.
    EXPECT_EQ(rtf.count("\\pard"), 2);
    EXPECT_EQ(rtf.count("\\par\n"), 2);
}

// Plain text is copied through in blocks of characters: a character that needs escaping is
// escaped wherever it falls in a block, and the text reads back the same.
TEST(RtfWriter, EscapesHoldAtEveryPlaceInALongRun)
{
    const std::vector<std::pair<QString, std::string>> specials = {
        {QStringLiteral("{"), "\\{"},      {QStringLiteral("}"), "\\}"},
        {QStringLiteral("\\"), "\\\\"},    {QStringLiteral("\t"), "\\tab "},
        {QString(QChar(0xE9)), "\\u233?"}, {QString(QChar(0x7E)), "~"},
        {QString(QChar(0x20)), " "}};
    for (const auto& [special, written] : specials) {
        for (int before = 0; before < 19; ++before) {
            const QString text = QString(before, u'a') + special + QString(19 - before, u'b');
            QTextDocument document;
            QTextCursor(&document).insertText(text);
            const QByteArray rtf = rtf::write(document);
            const std::string expected =
                std::string(size_t(before), 'a') + written + std::string(size_t(19 - before), 'b');
            EXPECT_TRUE(rtf.contains(QByteArray::fromStdString(expected)))
                << "at " << before << ": " << rtf.constData();
            QTextDocument back;
            rtf::read(rtf, back);
            EXPECT_EQ(back.toPlainText(), text);
        }
    }
}

TEST(RtfWriter, BulletsUseThePnSchemeWithATextFallback)
{
    auto d = readRtf(
        doc("\\pard{\\listtext\\f1\\'b7\\tab}\\ls1 x\\par"
            "\\pard{\\pntext\\f1\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'b7}}"
            "\\fi-360\\li720 item\\par"));
    const QByteArray rtf = rtf::write(*d);
    const QRegularExpression pattern(QStringLiteral(
        R"(\\pard\\ql\{\\pntext\\f(\d+)\\'b7\\tab\}\{\\\*\\pn\\pnlvlblt\\pnf\1\\pnindent0\{\\pntxtb\\'b7\}\}\\fi-360\\li720\\ls\d+\\ilvl0 .*item\\par)"));
    EXPECT_TRUE(pattern.match(QString::fromLatin1(rtf)).hasMatch()) << rtf.toStdString();
    EXPECT_TRUE(rtf.contains("\\ftech\\fcharset2 Symbol;"));
    // A list the reader does not understand keeps its text.
    EXPECT_EQ(paragraphs(*d).first(), QString::fromUtf8("\u2022\tx"));
}

TEST(RtfWriter, PicturesKeepTheirOriginalBytes)
{
    const QByteArray png = pngBytes(4, 3, qRgb(10, 20, 30));
    QImage jpegImage(8, 8, QImage::Format_RGB32);
    jpegImage.fill(Qt::blue);
    QByteArray jpeg;
    {
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        jpegImage.save(&buffer, "JPEG");
    }
    auto d =
        readRtf(doc("{\\pict\\pngblip\\picw4\\pich3\\picwgoal600\\pichgoal450 " + hexOf(png) +
                    "}{\\pict\\jpegblip\\picwgoal120\\pichgoal120\n" + hexOf(jpeg) + "}\\par"));
    QByteArray rtf = withoutLineEnds(rtf::write(*d));
    EXPECT_TRUE(rtf.contains("{\\pict\\pngblip\\picw4\\pich3\\picwgoal600\\pichgoal450 " +
                             hexOf(png) + "}"));
    EXPECT_TRUE(rtf.contains("{\\pict\\jpegblip\\picw8\\pich8\\picwgoal120\\pichgoal120 " +
                             hexOf(jpeg) + "}"));

    // A picture the editor holds only as an image is written as PNG at its shown size.
    QTextDocument document;
    QImage image(5, 2, QImage::Format_RGB32);
    image.fill(Qt::red);
    document.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("inserted")), image);
    QTextCursor cursor(&document);
    QTextImageFormat format;
    format.setName(QStringLiteral("inserted"));
    format.setWidth(10);
    format.setHeight(4);
    cursor.insertImage(format);
    rtf = withoutLineEnds(rtf::write(document));
    EXPECT_TRUE(rtf.contains("{\\pict\\pngblip\\picw5\\pich2\\picwgoal150\\pichgoal60"));
    auto back = readRtf(rtf);
    ASSERT_EQ(images(*back).size(), 1);
    const QImage read =
        back->resource(QTextDocument::ImageResource, QUrl(images(*back)[0].name())).value<QImage>();
    EXPECT_EQ(read.convertToFormat(QImage::Format_RGB32), image);
}

TEST(RtfWriter, RangesWriteTheSelectionOnly)
{
    auto d = readRtf(doc("\\qc first {\\b para}\\par\\pard second\\par\\pard third\\par"));
    // Inside one paragraph: no paragraph mark.
    QByteArray rtf = rtf::writeRange(*d, 2, 8);
    auto part = readRtf(rtf);
    EXPECT_EQ(part->toRawText(), QStringLiteral("rst pa"));
    EXPECT_FALSE(rtf.contains("\\par\n"));
    EXPECT_TRUE(isBold(formatOf(*part, "pa")));

    // Across paragraphs: each paragraph mark in the range.
    rtf = rtf::writeRange(*d, 6, 20);
    EXPECT_EQ(rtf.count("\\par\n"), 2);
    part = readRtf(rtf);
    EXPECT_EQ(paragraphs(*part), QStringList({"para", "second", "th"}));
    EXPECT_EQ(paragraph(*part, 0).blockFormat().alignment(), Qt::AlignHCenter);

    // Reversed and out-of-range ends are put in order and bounded.
    EXPECT_EQ(rtf::writeRange(*d, 20, 6), rtf);
    EXPECT_EQ(readRtf(rtf::writeRange(*d, -5, 100000))->toRawText(), d->toRawText());
}

TEST(RtfWriter, WritingIntoASelectionReplacesItWithTheRtfDocument)
{
    auto d = readRtf(doc("\\qr hello world\\par"));
    QTextCursor cursor(d.get());
    cursor.setPosition(6);
    cursor.setPosition(11, QTextCursor::KeepAnchor); // "world"
    rtf::insert(doc("{\\b big}"), cursor);
    EXPECT_EQ(paragraphs(*d), QStringList({"hello big"}));
    EXPECT_TRUE(isBold(formatOf(*d, "big")));
    EXPECT_EQ(paragraph(*d, 0).blockFormat().alignment(), Qt::AlignRight); // one run: no paragraph
    EXPECT_EQ(cursor.position(), 9);

    // Several paragraphs: each keeps its format, the rest of the old paragraph keeps its own.
    cursor.setPosition(5);
    rtf::insert(doc("\\qc A\\par\\pard\\qj B"), cursor);
    EXPECT_EQ(paragraphs(*d), QStringList({"helloA", "B big"}));
    EXPECT_EQ(paragraph(*d, 0).blockFormat().alignment(), Qt::AlignHCenter);
    EXPECT_EQ(paragraph(*d, 1).blockFormat().alignment(), Qt::AlignRight);

    // A trailing paragraph mark ends the pasted text with a paragraph.
    cursor.setPosition(0);
    rtf::insert(doc("top\\par"), cursor);
    EXPECT_EQ(paragraphs(*d), QStringList({"top", "helloA", "B big"}));

    // Bytes that are not RTF change nothing.
    const QString before = d->toRawText();
    EXPECT_THROW(rtf::insert("plain text", cursor), rtf::FormatError);
    EXPECT_EQ(d->toRawText(), before);
}

TEST(RtfWriter, ReadIsAllOrNothing)
{
    QTextDocument document;
    document.setPlainText(QStringLiteral("keep me"));
    EXPECT_THROW(rtf::read("not rtf at all", document), rtf::FormatError);
    EXPECT_THROW(rtf::read("", document), rtf::FormatError);
    EXPECT_THROW(rtf::read("{\\rt", document), rtf::FormatError);
    EXPECT_EQ(document.toPlainText(), QStringLiteral("keep me"));
    EXPECT_TRUE(rtf::looksLikeRtf("  \r\n{\\rtf1}"));
    EXPECT_TRUE(rtf::looksLikeRtf("\xEF\xBB\xBF{\\rtf1}"));
    EXPECT_FALSE(rtf::looksLikeRtf("{\\rtx}"));
    rtf::read("{\\rtf1 new}", document);
    EXPECT_EQ(document.toPlainText(), QStringLiteral("new"));
}
