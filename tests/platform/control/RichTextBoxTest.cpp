#include "platform/control/RichTextBox.h"
#include "platform/control/IncrementalDocumentLayout.h"
#include "platform/control/RichTextView.h"
#include "platform/core/Error.h"
#include "platform/rtf/RtfCarriedGroups.h"

#include "support/QtPrinters.h"
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QWidget>

#include <gtest/gtest.h>

namespace
{

// A visible control in a window, as the editor has it.
struct VisibleBox {
    QWidget window;
    RichTextBox* box;
    VisibleBox() : box(new RichTextBox(&window))
    {
        window.resize(600, 400);
        box->setWidth(9000);
        box->setHeight(5000);
        window.show();
    }
    void select(long start, long length)
    {
        box->setSelStart(start);
        box->setSelLength(length);
    }
};

} // namespace

TEST(RichTextBox, SelTextReplacesTheSelectionAndLeavesTheCaretAfterIt)
{
    VisibleBox v;
    v.box->setSelText(QStringLiteral("hello world"));
    v.select(6, 5);
    EXPECT_EQ(v.box->SelText(), QStringLiteral("world"));
    v.box->setSelText(QStringLiteral("there, friend"));
    EXPECT_EQ(v.box->Text(), QStringLiteral("hello there, friend"));
    EXPECT_EQ(v.box->SelStart(), 19);
    EXPECT_EQ(v.box->SelLength(), 0);

    // Selection bounds are clamped to the document.
    v.box->setSelStart(1000);
    EXPECT_EQ(v.box->SelStart(), 19);
    v.box->setSelStart(6);
    v.box->setSelLength(1000);
    EXPECT_EQ(v.box->SelLength(), 13);
}

TEST(RichTextBox, CharacterAttributesReadMixedOverDifferingText)
{
    VisibleBox v;
    v.box->setSelText(QStringLiteral("plain bold"));
    v.select(6, 4);
    v.box->setSelBold(true);
    v.box->setSelItalic(true);
    v.box->setSelUnderline(true);
    v.box->setSelStrikeThru(true);
    v.box->setSelColor(QColor(255, 0, 0));
    v.box->setSelFontName(QStringLiteral("Arial"));
    v.box->setSelFontSize(10.5);
    EXPECT_EQ(v.box->SelBold(), true);
    EXPECT_EQ(v.box->SelFontName(), QStringLiteral("Arial"));
    EXPECT_EQ(v.box->SelFontSize(), 10.5);
    EXPECT_EQ(v.box->SelColor(), QColor(255, 0, 0));

    v.select(0, 10);
    EXPECT_EQ(v.box->SelBold(), std::nullopt);
    EXPECT_EQ(v.box->SelItalic(), std::nullopt);
    EXPECT_EQ(v.box->SelUnderline(), std::nullopt);
    EXPECT_EQ(v.box->SelStrikeThru(), std::nullopt);
    EXPECT_EQ(v.box->SelColor(), std::nullopt);
    EXPECT_EQ(v.box->SelFontName(), std::nullopt);
    EXPECT_EQ(v.box->SelFontSize(), std::nullopt);

    v.select(0, 5);
    EXPECT_EQ(v.box->SelBold(), false);
    EXPECT_EQ(v.box->SelFontName(), QStringLiteral("Courier New"));
    EXPECT_EQ(v.box->SelFontSize(), 9.0);
    EXPECT_EQ(v.box->SelColor(), QColor(Qt::black));

    // A mixed reading written back changes nothing.
    v.select(0, 10);
    v.box->setSelBold(std::nullopt);
    EXPECT_EQ(v.box->SelBold(), std::nullopt);
}

TEST(RichTextBox, AnAttributeSetAtTheCaretAppliesToWhatIsTypedNext)
{
    VisibleBox v;
    v.box->setSelText(QStringLiteral("ab"));
    v.box->setSelBold(true);
    EXPECT_EQ(v.box->SelBold(), true);
    QTest::keyClicks(v.box->view(), QStringLiteral("cd"));
    v.select(2, 2);
    EXPECT_EQ(v.box->SelBold(), true);
    v.select(0, 2);
    EXPECT_EQ(v.box->SelBold(), false);
}

TEST(RichTextBox, CharOffsetIsKeptInTwipsAndDrawnAsABaselineShift)
{
    VisibleBox v;
    v.box->setSelText(QStringLiteral("x2"));
    v.select(1, 1);
    v.box->setSelCharOffset(52.5);
    EXPECT_EQ(v.box->SelCharOffset(), 52.5);
    QTextCursor cursor(v.box->document());
    cursor.setPosition(2);
    EXPECT_GT(cursor.charFormat().baselineOffset(), 0);
    v.select(0, 2);
    EXPECT_EQ(v.box->SelCharOffset(), std::nullopt);
}

TEST(RichTextBox, ParagraphAttributesReadMixedAcrossParagraphs)
{
    VisibleBox v;
    v.box->setSelText(QStringLiteral("one\ntwo\nthree"));
    v.select(0, 0);
    EXPECT_EQ(v.box->SelAlignment(), RichTextBox::rtfLeft);
    v.select(4, 0);
    v.box->setSelAlignment(RichTextBox::rtfCenter);
    v.box->setSelBullet(true);
    EXPECT_EQ(v.box->SelAlignment(), RichTextBox::rtfCenter);
    EXPECT_EQ(v.box->SelBullet(), true);

    v.select(0, 6);
    EXPECT_EQ(v.box->SelAlignment(), std::nullopt);
    EXPECT_EQ(v.box->SelBullet(), std::nullopt);

    v.box->setSelAlignment(RichTextBox::rtfRight);
    EXPECT_EQ(v.box->SelAlignment(), RichTextBox::rtfRight);
    v.box->setSelBullet(true);
    EXPECT_EQ(v.box->SelBullet(), true);
    v.box->setSelBullet(false);
    EXPECT_EQ(v.box->SelBullet(), false);
    v.select(8, 0);
    EXPECT_EQ(v.box->SelAlignment(), RichTextBox::rtfLeft);
}

TEST(RichTextBox, AParagraphRunsRightToLeftOnlyWhenItsFormatSaysSo)
{
    VisibleBox v;
    v.box->setTextRTF(QByteArrayLiteral("{\\rtf1\\ansi {\\u1513?\\u1500?\\u1493?\\u1501? abc\\par}"
                                        "{\\rtlpar \\u1513?\\u1500?\\u1493?\\u1501? abc\\par}}"));
    const QTextBlock first = v.box->document()->firstBlock();
    EXPECT_EQ(first.textDirection(), Qt::LeftToRight);
    EXPECT_EQ(first.next().textDirection(), Qt::RightToLeft);
}

TEST(RichTextBox, FindHonoursWholeWordAndMatchCaseAndSelectsTheMatch)
{
    VisibleBox v;
    v.box->setSelText(QStringLiteral("The cat scattered Cat food. Über über"));
    EXPECT_EQ(v.box->Find(QStringLiteral("cat"), 0), 4);
    EXPECT_EQ(v.box->SelStart(), 4);
    EXPECT_EQ(v.box->SelLength(), 3);
    EXPECT_EQ(v.box->Find(QStringLiteral("cat"), 5), 9);
    EXPECT_EQ(v.box->Find(QStringLiteral("cat"), 5, -1, RichTextBox::rtfWholeWord), 18);
    EXPECT_EQ(v.box->Find(QStringLiteral("cat"), 5, -1, 6), -1);
    EXPECT_EQ(v.box->Find(QStringLiteral("Cat"), 0, -1, RichTextBox::rtfMatchCase), 18);
    // Letters beyond A to Z compare without case too.
    EXPECT_EQ(v.box->Find(QStringLiteral("ÜBER"), 29), 33);
    EXPECT_EQ(v.box->Find(QStringLiteral("über"), 0, -1, RichTextBox::rtfMatchCase), 33);
    // The end limits the search; a start past the end is no match.
    EXPECT_EQ(v.box->Find(QStringLiteral("food"), 0, 25), -1);
    EXPECT_EQ(v.box->Find(QStringLiteral("food"), 1000), -1);
    // No highlight leaves the selection alone.
    v.select(0, 0);
    EXPECT_EQ(v.box->Find(QStringLiteral("food"), 0, -1, RichTextBox::rtfNoHighlight), 22);
    EXPECT_EQ(v.box->SelLength(), 0);
}

TEST(RichTextBox, LinesAreDisplayedLinesSoAWrappedParagraphGivesSeveral)
{
    VisibleBox v;
    v.box->setRightMargin(1500); // about 100 pixels
    QString words;
    for (int i = 0; i < 40; ++i)
        words += QStringLiteral("word ");
    v.box->setSelText(QStringLiteral("first\n") + words + QStringLiteral("\nlast"));
    EXPECT_EQ(v.box->GetLineFromChar(0), 0);
    EXPECT_EQ(v.box->GetLineFromChar(6), 1);
    const long lastStart = v.box->Text().indexOf(QStringLiteral("last"));
    const long lastLine = v.box->GetLineFromChar(lastStart);
    EXPECT_GT(lastLine, 3);
    EXPECT_EQ(v.box->lineStartFromChar(lastStart + 2), lastStart);
    // Every wrapped line begins again at its own start.
    const long middle = 6 + 100;
    EXPECT_GT(v.box->GetLineFromChar(middle), 1);
    EXPECT_LT(v.box->lineStartFromChar(middle), middle + 1);
    EXPECT_GT(v.box->lineStartFromChar(middle), 6);

    // Typing before the wrapped paragraph moves the later lines' numbers with it.
    v.select(0, 0);
    v.box->setSelText(QStringLiteral("new\n"));
    EXPECT_EQ(v.box->GetLineFromChar(lastStart + 4), lastLine + 1);
}

TEST(RichTextBox, ChangeIsRaisedForContentAndFormatting)
{
    VisibleBox v;
    QSignalSpy changes(v.box, &RichTextBox::Change);
    v.box->setSelText(QStringLiteral("abc"));
    EXPECT_GE(changes.count(), 1);
    changes.clear();
    v.select(0, 3);
    v.box->setSelBold(true);
    EXPECT_GE(changes.count(), 1);
    changes.clear();
    v.box->setSelAlignment(RichTextBox::rtfCenter);
    EXPECT_GE(changes.count(), 1);
}

TEST(RichTextBox, PlainTextFilesRoundTripAndFailuresRaiseClassicNumbers)
{
    QTemporaryDir dir;
    VisibleBox v;
    v.box->setSelText(QStringLiteral("Grüße\nzweite Zeile"));
    const QString path = dir.filePath(QStringLiteral("note.txt"));
    v.box->SaveFile(path, RichTextBox::rtfText);

    RichTextBox hidden;
    hidden.LoadFile(path, RichTextBox::rtfText);
    EXPECT_EQ(hidden.Text(), QStringLiteral("Grüße\nzweite Zeile"));

    auto numberOf = [](const std::function<void()>& f) {
        try {
            f();
        } catch (const PlatformError& e) {
            return e.number();
        }
        return 0L;
    };
    EXPECT_EQ(numberOf([&] { hidden.LoadFile(dir.filePath(QStringLiteral("none.txt")), 1); }), 53);
    EXPECT_EQ(numberOf([&] { hidden.LoadFile(dir.path(), 1); }), 75);
    EXPECT_EQ(numberOf([&] { hidden.LoadFile(dir.filePath(QStringLiteral("no/such.txt")), 1); }),
              76);
    EXPECT_EQ(numberOf([&] { hidden.LoadFile(path, RichTextBox::rtfRTF); }), 321);
    EXPECT_EQ(hidden.Text(), QStringLiteral("Grüße\nzweite Zeile"))
        << "a failed load keeps the text";
    EXPECT_EQ(numberOf([&] { hidden.SaveFile(dir.filePath(QStringLiteral("no/x.txt")), 1); }), 76);
}

TEST(RichTextBox, AHiddenControlKeepsRtfUntilItsDocumentIsNeeded)
{
    RichTextBox hidden;
    const QByteArray rtf = QByteArrayLiteral("{\\rtf1\\ansi kept as it came}");
    hidden.setTextRTF(rtf);
    EXPECT_EQ(hidden.TextRTF(), rtf);
}

TEST(RichTextBox, KeyDownCanConsumeAKey)
{
    VisibleBox v;
    v.box->view()->setFocus();
    QObject::connect(v.box, &RichTextBox::KeyDown, [](int& keyCode, int& shift) {
        if (keyCode == 'Q') {
            keyCode = 0;
            shift = 0;
        }
    });
    QSignalSpy ups(v.box, &RichTextBox::KeyUp);
    QTest::keyClicks(v.box->view(), QStringLiteral("aqb"));
    EXPECT_EQ(v.box->Text(), QStringLiteral("ab"));
    EXPECT_EQ(ups.count(), 3);
}

namespace
{

// RTF of `count` one-line paragraphs: well over what the view lays out while a change returns.
QByteArray manyParagraphsRtf(int count)
{
    QByteArray rtf = "{\\rtf1\\ansi ";
    for (int i = 0; i < count; ++i)
        rtf += "Paragraph " + QByteArray::number(i) + " of a long pasted text, on one line.\\par ";
    return rtf + "}";
}

bool caretIsShown(RichTextView& view)
{
    return view.viewport()->rect().contains(view.cursorRect().center());
}

} // namespace

TEST(RichTextBox, ALargePasteIsLaidOutInTheBackgroundThenTheCaretAndStateFollow)
{
    VisibleBox v;
    QSignalSpy selChanges(v.box, &RichTextBox::SelChange);
    v.box->setSelRTF(manyParagraphsRtf(5000));
    const QTextBlock caretBlock = v.box->document()->findBlock(int(v.box->SelStart()));
    ASSERT_GT(caretBlock.blockNumber(), 4000);

    // Back from the paste with most of it not laid out, and nothing reported yet that needs it.
    EXPECT_FALSE(IncrementalDocumentLayout::isLaidOut(caretBlock));
    EXPECT_EQ(selChanges.count(), 0);

    EXPECT_TRUE(QTest::qWaitFor([&] { return selChanges.count() > 0; }, 20000));
    EXPECT_TRUE(IncrementalDocumentLayout::isLaidOut(caretBlock));
    EXPECT_EQ(selChanges.count(), 1);
    EXPECT_TRUE(caretIsShown(*v.box->view()));
    EXPECT_EQ(v.box->GetLineFromChar(v.box->SelStart()), caretBlock.blockNumber());
}

TEST(RichTextBox, KeysAndSelectionsDuringABackgroundLayoutWorkOnTheRealLayout)
{
    VisibleBox v;
    v.box->setSelRTF(manyParagraphsRtf(5000));
    const int caretBlock = v.box->document()->findBlock(int(v.box->SelStart())).blockNumber();
    QTest::keyClick(v.box->view(), Qt::Key_Up);
    EXPECT_EQ(v.box->view()->textCursor().blockNumber(), caretBlock - 1);
    EXPECT_TRUE(caretIsShown(*v.box->view()));

    v.box->setSelRTF(manyParagraphsRtf(5000));
    const QTextBlock middle = v.box->document()->findBlockByNumber(7000);
    ASSERT_FALSE(IncrementalDocumentLayout::isLaidOut(middle));
    v.select(middle.position() + 3, 0);
    EXPECT_TRUE(IncrementalDocumentLayout::isLaidOut(middle));
    EXPECT_TRUE(caretIsShown(*v.box->view()));
    EXPECT_EQ(v.box->GetLineFromChar(v.box->SelStart()), 7000);
}

TEST(RichTextBox, PrintedLinesGiveRaisedTextTheRoomTheScreenGives)
{
    QTemporaryDir dir;
    // The distance in points from the top of "first" to the top of "third" on the printed page.
    const auto firstToThird = [&dir](const QByteArray& header, const QByteArray& second) {
        RichTextBox box;
        box.setTextRTF("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}" + header +
                       "\\pard\\fs24 first\\par second " + second + "\\par third\\par}");
        const QString pdf = dir.filePath(QStringLiteral("lines.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        box.SelPrint(&printer);
        QProcess words;
        words.start(QStringLiteral("pdftotext"),
                    {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
        words.waitForFinished(60000);
        const QString boxes = QString::fromUtf8(words.readAllStandardOutput());
        const auto top = [&boxes](const QString& word) {
            const QRegularExpressionMatch found =
                QRegularExpression(QStringLiteral("yMin=\"([0-9.]+)\"[^>]*>") + word + "<")
                    .match(boxes);
            EXPECT_TRUE(found.hasMatch()) << word.toStdString() << boxes.toStdString();
            return found.captured(1).toDouble();
        };
        return top(QStringLiteral("third")) - top(QStringLiteral("first"));
    };
    // Raised by 6 points (12 half points): the line that holds it is 6 points taller.
    for (const QByteArray& header :
         {QByteArray(), QByteArray("{\\header \\pard Running head\\par}")}) {
        SCOPED_TRACE(header.isEmpty() ? "printed plainly" : "printed with a header");
        const double plain = firstToThird(header, "words");
        const double raised = firstToThird(header, "{\\up12 words}");
        EXPECT_NEAR(raised - plain, 6.0, 1.0) << plain << " " << raised;
    }
}

TEST(RichTextBox, PrintingUsesTheDocumentsPageHeaderAndFooter)
{
    QTemporaryDir dir;
    const auto printTo = [&dir](const QByteArray& rtf, const QString& name) {
        RichTextBox box;
        box.setTextRTF(rtf);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(name));
        box.SelPrint(&printer);
        return dir.filePath(name);
    };
    const auto run = [](const QString& program, const QStringList& arguments) {
        QProcess process;
        process.start(program, arguments);
        process.waitForFinished(60000);
        return QString::fromUtf8(process.readAllStandardOutput());
    };
    const QString pdf =
        printTo("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\paperw16838\\paperh11906"
                "\\margl1134\\margr1134\\landscape{\\header \\pard Running head\\par}"
                "{\\footer \\pard Foot line\\par}\\pard Body text\\par}",
                QStringLiteral("landscape.pdf"));
    const QString text = run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    EXPECT_TRUE(text.contains(QStringLiteral("Running head"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Body text")));
    EXPECT_TRUE(text.contains(QStringLiteral("Foot line")));
    const QString info = run(QStringLiteral("pdfinfo"), {pdf});
    // A4 turned on its side.
    const QRegularExpressionMatch size =
        QRegularExpression(QStringLiteral("Page size: +([0-9.]+) x ([0-9.]+) pts \\(A4\\)"))
            .match(info);
    ASSERT_TRUE(size.hasMatch()) << info.toStdString();
    EXPECT_GT(size.captured(1).toDouble(), size.captured(2).toDouble());

    // Without page setup or header, the printer's page as before.
    const QString plain = printTo("{\\rtf1\\ansi Just text\\par}", QStringLiteral("plain.pdf"));
    EXPECT_TRUE(run(QStringLiteral("pdftotext"), {plain, QStringLiteral("-")})
                    .contains(QStringLiteral("Just text")));
}

TEST(RichTextBox, EnterLeavesPageBreaksAndSectionStartsWithTheirPartOfTheParagraph)
{
    VisibleBox v;
    v.box->setTextRTF("{\\rtf1\\ansi One\\par\\sect\\sectd\\lndscpsxn Two halves\\par"
                      "\\pard\\pagebb Broken here\\par}");
    QTextDocument& document = *v.box->document();
    const auto blockText = [&](int n) { return document.findBlockByNumber(n).text(); };
    const auto format = [&](int n) { return document.findBlockByNumber(n).blockFormat(); };
    v.box->view()->setFocus();
    v.select(long(document.findBlockByNumber(1).position()) + 4, 0);
    QTest::keyClick(v.box->view(), Qt::Key_Return);
    v.select(long(document.findBlockByNumber(3).position()) + 7, 0);
    QTest::keyClick(v.box->view(), Qt::Key_Return);
    ASSERT_EQ(blockText(2), "halves");
    ASSERT_EQ(blockText(4), "here");
    // The first parts keep them; the second parts start no page.
    EXPECT_TRUE(format(1).hasProperty(carried::SectionWords));
    EXPECT_TRUE(format(1).pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore);
    EXPECT_TRUE(format(3).pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore);
    for (int n : {2, 4}) {
        EXPECT_FALSE(format(n).hasProperty(carried::SectionWords)) << n;
        EXPECT_FALSE(format(n).pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) << n;
    }
    const QByteArray saved = v.box->TextRTF();
    EXPECT_EQ(saved.count("\\sect\\sectd"), 1) << saved.constData();
    EXPECT_EQ(saved.count("\\pagebb"), 1) << saved.constData();

    // A page break after the paragraph goes with its second part.
    QTextCursor cursor(document.findBlockByNumber(4));
    QTextBlockFormat after = cursor.blockFormat();
    after.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysAfter);
    cursor.setBlockFormat(after);
    v.select(long(document.findBlockByNumber(4).position()) + 2, 0);
    QTest::keyClick(v.box->view(), Qt::Key_Return);
    EXPECT_EQ(format(4).pageBreakPolicy(), QTextFormat::PageBreak_Auto);
    EXPECT_EQ(format(5).pageBreakPolicy(), QTextFormat::PageBreak_AlwaysAfter);
}
