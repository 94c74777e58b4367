// Round trip: for documents the editor can hold, writing then reading gives back the same text,
// character formats, paragraph formats, bullets and pictures; and writing again gives the same
// bytes.

#include "support/RtfTestSupport.h"

#include <QBuffer>
#include <QImage>
#include <QTextCursor>
#include <QUrl>

#include <cmath>
#include <random>

using namespace rtftest;

namespace
{

class DocumentMaker
{
public:
    explicit DocumentMaker(unsigned seed) : m_random(seed) {}

    std::unique_ptr<QTextDocument> make(int paragraphCount)
    {
        auto document = std::make_unique<QTextDocument>();
        document->setDefaultFont(QFont(QString::fromLatin1(docformat::DefaultFontName),
                                       docformat::DefaultFontPointSize));
        QTextCursor cursor(document.get());
        for (int p = 0; p < paragraphCount; ++p) {
            if (p > 0)
                cursor.insertBlock(blockFormat(), charFormat());
            else
                cursor.setBlockFormat(blockFormat());
            if (chance(15)) {
                // A bullet's hanging indent is where the bullet goes: the text indent of a
                // bulleted paragraph is never negative.
                QTextBlockFormat bulleted = cursor.blockFormat();
                bulleted.setTextIndent(std::max<qreal>(0, bulleted.textIndent()));
                cursor.setBlockFormat(bulleted);
                QTextListFormat list;
                list.setStyle(QTextListFormat::ListDisc);
                list.setIndent(pick(1, 3));
                cursor.createList(list);
            }
            const int runs = pick(0, 6);
            for (int r = 0; r < runs; ++r) {
                if (chance(5))
                    insertPicture(*document, cursor);
                else
                    cursor.insertText(text(), charFormat());
            }
        }
        return document;
    }

private:
    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }
    bool chance(int percent) { return pick(1, 100) <= percent; }

    QString text()
    {
        static const QString pieces[] = {
            QStringLiteral("plain words "),
            QStringLiteral("{braces} and \\backslash\\ "),
            QString::fromUtf8("caf\u00e9 na\u00efve \u00c5ngstr\u00f6m "),
            QString::fromUtf8("\u65e5\u672c\u8a9e \u4e2d\u6587 \ud55c\uad6d\uc5b4 "),
            QString::fromUtf8("\u0420\u0443\u0441\u0441\u043a\u0438\u0439 "
                              "\u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac "),
            QString::fromUtf8("emoji \U0001F600\U0001F389 "),
            QString::fromUtf8("\u2018quotes\u2019 \u201cdouble\u201d \u2014 \u2013 \u2026 \u20ac "),
            QStringLiteral("tab\there "),
            QString::fromUtf8("non\u00a0breaking soft\u00adhyphen non\u2011breaking "),
            QString(QStringLiteral("line")) + QChar(0x2028) + QStringLiteral("break "),
            QStringLiteral("x"),
            QStringLiteral(" "),
        };
        QString out;
        const int n = pick(1, 3);
        for (int i = 0; i < n; ++i)
            out += pieces[pick(0, static_cast<int>(std::size(pieces)) - 1)];
        return out;
    }

    QTextCharFormat charFormat()
    {
        static const char* families[] = {"Courier New", "Times New Roman", "Arial",
                                         "Liberation Sans", "DejaVu Serif"};
        static const double sizes[] = {8, 9, 10, 10.5, 11, 12, 14, 18, 24, 36, 72};
        static const QColor colors[] = {QColor(255, 0, 0), QColor(0, 128, 0), QColor(0, 0, 255),
                                        QColor(17, 34, 51)};
        QTextCharFormat f;
        if (!chance(10))
            f.setFontFamilies({QString::fromLatin1(families[pick(0, 4)])});
        const double size = sizes[pick(0, 10)];
        if (!chance(10))
            f.setFontPointSize(size);
        f.setFontWeight(chance(30) ? QFont::Bold : QFont::Normal);
        f.setFontItalic(chance(30));
        f.setFontUnderline(chance(20));
        if (f.fontUnderline() && chance(30))
            f.setProperty(docformat::UnderlineKind, pick(2, 9));
        f.setFontStrikeOut(chance(10));
        if (chance(30))
            f.setForeground(colors[pick(0, 3)]);
        if (chance(15)) {
            // Superscript and subscript as the editor makes them: a quarter of the size.
            const double pointSize = f.hasProperty(QTextFormat::FontPointSize) ? size : 9.0;
            docformat::setCharOffsetTwips(f, (chance(50) ? 5 : -5) * pointSize, pointSize);
        }
        if (chance(5))
            f.setVerticalAlignment(chance(50) ? QTextCharFormat::AlignSuperScript
                                              : QTextCharFormat::AlignSubScript);
        if (chance(5)) {
            f.setAnchor(true);
            f.setAnchorHref(QStringLiteral("https://example.org/page?id=%1").arg(pick(1, 3)));
        }
        return f;
    }

    QTextBlockFormat blockFormat()
    {
        static const Qt::Alignment alignments[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight,
                                                   Qt::AlignJustify};
        QTextBlockFormat f;
        f.setAlignment(alignments[pick(0, 3)]);
        if (chance(20))
            f.setLeftMargin(pick(1, 100) * 24 / 15.0); // whole twips
        if (chance(20))
            f.setTextIndent(pick(-20, 20) * 30 / 15.0);
        if (chance(10))
            f.setRightMargin(pick(1, 50) * 60 / 15.0);
        if (chance(20))
            f.setTopMargin(pick(1, 20) * 20 / 15.0);
        if (chance(20))
            f.setBottomMargin(pick(1, 20) * 20 / 15.0);
        if (chance(10))
            f.setLineHeight(150, QTextBlockFormat::ProportionalHeight);
        if (chance(5))
            f.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        return f;
    }

    void insertPicture(QTextDocument& document, QTextCursor& cursor)
    {
        QImage image(pick(1, 12), pick(1, 12), QImage::Format_RGB32);
        image.fill(qRgb(pick(0, 255), pick(0, 255), pick(0, 255)));
        const bool jpeg = chance(30);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, jpeg ? "JPEG" : "PNG");
        const QString name = docformat::newImageName();
        document.addResource(QTextDocument::ImageResource, QUrl(name), image);
        QTextImageFormat format;
        format.setName(name);
        const int wTwips = image.width() * 15 * pick(1, 4);
        const int hTwips = image.height() * 15 * pick(1, 4);
        format.setWidth(wTwips / 15.0);
        format.setHeight(hTwips / 15.0);
        format.setProperty(docformat::ImageOriginalBytes, bytes);
        format.setProperty(docformat::ImageOriginalKind,
                           jpeg ? QStringLiteral("jpeg") : QStringLiteral("png"));
        format.setProperty(docformat::ImageGoalWidthTwips, wTwips);
        format.setProperty(docformat::ImageGoalHeightTwips, hTwips);
        cursor.insertImage(format);
    }

    std::mt19937 m_random;
};

// The attributes the editor reads, with what the document's defaults make of absent properties.
struct CharView {
    QString family;
    double size;
    bool bold, italic, underline, strike;
    int underlineKind;
    QString color;
    double offset;
    int vertical;
    QString href;
    bool operator==(const CharView&) const = default;
};

CharView view(const QTextCharFormat& f, const QTextDocument& d)
{
    CharView v;
    v.family = family(f).isEmpty() ? d.defaultFont().family() : family(f);
    v.size = f.fontPointSize() > 0 ? f.fontPointSize() : d.defaultFont().pointSizeF();
    v.bold = isBold(f);
    v.italic = f.fontItalic();
    v.underline = f.fontUnderline();
    v.underlineKind = f.fontUnderline() ? std::max(1, f.intProperty(docformat::UnderlineKind)) : 0;
    v.strike = f.fontStrikeOut();
    v.color = f.foreground().style() == Qt::NoBrush ? QString() : f.foreground().color().name();
    v.offset = docformat::charOffsetTwips(f);
    v.vertical = f.verticalAlignment();
    v.href = f.isAnchor() ? f.anchorHref() : QString();
    return v;
}

std::string describe(const CharView& v)
{
    return QStringLiteral("%1 %2 b%3 i%4 u%5/%6 s%7 %8 off%9 v%10 %11")
        .arg(v.family)
        .arg(v.size)
        .arg(v.bold)
        .arg(v.italic)
        .arg(v.underline)
        .arg(v.underlineKind)
        .arg(v.strike)
        .arg(v.color)
        .arg(v.offset)
        .arg(v.vertical)
        .arg(v.href)
        .toStdString();
}

void expectSameDocument(const QTextDocument& a, const QTextDocument& b)
{
    ASSERT_EQ(paragraphs(b), paragraphs(a));
    QTextBlock x = a.begin();
    QTextBlock y = b.begin();
    for (; x.isValid() && y.isValid(); x = x.next(), y = y.next()) {
        const QTextBlockFormat fx = x.blockFormat();
        const QTextBlockFormat fy = y.blockFormat();
        SCOPED_TRACE("paragraph " + std::to_string(x.blockNumber()));
        EXPECT_EQ(fy.alignment() & Qt::AlignHorizontal_Mask,
                  fx.alignment() & Qt::AlignHorizontal_Mask);
        EXPECT_NEAR(fy.leftMargin(), fx.leftMargin(), 0.01);
        EXPECT_NEAR(fy.rightMargin(), fx.rightMargin(), 0.01);
        EXPECT_NEAR(fy.textIndent(), fx.textIndent(), 0.01);
        EXPECT_NEAR(fy.topMargin(), fx.topMargin(), 0.01);
        EXPECT_NEAR(fy.bottomMargin(), fx.bottomMargin(), 0.01);
        EXPECT_EQ(fy.lineHeightType(), fx.lineHeightType());
        EXPECT_NEAR(fy.lineHeight(), fx.lineHeight(), 0.01);
        EXPECT_EQ(fy.pageBreakPolicy(), fx.pageBreakPolicy());
        EXPECT_EQ(hasBullet(y), hasBullet(x));
        if (x.textList() && y.textList()) {
            EXPECT_EQ(y.textList()->format().indent(), x.textList()->format().indent());
        }
        // Formats character by character.
        for (int i = 0; i < x.length() - 1; ++i) {
            QTextCursor cx(x);
            cx.setPosition(x.position() + i + 1);
            QTextCursor cy(y);
            cy.setPosition(y.position() + i + 1);
            const QTextCharFormat gx = cx.charFormat();
            const QTextCharFormat gy = cy.charFormat();
            if (gx.isImageFormat()) {
                ASSERT_TRUE(gy.isImageFormat());
                const QTextImageFormat ix = gx.toImageFormat();
                const QTextImageFormat iy = gy.toImageFormat();
                EXPECT_EQ(iy.property(docformat::ImageOriginalBytes).toByteArray(),
                          ix.property(docformat::ImageOriginalBytes).toByteArray());
                EXPECT_EQ(iy.property(docformat::ImageOriginalKind).toString(),
                          ix.property(docformat::ImageOriginalKind).toString());
                EXPECT_DOUBLE_EQ(iy.width(), ix.width());
                EXPECT_DOUBLE_EQ(iy.height(), ix.height());
                const QImage image =
                    b.resource(QTextDocument::ImageResource, QUrl(iy.name())).value<QImage>();
                const QImage original =
                    a.resource(QTextDocument::ImageResource, QUrl(ix.name())).value<QImage>();
                EXPECT_EQ(image.size(), original.size());
                continue;
            }
            const CharView vx = view(gx, a);
            const CharView vy = view(gy, b);
            EXPECT_EQ(vy, vx) << "at " << i << ": " << describe(vy) << " != " << describe(vx);
        }
    }
}

} // namespace

TEST(RtfRoundTrip, WriteThenReadKeepsEverythingTheEditorHolds)
{
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        DocumentMaker maker(seed);
        auto original =
            maker.make(static_cast<int>(seed % 7) + 1 + static_cast<int>(seed % 3) * 10);
        const QByteArray rtf = rtf::write(*original);
        QTextDocument back;
        back.setDefaultFont(original->defaultFont());
        rtf::read(rtf, back);
        expectSameDocument(*original, back);
        // Writing what was read gives the same bytes.
        const QByteArray again = rtf::write(back);
        if (again != rtf) {
            qsizetype at = 0;
            while (at < rtf.size() && at < again.size() && rtf[at] == again[at])
                ++at;
            ADD_FAILURE() << "written again differs at " << at << ": "
                          << rtf.mid(std::max<qsizetype>(0, at - 80), 160).toStdString()
                          << "\n---\n"
                          << again.mid(std::max<qsizetype>(0, at - 80), 160).toStdString();
        }
        if (HasFailure())
            break;
    }
}

TEST(RtfRoundTrip, SelectionsCopiedAndPastedKeepTheirFormatting)
{
    for (unsigned seed = 100; seed < 110; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        DocumentMaker maker(seed);
        auto original = maker.make(6);
        const int length = original->characterCount() - 1;
        const int start = length / 3;
        const int end = 2 * length / 3;
        const QByteArray rtf = rtf::writeRange(*original, start, end);

        // Pasting the selection over itself leaves the document as it was.
        auto copy = std::make_unique<QTextDocument>();
        copy->setDefaultFont(original->defaultFont());
        rtf::read(rtf::write(*original), *copy);
        QTextCursor cursor(copy.get());
        cursor.setPosition(start);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        rtf::insert(rtf, cursor);
        EXPECT_EQ(copy->toRawText(), original->toRawText());
        expectSameDocument(*original, *copy);
        if (HasFailure())
            break;
    }
}

TEST(RtfRoundTrip, EmptyAndTinyDocuments)
{
    QTextDocument empty;
    auto back = readRtf(rtf::write(empty));
    EXPECT_EQ(paragraphs(*back), QStringList({""}));

    QTextDocument two;
    QTextCursor cursor(&two);
    cursor.insertText(QStringLiteral("a"));
    cursor.insertBlock();
    back = readRtf(rtf::write(two));
    EXPECT_EQ(paragraphs(*back), QStringList({"a", ""}));
}
