#include "platform/control/IncrementalDocumentLayout.h"

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextTable>
#include <QUrl>
#include <QtGui/private/qtextengine_p.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <tuple>
#include <vector>

namespace
{

constexpr qreal PageWidth = 520;

// Everything a view needs of a line: which text it holds and where it sits on the page.
// Paragraph, first character, length, x, y, width, natural width, height.
using LineRecord = std::tuple<int, int, int, qreal, qreal, qreal, qreal, qreal>;
constexpr size_t NaturalWidth = 6;

std::vector<LineRecord> linesOf(QTextDocument& document)
{
    (void)document.documentLayout()->documentSize(); // finishes any lazy layout
    std::vector<LineRecord> lines;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextLayout* layout = block.layout();
        const QPointF origin = layout->position();
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            lines.emplace_back(block.blockNumber(), line.textStart(), line.textLength(),
                               origin.x() + line.x(), origin.y() + line.y(), line.width(),
                               line.naturalTextWidth(), line.height());
        }
    }
    return lines;
}

// What `measure` finds in the same content laid out from scratch by Qt's own layout.
template <typename Measure> auto measuredAfresh(const QTextDocument& document, Measure measure)
{
    std::unique_ptr<QTextDocument> fresh(document.clone());
    fresh->setDefaultFont(document.defaultFont());
    fresh->setPageSize(document.pageSize());
    return measure(*fresh);
}

std::vector<LineRecord> freshLinesOf(const QTextDocument& document)
{
    return measuredAfresh(document, linesOf);
}

class Words
{
public:
    explicit Words(unsigned seed) : m_random(seed) {}
    int below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(m_random); }
    QString word()
    {
        static const QStringList pool = {
            QStringLiteral("a"),
            QStringLiteral("the"),
            QStringLiteral("paragraph"),
            QStringLiteral("12.5%"),
            QStringLiteral("(quoted)"),
            QStringLiteral("well-known"),
            QStringLiteral("naïve"),
            QStringLiteral("Ωmega"),
            QStringLiteral("x\ty"),
            QStringLiteral("1,000,000"),
            QStringLiteral("end."),
            QStringLiteral("WAVE"),
            QStringLiteral("antidisestablishmentarianismantidisestablishmentarianismandmore"),
            QStringLiteral("line\u2028break")};
        return pool[below(pool.size())];
    }
    QString sentence(int words)
    {
        QString text;
        for (int i = 0; i < words; ++i)
            text += word() + (below(9) == 0 ? QStringLiteral("  ") : QStringLiteral(" "));
        return text;
    }

private:
    std::mt19937 m_random;
};

// A document with a long paragraph between two short ones, laid out by the incremental layout at
// a fixed width, the way the editor view lays its document out.
struct LongParagraphDocument {
    QTextDocument document;
    IncrementalDocumentLayout* layout = new IncrementalDocumentLayout(&document);
    Words words{20261206};

    explicit LongParagraphDocument(bool longParagraphLast = false)
    {
        document.setDocumentLayout(layout);
        document.setDefaultFont(QFont(QStringLiteral("Liberation Serif"), 12));
        document.setPageSize(QSizeF(PageWidth, -1));
        QTextCursor cursor(&document);
        cursor.insertText(QStringLiteral("A short opening paragraph."));
        cursor.insertBlock();
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(Qt::darkGreen);
        document.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("picture")),
                             picture);
        while (cursor.block().length() < 6 * IncrementalDocumentLayout::LongParagraph) {
            cursor.insertText(words.sentence(12));
            cursor.insertText(words.sentence(3), bold);
            if (words.below(10) == 0)
                cursor.insertImage(QStringLiteral("picture"));
        }
        if (!longParagraphLast) {
            cursor.insertBlock();
            cursor.insertText(QStringLiteral("A short closing paragraph."));
        }
        (void)linesOf(document);
    }
    QTextBlock longParagraph() const { return document.findBlockByNumber(1); }
    int randomPositionInLongParagraph()
    {
        const QTextBlock block = longParagraph();
        return block.position() + words.below(block.length());
    }
    QTextCursor selectionInLongParagraph(int maxLength)
    {
        const QTextBlock block = longParagraph();
        QTextCursor cursor(&document);
        const int start = randomPositionInLongParagraph();
        cursor.setPosition(start);
        const int end =
            std::min(start + 1 + words.below(maxLength), block.position() + block.length() - 1);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        return cursor;
    }
    void editRandomly()
    {
        switch (words.below(5)) {
        case 0: { // typing a character
            QTextCursor cursor(&document);
            cursor.setPosition(randomPositionInLongParagraph());
            cursor.insertText(QString(QChar(u'a' + words.below(26))));
            break;
        }
        case 1: { // inserting words
            QTextCursor cursor(&document);
            cursor.setPosition(randomPositionInLongParagraph());
            cursor.insertText(words.sentence(1 + words.below(8)));
            break;
        }
        case 2: // deleting a stretch
            selectionInLongParagraph(40).removeSelectedText();
            break;
        case 3: // replacing a stretch
            selectionInLongParagraph(30).insertText(words.sentence(2));
            break;
        default: { // formatting a stretch: a taller font changes line heights
            QTextCharFormat format;
            format.setFontPointSize(words.below(2) ? 20 : 12);
            selectionInLongParagraph(60).mergeCharFormat(format);
            break;
        }
        }
    }
};

// Qt measures a long run of text in pieces of a few thousand characters, counted from the run's
// start: lines an edit did not reach keep the width they were measured with, which can differ by
// a pixel from measuring them again with the pieces cut elsewhere. Everything else is exact.
testing::AssertionResult sameLines(const std::vector<LineRecord>& kept,
                                   const std::vector<LineRecord>& fresh)
{
    if (kept.size() != fresh.size())
        return testing::AssertionFailure() << kept.size() << " lines instead of " << fresh.size();
    for (size_t i = 0; i < kept.size(); ++i) {
        LineRecord widthless = kept[i];
        std::get<NaturalWidth>(widthless) = std::get<NaturalWidth>(fresh[i]);
        if (widthless != fresh[i] ||
            std::abs(std::get<NaturalWidth>(kept[i]) - std::get<NaturalWidth>(fresh[i])) > 1.5)
            return testing::AssertionFailure()
                   << "line " << i << " differs: " << testing::PrintToString(kept[i])
                   << " instead of " << testing::PrintToString(fresh[i]);
    }
    return testing::AssertionSuccess();
}

// The break and boundary analysis the paragraph's layout holds, and the one made from scratch.
bool sameAnalysisAsFromScratch(const QTextBlock& block)
{
    const QTextEngine* kept = block.layout()->engine();
    QTextLayout fresh(block.text());
    const qsizetype length = block.text().size();
    return std::memcmp(kept->attributes(), fresh.engine()->attributes(),
                       sizeof(QCharAttributes) * length) == 0;
}

void expectSameLinesAsFreshLayout(LongParagraphDocument& d, int edits)
{
    const qsizetype reflowed = d.layout->reflowedInPlace();
    const qsizetype carried = d.layout->analysesCarriedOver();
    for (int i = 0; i < edits; ++i) {
        d.editRandomly();
        ASSERT_TRUE(sameLines(linesOf(d.document), freshLinesOf(d.document))) << "after edit " << i;
        ASSERT_TRUE(sameAnalysisAsFromScratch(d.longParagraph())) << "after edit " << i;
    }
    // The comparisons mean something only if most edits were laid out in place.
    EXPECT_GT(d.layout->reflowedInPlace() - reflowed, edits / 2);
    EXPECT_GT(d.layout->analysesCarriedOver() - carried, edits / 2);
}

} // namespace

TEST(IncrementalDocumentLayout, EditsInsideALongParagraphLayOutLikeAFreshLayout)
{
    LongParagraphDocument d;
    expectSameLinesAsFreshLayout(d, 150);
}

TEST(IncrementalDocumentLayout, EditsInTheLastParagraphLayOutLikeAFreshLayout)
{
    LongParagraphDocument d(true);
    expectSameLinesAsFreshLayout(d, 150);
}

TEST(IncrementalDocumentLayout, FirstLineIndentAndAlignmentAreKept)
{
    LongParagraphDocument d;
    QTextCursor cursor(d.longParagraph());
    QTextBlockFormat format;
    format.setTextIndent(36);
    format.setLeftMargin(18);
    format.setAlignment(Qt::AlignJustify);
    cursor.mergeBlockFormat(format);
    expectSameLinesAsFreshLayout(d, 60);
}

TEST(IncrementalDocumentLayout, ChangesAcrossParagraphsAndRightToLeftTextUseTheWholeLayout)
{
    LongParagraphDocument d;
    QTextCursor cursor(&d.document);
    cursor.setPosition(d.longParagraph().position() + 500);
    cursor.insertBlock(); // splits the long paragraph
    EXPECT_EQ(linesOf(d.document), freshLinesOf(d.document));
    cursor.deletePreviousChar(); // joins it again
    EXPECT_EQ(linesOf(d.document), freshLinesOf(d.document));

    const qsizetype before = d.layout->reflowedInPlace();
    cursor.insertText(QStringLiteral(" שלום עולם "));
    EXPECT_EQ(d.layout->reflowedInPlace(), before);
    EXPECT_EQ(linesOf(d.document), freshLinesOf(d.document));
}

namespace
{

// A document of short paragraphs inserted in one large change, laid out in the background.
struct BackgroundLayout {
    QTextDocument document;
    IncrementalDocumentLayout* layout = new IncrementalDocumentLayout(&document);
    QSignalSpy caughtUp{layout, &IncrementalDocumentLayout::layoutCaughtUp};
    BackgroundLayout()
    {
        document.setDocumentLayout(layout);
        document.setPageSize(QSizeF(PageWidth, -1));
        QString text;
        while (text.size() < IncrementalDocumentLayout::LargeChange)
            text += QStringLiteral("One more short paragraph of text.\n");
        QTextCursor(&document).insertText(text);
    }
};

} // namespace

TEST(IncrementalDocumentLayout, ALargeChangeIsLaidOutInTheBackgroundWithoutBlockingOnLookups)
{
    BackgroundLayout b;
    QTextDocument& document = b.document;
    IncrementalDocumentLayout* layout = b.layout;
    QSignalSpy& caughtUp = b.caughtUp;

    // A lookup far down answers from what is laid out instead of laying out everything above.
    const QTextBlock last = document.lastBlock();
    ASSERT_FALSE(IncrementalDocumentLayout::isLaidOut(last));
    const QRectF estimate = layout->blockBoundingRect(last);
    EXPECT_FALSE(IncrementalDocumentLayout::isLaidOut(last));
    EXPECT_DOUBLE_EQ(estimate.top(), layout->dynamicDocumentSize().height());

    // Asking for the layout gets it; the background steps reach the end and say so.
    IncrementalDocumentLayout::ensureLaidOut(last);
    EXPECT_TRUE(IncrementalDocumentLayout::isLaidOut(last));
    EXPECT_TRUE(QTest::qWaitFor([&] { return caughtUp.count() == 1; }, 20000));
    EXPECT_GT(layout->blockBoundingRect(last).top(), estimate.top());
    EXPECT_EQ(linesOf(document), freshLinesOf(document));
}

namespace
{

// Where every paragraph of the document sits on the page, tables included.
std::vector<QRectF> paragraphPlaces(QTextDocument& document)
{
    (void)document.documentLayout()->documentSize();
    std::vector<QRectF> places;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        places.push_back(document.documentLayout()->blockBoundingRect(block));
    return places;
}

std::vector<QRectF> freshParagraphPlaces(const QTextDocument& document)
{
    return measuredAfresh(document, paragraphPlaces);
}

// A click in the middle of each paragraph's first line lands in that paragraph: Qt looks a click
// up from the resume points it keeps, which changes laid out in place leave behind.
testing::AssertionResult clicksLandInTheirParagraphs(QTextDocument& document)
{
    QAbstractTextDocumentLayout* layout = document.documentLayout();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QRectF place = layout->blockBoundingRect(block);
        const QTextLine first = block.layout()->lineAt(0);
        // Qt draws the first line of a paragraph that starts with a line break after a table
        // inside the table's last row.
        if (block.length() < 2 || !first.isValid() || block.text().front() == QChar::LineSeparator)
            continue;
        const QPointF origin = place.topLeft() - block.layout()->boundingRect().topLeft();
        const QPointF middle(origin.x() + first.x() + first.naturalTextWidth() / 2,
                             origin.y() + first.y() + first.height() / 2);
        const int hit = layout->hitTest(middle, Qt::FuzzyHit);
        if (hit < block.position() || hit >= block.position() + block.length())
            return testing::AssertionFailure()
                   << "a click in paragraph " << block.blockNumber() << " lands at " << hit;
    }
    return testing::AssertionSuccess();
}

// Short paragraphs and tables, laid out whole by the incremental layout as the editor's is.
struct TablesDocument {
    QTextDocument document;
    IncrementalDocumentLayout* layout = new IncrementalDocumentLayout(&document);
    Words words{20261207};

    TablesDocument()
    {
        document.setDocumentLayout(layout);
        document.setDefaultFont(QFont(QStringLiteral("Liberation Serif"), 12));
        document.setPageSize(QSizeF(PageWidth, -1));
        QTextCursor cursor(&document);
        for (int p = 0; p < 60; ++p) {
            cursor.insertText(words.sentence(2 + words.below(25)));
            cursor.insertBlock();
            if (p % 10 == 5)
                insertTable(cursor, p % 20 == 5);
            if (p == 25) // an empty paragraph after a table, which Qt tucks into its border
                continue;
            if (p == 45)
                cursor.insertText(QStringLiteral("\u2028after a table, a line break first"));
        }
        (void)linesOf(document);
    }
    void insertTable(QTextCursor& cursor, bool fixedColumns)
    {
        QTextTableFormat format;
        if (fixedColumns)
            format.setColumnWidthConstraints({QTextLength(QTextLength::FixedLength, 150),
                                              QTextLength(QTextLength::FixedLength, 200)});
        QTextTable* table = cursor.insertTable(2, 2, format);
        for (int cell = 0; cell < 4; ++cell)
            table->cellAt(cell / 2, cell % 2).firstCursorPosition().insertText(words.sentence(4));
        cursor.setPosition(table->lastPosition() + 1);
    }
    QTextCursor randomCursor()
    {
        const QTextBlock block = document.findBlockByNumber(words.below(document.blockCount()));
        QTextCursor cursor(&document);
        cursor.setPosition(block.position() + words.below(block.length()));
        return cursor;
    }
    void editRandomly()
    {
        QTextCursor cursor = randomCursor();
        const int kind = words.below(20);
        if (kind < 12) {
            cursor.insertText(QString(QChar(u'a' + words.below(26))));
        } else if (kind < 16) {
            cursor.deletePreviousChar(); // may join paragraphs
        } else if (kind < 19) {
            cursor.insertText(words.sentence(1 + words.below(3)));
        } else {
            cursor.insertBlock();
        }
    }
};

} // namespace

TEST(IncrementalDocumentLayout, EditsThatKeepTheirParagraphsHeightMoveNothingAndLayOutExactly)
{
    TablesDocument d;
    ASSERT_TRUE(clicksLandInTheirParagraphs(d.document));
    for (int i = 0; i < 300; ++i) {
        d.editRandomly();
        ASSERT_TRUE(sameLines(linesOf(d.document), freshLinesOf(d.document))) << "after edit " << i;
        ASSERT_EQ(paragraphPlaces(d.document), freshParagraphPlaces(d.document))
            << "after edit " << i;
        ASSERT_TRUE(clicksLandInTheirParagraphs(d.document)) << "after edit " << i;
    }
    // The comparisons mean something only if many edits moved nothing.
    EXPECT_GT(d.layout->changesThatMovedNothing(), 100);
}

TEST(IncrementalDocumentLayout, TypingFarAwayAfterEditsInPlaceLaysOutExactly)
{
    TablesDocument d;
    const qsizetype before = d.layout->changesThatMovedNothing();
    QTextCursor typing(d.document.findBlockByNumber(3));
    typing.movePosition(QTextCursor::EndOfBlock);
    typing.insertText(QStringLiteral("ab"));
    typing.deletePreviousChar();
    ASSERT_EQ(d.layout->changesThatMovedNothing(), before + 2);

    // A new paragraph far below, and one just below: Qt lays out from there with what it kept.
    for (const int paragraph : {d.document.blockCount() - 3, 4}) {
        QTextCursor(d.document.findBlockByNumber(paragraph)).insertBlock();
        EXPECT_TRUE(sameLines(linesOf(d.document), freshLinesOf(d.document)));
        EXPECT_EQ(paragraphPlaces(d.document), freshParagraphPlaces(d.document));
        EXPECT_TRUE(clicksLandInTheirParagraphs(d.document));
        typing.insertText(QStringLiteral("cd"));
    }
}

TEST(IncrementalDocumentLayout, TypingBesideRaisedTextKeepsItsRoomAndMovesNothing)
{
    // Note references and the like: raised text in many paragraphs, whose lines have grown.
    QTextDocument document;
    auto* layout = new IncrementalDocumentLayout(&document);
    document.setDocumentLayout(layout);
    document.setDefaultFont(QFont(QStringLiteral("Liberation Serif"), 12));
    document.setPageSize(QSizeF(PageWidth, -1));
    Words words(20261208);
    QTextCharFormat raised;
    raised.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    QTextCursor cursor(&document);
    for (int p = 0; p < 40; ++p) {
        cursor.insertText(words.sentence(3 + words.below(30)));
        if (p % 2 == 0)
            cursor.insertText(QString::number(p), raised);
        cursor.insertText(words.sentence(2), QTextCharFormat());
        cursor.insertBlock();
    }
    layout->layOutWholeDocument();
    const auto freshWithOurLayout = [&] {
        std::unique_ptr<QTextDocument> fresh(document.clone());
        fresh->setDefaultFont(document.defaultFont());
        auto* freshLayout = new IncrementalDocumentLayout(fresh.get());
        fresh->setDocumentLayout(freshLayout);
        fresh->setPageSize(document.pageSize());
        freshLayout->layOutWholeDocument();
        return linesOf(*fresh);
    };
    ASSERT_TRUE(sameLines(linesOf(document), freshWithOurLayout()));

    const qsizetype before = layout->changesThatMovedNothing();
    for (int i = 0; i < 120; ++i) {
        const QTextBlock block = document.findBlockByNumber(words.below(document.blockCount()));
        QTextCursor edit(block);
        edit.setPosition(block.position() + words.below(block.length()));
        if (words.below(4) == 0)
            edit.deletePreviousChar();
        else
            edit.insertText(QString(QChar(u'a' + words.below(26))));
        ASSERT_TRUE(sameLines(linesOf(document), freshWithOurLayout())) << "after edit " << i;
    }
    EXPECT_GT(layout->changesThatMovedNothing() - before, 40);
}

TEST(IncrementalDocumentLayout, TheBackgroundLayoutWaitsWhileKeysComeAndLeavesNothingOut)
{
    BackgroundLayout b;
    QTextDocument& document = b.document;
    IncrementalDocumentLayout* layout = b.layout;
    QSignalSpy& caughtUp = b.caughtUp;
    QTextCursor cursor(&document);
    ASSERT_LT(layout->layoutStatus(), 100);

    // A keystroke just above where the background layout stands: the steps due in the pause
    // after it do not run ...
    cursor.setPosition(10);
    QElapsedTimer sinceKey;
    sinceKey.start();
    cursor.insertText(QStringLiteral("x"));
    const int status = layout->layoutStatus();
    EXPECT_LT(status, 100) << "the paragraphs below are not laid out yet";
    for (int i = 0; i < 5; ++i) {
        QTest::qWait(4);
        if (sinceKey.elapsed() < IncrementalDocumentLayout::TypingPauseMs) {
            EXPECT_EQ(layout->layoutStatus(), status)
                << "a step ran " << sinceKey.elapsed() << " ms after the keystroke";
        }
    }
    // ... then the layout goes on to the end, every paragraph as laid out afresh.
    EXPECT_TRUE(QTest::qWaitFor([&] { return caughtUp.count() == 1; }, 20000));
    EXPECT_TRUE(IncrementalDocumentLayout::isLaidOut(document.lastBlock()));
    EXPECT_EQ(linesOf(document), freshLinesOf(document));
}
