// Printing a document whose sections have pages of their own: each section that begins a new page
// prints on its own paper, orientation and margins, with its pages numbered on.

#include "platform/control/DocumentPrinting.h"
#include "platform/control/PrintedParts.h"
#include "platform/control/RichTextBox.h"

#include "support/QtPrinters.h"

#include <QFile>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace
{

constexpr char Header[] = "{\\header \\pard Running head\\par}";

// Portrait US Letter, then a section on landscape A4, one that runs on in the same page, and one
// back on the document's page.
QByteArray threeSectionDocument(const QByteArray& header, int firstParagraphs = 1)
{
    QByteArray first;
    for (int i = 0; i < firstParagraphs; ++i)
        first += "\\pard First section\\par";
    return "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\paperw12240\\paperh15840\\margl1800\\margr1800" +
           header + first +
           "\\sect\\sectd\\sbkpage\\lndscpsxn\\pgwsxn16838\\pghsxn11906\\marglsxn1134"
           "\\pard Second section\\par"
           "\\sect\\sectd\\sbknone\\pard Runs on\\par"
           "\\sect\\sectd\\pard Third section\\par}";
}

// A printed page: its paper in points as it lies, and its text.
struct Page {
    QSizeF paper;
    QString text;
};

QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The pages of a PDF as Qt writes it: one /MediaBox for each page, in order.
std::vector<Page> pagesOf(const QString& pdf)
{
    QFile file(pdf);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << pdf.toStdString();
    const QString bytes = QString::fromLatin1(file.readAll());
    const QStringList texts = run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")})
                                  .split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    std::vector<Page> pages;
    static const QRegularExpression MediaBox(
        QStringLiteral("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]"));
    for (const QRegularExpressionMatch& box : MediaBox.globalMatch(bytes)) {
        const qsizetype at = qsizetype(pages.size());
        pages.push_back({QSizeF(box.captured(1).toDouble(), box.captured(2).toDouble()),
                         at < texts.size() ? texts[at] : QString()});
    }
    EXPECT_EQ(qsizetype(pages.size()), texts.size()) << bytes.toStdString();
    return pages;
}

std::vector<Page> printed(RichTextBox& box, QPrinter& printer, const QString& pdf)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    box.SelPrint(&printer);
    return pagesOf(pdf);
}

std::vector<Page> printed(const QByteArray& rtf, const QString& pdf)
{
    RichTextBox box;
    box.setTextRTF(rtf);
    QPrinter printer(QPrinter::HighResolution);
    return printed(box, printer, pdf);
}

const QSizeF Letter(612, 792);
const QSizeF A4Landscape(841.89, 595.28);

void expectPaper(const Page& page, QSizeF paper)
{
    EXPECT_NEAR(page.paper.width(), paper.width(), 0.5) << page.text.toStdString();
    EXPECT_NEAR(page.paper.height(), paper.height(), 0.5) << page.text.toStdString();
}

// The page number printed at the foot of a page without a header: its last word.
int footNumber(const Page& page)
{
    return page.text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)
        .last()
        .toInt();
}

} // namespace

TEST(SectionPrinting, EachSectionThatBeginsAPagePrintsOnItsOwnPaper)
{
    QTemporaryDir dir;
    for (const QByteArray& header : {QByteArray(), QByteArray(Header)}) {
        SCOPED_TRACE(header.isEmpty() ? "numbered pages" : "with a header");
        const std::vector<Page> pages =
            printed(threeSectionDocument(header), dir.filePath(QStringLiteral("sections.pdf")));
        ASSERT_EQ(pages.size(), 3u);
        expectPaper(pages[0], Letter);
        expectPaper(pages[1], A4Landscape);
        expectPaper(pages[2], Letter);
        EXPECT_TRUE(pages[0].text.contains(QStringLiteral("First section")));
        EXPECT_FALSE(pages[0].text.contains(QStringLiteral("Second section")));
        // The section that runs on stays on the landscape page.
        EXPECT_TRUE(pages[1].text.contains(QStringLiteral("Second section")));
        EXPECT_TRUE(pages[1].text.contains(QStringLiteral("Runs on")));
        EXPECT_TRUE(pages[2].text.contains(QStringLiteral("Third section")));
        for (const Page& page : pages) {
            if (header.isEmpty())
                EXPECT_EQ(footNumber(page), &page - pages.data() + 1) << page.text.toStdString();
            else
                EXPECT_TRUE(page.text.contains(QStringLiteral("Running head")));
        }
    }
}

TEST(SectionPrinting, PagesAreNumberedOnFromALongSectionToTheNext)
{
    QTemporaryDir dir;
    const std::vector<Page> pages =
        printed(threeSectionDocument(QByteArray(), 120), dir.filePath(QStringLiteral("long.pdf")));
    ASSERT_GT(pages.size(), 4u);
    const size_t landscape = pages.size() - 2;
    for (size_t i = 0; i < pages.size(); ++i) {
        EXPECT_EQ(footNumber(pages[i]), int(i + 1)) << pages[i].text.toStdString();
        expectPaper(pages[i], i == landscape ? A4Landscape : Letter);
    }
    EXPECT_TRUE(pages[landscape].text.contains(QStringLiteral("Second section")));
    EXPECT_FALSE(pages[landscape - 1].text.contains(QStringLiteral("Second section")));
}

TEST(SectionPrinting, OneSectionANewDocumentAndASelectionPrintOnOnePage)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("one.pdf"));
    QByteArray body;
    for (int i = 0; i < 150; ++i)
        body += "\\pard Line " + QByteArray::number(i) + "\\par";

    // One section: all on the document's page, as many pages as its text printed as a selection.
    RichTextBox box;
    box.setTextRTF("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\paperw11906\\paperh16838" + body + "}");
    QPrinter printer(QPrinter::HighResolution);
    const std::vector<Page> whole = printed(box, printer, pdf);
    ASSERT_GT(whole.size(), 2u);
    for (const Page& page : whole)
        expectPaper(page, QSizeF(595.28, 841.89));
    box.setSelStart(0);
    box.setSelLength(long(box.Text().size()));
    EXPECT_EQ(printed(box, printer, pdf).size(), whole.size());

    // A new document: the printer's page.
    RichTextBox fresh;
    fresh.setSelText(QStringLiteral("Just text"));
    QPrinter a5(QPrinter::HighResolution);
    a5.setPageSize(QPageSize(QPageSize::A5));
    const std::vector<Page> plain = printed(fresh, a5, pdf);
    ASSERT_EQ(plain.size(), 1u);
    expectPaper(plain[0], QPageSize(QPageSize::A5).size(QPageSize::Point));

    // A selection across sections: all on the document's first page.
    RichTextBox sections;
    sections.setTextRTF(threeSectionDocument(QByteArray()));
    sections.setSelStart(0);
    sections.setSelLength(long(sections.Text().size()));
    QPrinter selection(QPrinter::HighResolution);
    const std::vector<Page> selected = printed(sections, selection, pdf);
    ASSERT_EQ(selected.size(), 3u);
    for (const Page& page : selected)
        expectPaper(page, Letter);
}

TEST(SectionPrinting, APageThePrinterDoesNotTakePrintsOnTheCurrentPage)
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("refused.pdf"));
    QTextDocument document;
    document.setPlainText(QStringLiteral("Taken\nRefused"));
    const std::vector<documentprinting::Part> parts{
        {}, {document.lastBlock().position(), QPageLayout()}}; // no page at all
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setPageSize(QPageSize(QPageSize::A5));
    documentprinting::print(document, parts, printer);
    EXPECT_NE(printer.printerState(), QPrinter::Error);

    const std::vector<Page> pages = pagesOf(pdf);
    ASSERT_EQ(pages.size(), 2u);
    expectPaper(pages[1], QPageSize(QPageSize::A5).size(QPageSize::Point));
    EXPECT_FALSE(pages[0].text.contains(QStringLiteral("Refused")));
    EXPECT_TRUE(pages[1].text.contains(QStringLiteral("Refused")));
}

TEST(SectionPrinting, SectionsBeginAtTheirFirstParagraphAfterTablesAndSplitParagraphs)
{
    RichTextBox box;
    box.setTextRTF(
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\paperw12240\\paperh15840"
        "\\pard Before the table\\par"
        "\\trowd\\cellx2000\\cellx4000\\pard\\intbl Left cell\\cell Right cell\\cell\\row"
        "\\sect\\sectd\\lndscpsxn\\pard Landscape section\\par"
        "\\pard More of it\\par}");
    // A paragraph split off the section's first one carries its number and begins nothing.
    QTextCursor split = box.document()->find(QStringLiteral("Landscape section"));
    split.setPosition(split.selectionStart() + int(strlen("Landscape")));
    QTextBlockFormat splitOff = split.blockFormat();
    splitOff.setPageBreakPolicy(QTextFormat::PageBreak_Auto);
    split.insertBlock(splitOff);

    pagesetup::PageSetup page;
    page.paperWidth = 12240;
    page.paperHeight = 15840;
    const std::vector<documentprinting::Part> parts =
        documentprinting::sectionParts(*box.document(), page);
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(parts[0].position, 0);
    EXPECT_FALSE(parts[0].layout);
    EXPECT_EQ(box.document()->findBlock(parts[1].position).text(), QStringLiteral("Landscape"));
    ASSERT_TRUE(parts[1].layout);
    EXPECT_EQ(parts[1].layout->orientation(), QPageLayout::Landscape);
    EXPECT_EQ(parts[1].layout->pageSize().id(), QPageSize::Letter);

    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    const std::vector<Page> pages = printed(box, printer, dir.filePath(QStringLiteral("t.pdf")));
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_TRUE(pages[0].text.contains(QStringLiteral("Right cell")));
    EXPECT_FALSE(pages[0].text.contains(QStringLiteral("Landscape")));
    EXPECT_TRUE(pages[1].text.contains(QStringLiteral("More of it")));
    expectPaper(pages[1], QSizeF(792, 612));
}

TEST(SectionPrinting, NumberedParagraphsCountOnAcrossSections)
{
    QTemporaryDir dir;
    const QByteArray lists =
        "{\\*\\listtable{\\list{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext\\'02\\'00.;}"
        "{\\levelnumbers\\'01;}\\fi-360\\li720}\\listid1}}"
        "{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}}";
    const std::vector<Page> pages =
        printed("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}" + lists +
                    "\\paperw12240\\paperh15840\\pard\\ls1 Apples\\par\\pard\\ls1 Pears\\par"
                    "\\sect\\sectd\\lndscpsxn\\pard\\ls1 Plums\\par}",
                dir.filePath(QStringLiteral("list.pdf")));
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_TRUE(pages[0].text.contains(QStringLiteral("2.")));
    EXPECT_TRUE(pages[1].text.contains(QRegularExpression(QStringLiteral("3\\.\\s+Plums"))))
        << pages[1].text.toStdString();
}

TEST(SectionPrinting, AFileOfManyPageWidthsIsLaidOutForAFewAndPrintsTheRestOnTheFirstPage)
{
    QTemporaryDir dir;
    QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\paperw12240\\paperh15840\\pard 1\\par";
    for (int section = 2; section <= 12; ++section)
        rtf += "\\sect\\sectd\\pgwsxn" + QByteArray::number(6000 + section * 400) + "\\pard " +
               QByteArray::number(section) + "\\par";
    const std::vector<Page> pages = printed(rtf + "}", dir.filePath(QStringLiteral("many.pdf")));
    ASSERT_EQ(pages.size(), 12u);
    for (const Page& page : pages) {
        const size_t section = size_t(&page - pages.data()) + 1;
        SCOPED_TRACE(section);
        EXPECT_EQ(footNumber(page), int(section));
        // Sections 2 to 8 on their own paper, each wider than the last (near its width, since
        // Qt takes a standard size close by); past the eighth width, on the first page.
        if (section == 1 || section > 8) {
            expectPaper(page, Letter);
        } else {
            EXPECT_NEAR(page.paper.width(), (6000 + section * 400) / 20.0, 5);
            if (section > 2) {
                EXPECT_GT(page.paper.width(), (&page - 1)->paper.width());
            }
        }
    }
}

TEST(SectionPrinting, ASectionThatBeginsWithATablePrintsItOnItsOwnPaper)
{
    QTemporaryDir dir;
    const std::vector<Page> pages =
        printed("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\paperw12240\\paperh15840 First section\\par"
                "\\sect\\sectd\\lndscpsxn\\pgwsxn16838\\pghsxn11906"
                "\\trowd\\cellx3000\\cellx6000\\pard\\intbl A1\\cell\\pard\\intbl B1\\cell\\row"
                "\\pard After the table\\par}",
                dir.filePath(QStringLiteral("table.pdf")));
    ASSERT_EQ(pages.size(), 2u);
    expectPaper(pages[0], Letter);
    EXPECT_FALSE(pages[0].text.contains(QStringLiteral("A1")));
    expectPaper(pages[1], A4Landscape);
    EXPECT_TRUE(pages[1].text.contains(QStringLiteral("A1")));
    EXPECT_TRUE(pages[1].text.contains(QStringLiteral("After the table")));
}
