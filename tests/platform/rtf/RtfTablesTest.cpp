// Tables: rows, cells, merges and nested tables read into QTextTables and written back as RTF rows.

#include "support/RtfTestSupport.h"

#include "platform/document/PlainText.h"

#include <QDirIterator>
#include <QTextCursor>
#include <QTextTable>

using namespace rtftest;

namespace
{

// Every table of the document, outer ones before the ones in their cells.
QList<QTextTable*> tables(const QTextDocument& document)
{
    QList<QTextTable*> out;
    QList<QTextFrame*> frames = document.rootFrame()->childFrames();
    while (!frames.isEmpty()) {
        QTextFrame* frame = frames.takeFirst();
        if (auto* table = qobject_cast<QTextTable*>(frame))
            out << table;
        frames = frame->childFrames() + frames;
    }
    return out;
}

// The text of the cell, its paragraphs joined by "|" (a nested table's text included).
QString cellText(const QTextTable& table, int row, int column)
{
    const QTextTableCell cell = table.cellAt(row, column);
    QTextCursor cursor = cell.firstCursorPosition();
    cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
    QString text = cursor.selectedText();
    text.replace(QChar::ParagraphSeparator, u'|');
    text.remove(QChar(0xFDD0));
    text.remove(QChar(0xFDD1));
    return text;
}

QStringList rowTexts(const QTextTable& table, int row)
{
    QStringList out;
    for (int c = 0; c < table.columns();) {
        const QTextTableCell cell = table.cellAt(row, c);
        if (cell.row() == row)
            out << cellText(table, row, c);
        c += cell.columnSpan();
    }
    return out;
}

std::unique_ptr<QTextDocument> roundTrip(const QTextDocument& document)
{
    return readRtf(rtf::write(document));
}

const QByteArray LibreOfficeRows =
    "\\trowd\\trgaph108\\trleft0\\trqc\\trhdr\\trrh400"
    "\\clbrdrt\\brdrs\\brdrw15\\brdrcf1\\clbrdrl\\brdrs\\brdrw10\\clbrdrb\\brdrnone\\clvertalc"
    "\\clcbpat2\\cellx2000\\cellx4000\\cellx6000"
    "\\pard\\intbl a\\cell b\\cell c\\cell\\row"
    "\\trowd\\trgaph108\\trleft0\\trqc\\cellx2000\\cellx4000\\cellx6000"
    "\\pard\\intbl {d\\cell}{\\cell}{f1\\par f2\\cell}"
    "{\\trowd\\cellx2000\\cellx4000\\cellx6000\\row}\\pard after\\par";

} // namespace

TEST(RtfTables, RowsBecomeTablesWithWidthsAndCellProperties)
{
    auto d = readRtf(doc(LibreOfficeRows));
    const QList<QTextTable*> all = tables(*d);
    ASSERT_EQ(all.size(), 1);
    const QTextTable& t = *all[0];
    EXPECT_EQ(t.rows(), 2);
    EXPECT_EQ(t.columns(), 3);
    EXPECT_EQ(rowTexts(t, 0), QStringList({"a", "b", "c"}));
    EXPECT_EQ(rowTexts(t, 1), QStringList({"d", "", "f1|f2"}));
    EXPECT_EQ(d->lastBlock().text(), QStringLiteral("after"));

    const QTextTableFormat f = t.format();
    ASSERT_EQ(f.columnWidthConstraints().size(), 3);
    EXPECT_DOUBLE_EQ(f.columnWidthConstraints()[0].rawValue(), 2000 / 15.0);
    EXPECT_DOUBLE_EQ(f.columnWidthConstraints()[2].rawValue(), 2000 / 15.0);
    EXPECT_EQ(f.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(f.headerRowCount(), 1);
    EXPECT_DOUBLE_EQ(f.cellPadding(), 108 / 15.0);

    const QTextTableCellFormat a = t.cellAt(0, 0).format().toTableCellFormat();
    EXPECT_EQ(a.background().color(), QColor(0, 128, 0));
    EXPECT_EQ(a.verticalAlignment(), QTextCharFormat::AlignMiddle);
    EXPECT_DOUBLE_EQ(a.topBorder(), 1.0);
    EXPECT_EQ(a.topBorderBrush().color(), QColor(255, 0, 0));
    EXPECT_EQ(a.bottomBorderStyle(), QTextFrameFormat::BorderStyle_None);
    EXPECT_EQ(a.intProperty(docformat::CellRowHeightTwips), 400);
    EXPECT_EQ(t.cellAt(0, 1).format().background().style(), Qt::NoBrush);

    // Written back and read again: the same table.
    const QByteArray rtf = rtf::write(*d);
    EXPECT_TRUE(rtf.contains("\\trowd")) << rtf.constData();
    EXPECT_TRUE(rtf.contains("\\cellx2000\\cellx4000\\cellx6000")) << rtf.constData();
    EXPECT_TRUE(rtf.contains("\\intbl")) << rtf.constData();
    EXPECT_TRUE(rtf.contains("\\row")) << rtf.constData();
    auto again = readRtf(rtf);
    const QList<QTextTable*> back = tables(*again);
    ASSERT_EQ(back.size(), 1);
    EXPECT_EQ(rowTexts(*back[0], 0), QStringList({"a", "b", "c"}));
    EXPECT_EQ(rowTexts(*back[0], 1), QStringList({"d", "", "f1|f2"}));
    const QTextTableCellFormat a2 = back[0]->cellAt(0, 0).format().toTableCellFormat();
    EXPECT_EQ(a2.background().color(), QColor(0, 128, 0));
    EXPECT_EQ(a2.verticalAlignment(), QTextCharFormat::AlignMiddle);
    EXPECT_EQ(a2.topBorderBrush().color(), QColor(255, 0, 0));
    EXPECT_EQ(a2.bottomBorderStyle(), QTextFrameFormat::BorderStyle_None);
    EXPECT_EQ(a2.intProperty(docformat::CellRowHeightTwips), 400);
    EXPECT_EQ(back[0]->format().headerRowCount(), 1);
    EXPECT_EQ(back[0]->format().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(paragraphs(*again), paragraphs(*d));

    // Plain text: a row per line, cells separated by tabs.
    EXPECT_EQ(plaintext::encode(plaintext::textOf(*d)), QByteArray("a\tb\tc\nd\t\tf1 f2\nafter"));
    // The paragraph before a table ends its line; one before a table in a cell, a space.
    d = readRtf(
        doc("Before\\par\\trowd\\cellx3000\\cellx6000\\pard\\intbl A1\\cell"
            "\\pard\\intbl Outer\\par\\itap2 In\\nestcell{\\*\\nesttableprops\\trowd\\cellx2000"
            "\\nestrow}{\\nonesttables\\par}\\pard\\intbl\\cell\\row\\pard After\\par"));
    EXPECT_EQ(plaintext::encode(plaintext::textOf(*d)),
              QByteArray("Before\nA1\tOuter In\n\nAfter"));
}

TEST(RtfTables, CellPaddingAndRowBordersAndPadding)
{
    // Word's and LibreOffice's forms: the row's default padding and borders (top, left, bottom,
    // right, inside horizontal and vertical), a cell's own padding and border overriding them,
    // and padding in any unit but twips ignored.
    auto d = readRtf(
        doc("\\trowd\\trgaph108\\trpaddft3\\trpaddt20\\trpaddfl3\\trpaddl40\\trpaddfb3\\trpaddb0"
            "\\trpaddfr3\\trpaddr80\\trbrdrt\\brdrs\\brdrw30\\trbrdrl\\brdrs\\brdrw10"
            "\\trbrdrb\\brdrs\\brdrw20\\trbrdrr\\brdrs\\brdrw10\\trbrdrh\\brdrs\\brdrw5"
            "\\trbrdrv\\brdrs\\brdrw15\\brdrcf1"
            "\\clpadfl3\\clpadl120\\clpadft0\\clpadt999\\cellx2000"
            "\\clbrdrl\\brdrnone\\cellx4000"
            "\\pard\\intbl a\\cell b\\cell\\row"
            "\\trowd\\trgaph108\\trbrdrh\\brdrs\\brdrw5\\trbrdrb\\brdrs\\brdrw20"
            "\\cellx2000\\cellx4000\\pard\\intbl c\\cell d\\cell\\row"));
    const QList<QTextTable*> all = tables(*d);
    ASSERT_EQ(all.size(), 1);
    auto cellFormat = [](const QTextTable& t, int r, int c) {
        return t.cellAt(r, c).format().toTableCellFormat();
    };
    const QTextTableCellFormat a = cellFormat(*all[0], 0, 0);
    EXPECT_DOUBLE_EQ(a.leftPadding(), 120 / 15.0);
    EXPECT_DOUBLE_EQ(a.topPadding(), 20 / 15.0) << "the cell's top is in no unit: the row's";
    EXPECT_DOUBLE_EQ(a.bottomPadding(), 0.0);
    EXPECT_DOUBLE_EQ(a.rightPadding(), 80 / 15.0);
    EXPECT_DOUBLE_EQ(a.topBorder(), 30 / 15.0);
    EXPECT_DOUBLE_EQ(a.leftBorder(), 10 / 15.0);
    EXPECT_DOUBLE_EQ(a.rightBorder(), 15 / 15.0) << "inside vertical";
    EXPECT_EQ(a.rightBorderBrush().color(), QColor(255, 0, 0));
    EXPECT_DOUBLE_EQ(a.bottomBorder(), 5 / 15.0) << "inside horizontal";
    const QTextTableCellFormat b = cellFormat(*all[0], 0, 1);
    EXPECT_EQ(b.leftBorderStyle(), QTextFrameFormat::BorderStyle_None) << "the cell's own";
    EXPECT_DOUBLE_EQ(b.rightBorder(), 10 / 15.0);
    EXPECT_DOUBLE_EQ(b.leftPadding(), 40 / 15.0);
    const QTextTableCellFormat c = cellFormat(*all[0], 1, 0);
    EXPECT_DOUBLE_EQ(c.topBorder(), 5 / 15.0);
    EXPECT_DOUBLE_EQ(c.bottomBorder(), 20 / 15.0);
    EXPECT_FALSE(c.hasProperty(QTextFormat::TableCellLeftPadding)) << "the table's \\trgaph";

    // Written back as each cell's own padding and borders, and read back the same.
    const QByteArray rtf = rtf::write(*d);
    EXPECT_TRUE(rtf.contains("\\clpadfl3\\clpadl120")) << rtf.constData();
    auto again = readRtf(rtf);
    ASSERT_EQ(tables(*again).size(), 1);
    for (int r = 0; r < 2; ++r)
        for (int col = 0; col < 2; ++col)
            EXPECT_EQ(cellFormat(*tables(*again)[0], r, col).properties(),
                      cellFormat(*all[0], r, col).properties())
                << r << "," << col;
}

TEST(RtfTables, MergedCellsSpanColumnsAndRows)
{
    // Horizontal merge by \clmgf/\clmrg, by a wider cell in another row (as Word writes a span),
    // and vertical merge by \clvmgf/\clvmrg.
    auto d = readRtf(doc("\\trowd\\clmgf\\cellx1000\\clmrg\\cellx2000\\cellx3000"
                         "\\pard\\intbl wide\\cell\\cell c\\cell\\row"
                         "\\trowd\\clvmgf\\cellx1000\\cellx3000"
                         "\\pard\\intbl tall\\cell span\\cell\\row"
                         "\\trowd\\clvmrg\\cellx1000\\cellx2000\\cellx3000"
                         "\\pard\\intbl\\cell x\\cell y\\cell\\row\\pard end\\par"));
    const QList<QTextTable*> all = tables(*d);
    ASSERT_EQ(all.size(), 1);
    const QTextTable& t = *all[0];
    EXPECT_EQ(t.rows(), 3);
    EXPECT_EQ(t.columns(), 3);
    EXPECT_EQ(t.cellAt(0, 0).columnSpan(), 2);
    EXPECT_EQ(t.cellAt(1, 1).columnSpan(), 2);
    EXPECT_EQ(t.cellAt(1, 0).rowSpan(), 2);
    EXPECT_EQ(rowTexts(t, 0), QStringList({"wide", "c"}));
    EXPECT_EQ(rowTexts(t, 1), QStringList({"tall", "span"}));
    EXPECT_EQ(rowTexts(t, 2), QStringList({"x", "y"}));

    // Written back: the spans and merges come back the same.
    const QByteArray rtf = rtf::write(*d);
    EXPECT_TRUE(rtf.contains("\\clvmgf")) << rtf.constData();
    EXPECT_TRUE(rtf.contains("\\clvmrg")) << rtf.constData();
    auto again = readRtf(rtf);
    ASSERT_EQ(tables(*again).size(), 1);
    const QTextTable& b = *tables(*again)[0];
    EXPECT_EQ(b.cellAt(0, 0).columnSpan(), 2);
    EXPECT_EQ(b.cellAt(1, 1).columnSpan(), 2);
    EXPECT_EQ(b.cellAt(1, 0).rowSpan(), 2);
    EXPECT_EQ(rowTexts(b, 2), QStringList({"x", "y"}));

    // A merged cell that holds text keeps it in the cell that covers it.
    d = readRtf(doc("\\trowd\\clvmgf\\cellx1000\\pard\\intbl top\\cell\\row"
                    "\\trowd\\clvmrg\\cellx1000\\pard\\intbl kept\\cell\\row"));
    ASSERT_EQ(tables(*d).size(), 1);
    EXPECT_EQ(cellText(*tables(*d)[0], 0, 0), QStringLiteral("top|kept"));

    // A row with more cells than \\cellx keeps its width, shared evenly by its cells: with a
    // row below that has its own edges, the cells span the columns both rows make.
    d = readRtf(doc("\\trowd\\cellx1800\\cellx2700\\pard\\intbl a\\cell b\\cell c\\cell\\row"
                    "\\trowd\\cellx1000\\cellx2700\\pard\\intbl d\\cell e\\cell\\row"));
    ASSERT_EQ(tables(*d).size(), 1);
    const QTextTable& shared = *tables(*d)[0];
    ASSERT_EQ(shared.columns(), 4); // edges 900, 1800 and 2700, and 1000 of the second row
    EXPECT_EQ(rowTexts(shared, 0), QStringList({"a", "b", "c"}));
    EXPECT_EQ(shared.cellAt(0, 1).columnSpan(), 2);
    EXPECT_EQ(rowTexts(shared, 1), QStringList({"d", "e"}));
    EXPECT_EQ(shared.cellAt(1, 0).columnSpan(), 2);
    EXPECT_EQ(shared.cellAt(1, 2).columnSpan(), 2);
}

TEST(RtfTables, GroupsForOtherReadersAfterARowsLastCellAreNoCell)
{
    // AbiWord marks each cell's end with groups of its own, the last one between \\cell and \\row.
    auto d = readRtf(doc("\\trowd\\cellx1000\\cellx2000\\pard\\intbl a\\cell{\\*\\abiendcell}"
                         "\\pard\\intbl b\\cell{\\*\\abiendcell}{\\*\\abicellprops x:1}\\row"
                         "\\trowd\\cellx1000\\cellx2000\\pard\\intbl c\\cell d\\cell"
                         "{\\*\\abiendtable}\\row\\pard after\\par"));
    ASSERT_EQ(tables(*d).size(), 1);
    const QTextTable& t = *tables(*d)[0];
    EXPECT_EQ(t.columns(), 2);
    EXPECT_EQ(t.rows(), 2);
    EXPECT_EQ(cellText(t, 1, 1), QStringLiteral("d"));
    // Kept, and written back.
    const QByteArray rtf = rtf::write(*d);
    for (const char* group : {"{\\*\\abicellprops x:1}", "{\\*\\abiendtable}"})
        EXPECT_TRUE(rtf.contains(group)) << group << " in " << rtf.constData();
    EXPECT_EQ(tables(*readRtf(rtf))[0]->columns(), 2);
}

TEST(RtfTables, NestedTablesAreTablesInsideCells)
{
    // Word's form: the nested rows' definitions follow their cells in \nesttableprops, and
    // \nonesttables holds text for readers without nesting.
    const QByteArray word =
        "\\trowd\\cellx3000\\cellx6000"
        "\\pard\\intbl\\itap1 Signed:\\par"
        "\\pard\\intbl\\itap2 Ann Smith\\nestcell Bob Jones\\nestcell"
        "{\\*\\nesttableprops\\trowd\\cellx1500\\cellx3000\\nestrow}{\\nonesttables\\par}"
        "\\pard\\intbl\\itap2 Clerk\\nestcell Judge\\nestcell"
        "{\\*\\nesttableprops\\trowd\\cellx1500\\cellx3000\\nestrow}{\\nonesttables\\par}"
        "\\pard\\intbl\\itap1\\cell right\\cell"
        "\\trowd\\cellx3000\\cellx6000\\row\\pard after\\par";
    auto d = readRtf(doc(word));
    QList<QTextTable*> all = tables(*d);
    ASSERT_EQ(all.size(), 2);
    EXPECT_EQ(all[0]->rows(), 1);
    EXPECT_EQ(all[0]->columns(), 2);
    EXPECT_EQ(all[1]->rows(), 2);
    EXPECT_EQ(rowTexts(*all[1], 0), QStringList({"Ann Smith", "Bob Jones"}));
    EXPECT_EQ(rowTexts(*all[1], 1), QStringList({"Clerk", "Judge"}));
    // The inner table sits in the outer table's first cell.
    EXPECT_EQ(all[0]->cellAt(all[1]->firstPosition()).column(), 0);
    EXPECT_EQ(cellText(*all[0], 0, 1), QStringLiteral("right"));
    EXPECT_EQ(cellText(*all[0], 0, 0).left(16), QStringLiteral("Signed:Ann Smith"));
    EXPECT_EQ(d->lastBlock().text(), QStringLiteral("after"));

    const QByteArray rtf = rtf::write(*d);
    EXPECT_TRUE(rtf.contains("\\itap2")) << rtf.constData();
    EXPECT_TRUE(rtf.contains("\\nestcell")) << rtf.constData();
    EXPECT_TRUE(rtf.contains("{\\*\\nesttableprops\\trowd")) << rtf.constData();
    EXPECT_TRUE(rtf.contains("\\nestrow}{\\nonesttables\\par}")) << rtf.constData();
    auto again = readRtf(rtf);
    all = tables(*again);
    ASSERT_EQ(all.size(), 2);
    EXPECT_EQ(rowTexts(*all[1], 1), QStringList({"Clerk", "Judge"}));
    EXPECT_EQ(cellText(*all[0], 0, 1), QStringLiteral("right"));
    EXPECT_EQ(plaintext::textOf(*again).count(u'\t'), plaintext::textOf(*d).count(u'\t'));
}

TEST(RtfTables, MalformedTablesKeepAllTheirText)
{
    // Cells without a row definition or row end, a nested cell without its outer table, more
    // cells than \cellx, rows ended twice, text after the last cell and a document ending in a
    // row.
    const QByteArray body = "\\intbl one\\par two\\cell three\\cell\\row"
                            "\\pard\\intbl\\itap2 in\\nestcell ner\\nestcell"
                            "{\\*\\nesttableprops\\nestrow}{\\nonesttables x}\\cell\\row "
                            "\\pard\\itap3 deep\\nestcell\\nestrow\\pard "
                            "\\trowd\\cellx1000\\intbl p\\cell q\\cell r\\cell\\row\\row "
                            "lone\\cell\\row\\row stray\\cell tail\\cell\\pard";
    for (const QByteArray& ending : {QByteArray(" end}"), QByteArray(" unfinished\\cell la")}) {
        auto d = readRtf(doc(body).chopped(1) + ending);
        const QString text = plaintext::textOf(*d);
        for (const char* word :
             {"one", "two", "three", "in", "ner", "deep", "p", "q", "r", "lone", "stray", "tail"})
            EXPECT_TRUE(text.contains(QLatin1String(word))) << word << " in " << text.toStdString();
        EXPECT_FALSE(text.contains(u'x')) << "\\nonesttables text is for other readers";
        EXPECT_GE(tables(*d).size(), 3);
        // The document writes and reads back with the same text.
        EXPECT_EQ(plaintext::textOf(*roundTrip(*d)), text);
    }
}

TEST(RtfTables, RangesInsideAndAcrossCellsAndPastingTables)
{
    auto d = readRtf(doc(LibreOfficeRows));
    const QTextTable& t = *tables(*d)[0];
    // Inside one cell: just the text.
    const QTextTableCell b = t.cellAt(0, 1);
    QByteArray part = rtf::writeRange(*d, b.firstPosition(), b.lastPosition());
    EXPECT_FALSE(part.contains("\\trowd"));
    EXPECT_EQ(readRtf(part)->toPlainText(), QStringLiteral("b"));
    // Across cells: the rows they are in, as a table.
    part = rtf::writeRange(*d, t.cellAt(0, 1).firstPosition(), t.cellAt(1, 0).lastPosition());
    EXPECT_TRUE(part.contains("\\trowd"));
    auto pasted = readRtf(part);
    ASSERT_EQ(tables(*pasted).size(), 1);
    EXPECT_EQ(tables(*pasted)[0]->rows(), 2);

    // Pasting a table in the middle of a paragraph: the text around it stays.
    QTextDocument target;
    target.setPlainText(QStringLiteral("before after"));
    QTextCursor cursor(&target);
    cursor.setPosition(7);
    rtf::insert(part, cursor);
    ASSERT_EQ(tables(target).size(), 1);
    EXPECT_EQ(rowTexts(*tables(target)[0], 0), QStringList({"a", "b", "c"}));
    EXPECT_TRUE(target.toPlainText().startsWith(u"before \n"));
    EXPECT_TRUE(target.toPlainText().endsWith(u"\nafter"));
}

namespace
{

// What a reader finds of a document's structure: tables, rows, cells, spans, and the number each
// list item shows.
QStringList structureOf(const QTextDocument& document)
{
    QStringList out;
    for (const QTextTable* table : tables(document)) {
        QString t = QStringLiteral("table %1x%2").arg(table->rows()).arg(table->columns());
        for (int r = 0; r < table->rows(); ++r)
            for (int c = 0; c < table->columns(); ++c) {
                const QTextTableCell cell = table->cellAt(r, c);
                if (cell.row() == r && cell.column() == c &&
                    (cell.rowSpan() > 1 || cell.columnSpan() > 1))
                    t += QStringLiteral(" span(%1,%2)=%3x%4")
                             .arg(r)
                             .arg(c)
                             .arg(cell.rowSpan())
                             .arg(cell.columnSpan());
            }
        out << t;
    }
    const QStringList numbers = listNumbers(document);
    int index = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next(), ++index)
        if (QTextList* list = block.textList())
            out << QStringLiteral("item %1 %2 level %3")
                       .arg(block.text(), numbers[index])
                       .arg(docformat::listLevelOf(list->format()));
    return out;
}

} // namespace

TEST(RtfTables, CorpusKeepsItsTablesAndListsThroughSaving)
{
    // Files written by LibreOffice, AbiWord and pandoc and in the forms Word writes: what is read
    // from the original is what is read from the saved copy.
    QDirIterator it(QStringLiteral(WORDLARK_TEST_DATA "/rtf/census"), {QStringLiteral("*.rtf")},
                    QDir::Files);
    int files = 0;
    int withTables = 0;
    int withLists = 0;
    while (it.hasNext()) {
        const QString path = it.next();
        SCOPED_TRACE(path.toStdString());
        auto original = readRtf(dataFile(QStringLiteral("rtf/census/") + it.fileName()));
        const QStringList structure = structureOf(*original);
        EXPECT_EQ(structureOf(*roundTrip(*original)), structure);
        withTables += structure.join(u'\n').contains(u"table ");
        withLists += structure.join(u'\n').contains(u"item ");
        ++files;
    }
    EXPECT_GE(files, 10);
    EXPECT_GE(withTables, 5);
    EXPECT_GE(withLists, 4);

    // The signatories of a nested signature block and every list form of the Word file.
    auto court = readRtf(dataFile(QStringLiteral("rtf/census/word_signature.rtf")));
    EXPECT_EQ(tables(*court).size(), 2);
    EXPECT_TRUE(plaintext::textOf(*court).contains(u"Jane Q. Doe\tAttorney\nJohn Roe\tWitness"));
    auto lists = readRtf(dataFile(QStringLiteral("rtf/census/word_lists.rtf")));
    const QString items = structureOf(*lists).join(u'\n');
    for (const char* expected :
         {"item Payment is due monthly. 1. level 0", "item by transfer a) level 1",
          "item signed i. level 2", "item Continued list. 3. level 0",
          "item Heading three Article III: level 0", "item Old letter one A. level 0",
          "item Restarted at seven 7. level 0", "item Eight 8. level 0",
          "item Outline one one 1.1. level 1", "item Old letter two B. level 0"})
        EXPECT_TRUE(items.contains(QLatin1String(expected))) << expected << "\n"
                                                             << items.toStdString();
}

TEST(RtfTables, TextBoxesInCellsShowTheirTextThereAndAreWrittenBackAsShapes)
{
    const QByteArray opening = "{\\shp{\\*\\shpinst\\shpleft0\\shpright2000{\\sp{\\sn shapeType}"
                               "{\\sv 202}}";
    const auto row = [&opening](const QByteArray& boxText, const QByteArray& after) {
        return "\\trowd\\cellx3000\\cellx6000\\pard\\intbl A1 " + opening + "{\\shptxt " + boxText +
               "}}}" + after + "\\cell\\pard\\intbl B1\\cell\\row";
    };
    // The box's paragraphs say nothing of the table: they are the box's own, in the cell.
    auto d =
        readRtf(doc("Before\\par" + row("\\pard\\plain Box one\\par\\pard Box two\\par", "end") +
                    "\\pard After\\par"));
    QList<QTextTable*> found = tables(*d);
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(rowTexts(*found[0], 0), QStringList({"A1 |Box one|Box two|end", "B1"}));
    EXPECT_EQ(paragraphs(*d).first(), "Before");
    EXPECT_EQ(paragraphs(*d).last(), "After");

    // Written back inside the same shape, in the cell; stable from there on.
    const QByteArray saved = rtf::write(*d);
    EXPECT_TRUE(saved.contains("\\pard\\intbl " + opening + "{\\shptxt \\pard\\ql Box one\\par"))
        << saved.constData();
    EXPECT_TRUE(saved.contains("Box two\\par\n}}}\n\\pard\\intbl\\ql end\\cell"))
        << saved.constData();
    auto again = readRtf(saved);
    EXPECT_EQ(rowTexts(*tables(*again)[0], 0), rowTexts(*found[0], 0));
    EXPECT_EQ(rtf::write(*again), saved);

    // A box that ends its cell closes before the cell does.
    d = readRtf(doc(row("\\pard Last\\par", "") + "\\pard After\\par"));
    ASSERT_EQ(tables(*d).size(), 1);
    EXPECT_EQ(rowTexts(*tables(*d)[0], 0), QStringList({"A1 |Last|", "B1"}));
    QTextCursor cursor(d.get());
    cursor.setPosition(tables(*d)[0]->cellAt(0, 0).lastPosition());
    cursor.deletePreviousChar(); // the empty paragraph after the box: the box ends the cell
    ASSERT_EQ(rowTexts(*tables(*d)[0], 0), QStringList({"A1 |Last", "B1"}));
    const QByteArray last = rtf::write(*d);
    EXPECT_TRUE(last.contains("Last\\par\n}}}\n\\cell")) << last.constData();
    EXPECT_EQ(rowTexts(*tables(*readRtf(last))[0], 0), QStringList({"A1 |Last|", "B1"}));
}
